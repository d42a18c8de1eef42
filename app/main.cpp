#include "app/viewerapp.h"
#include "model/drawingmodel.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    DrawingModel::instance();
    ViewerApp::create(argc, argv);
    return QApplication::exec();
}
