// Printing the drawing through Qt's print preview, the About box and the Keys page.
#include "app/qwgtdisplay.h"
#include "app/scenepainter.h"
#include "app/viewerapp.h"
#include "commands/qfunctionality.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStringList>

// One printer unit is one screen pixel, so the page shows the drawing at the canvas's scale.
void QFunctionality::doPrint()
{
    ViewerApp* app = ViewerApp::instance();
    QPrinter printer(QPrinter::ScreenResolution);
    QPrintPreviewDialog dialog(&printer, app->mainWindow);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            &QFunctionality::doPrintAllPaintObject);
    dialog.exec();
}

// No transform: every object paints itself at the canvas's current view, highlighted ones last.
void QFunctionality::doPrintAllPaintObject(QPrinter* printer)
{
    QPainter painter(printer);
    const ViewerApp* app = ViewerApp::instance();
    const SceneView view = app->sceneView(app->display->size());
    ScenePainter scene;
    scene.paintLayer(&painter, view, 0);
    scene.paintLayer(&painter, view, 1);
}

void QFunctionality::doShowAbout()
{
    ViewerApp* app = ViewerApp::instance();
    const QString qtVersion = QString::fromLatin1(qVersion());
    const QStringList pieces = {
        QStringLiteral("<font face=arial>"),
        QStringLiteral("<font size=6 color=blue>Vedra "),
        app->versionText,
        QStringLiteral("</font><hr>"),
        QStringLiteral("<font size=4>Vedra is written by <font color=blue>the Vedra "
                       "developers</font>. This software is based on Qt ") +
            qtVersion + QStringLiteral(".</font> "),
        QStringLiteral("<br><font size=4>Thanks to <font color=blue>everyone who reports "
                       "problems</font>: every report makes Vedra better.</font> "),
        QStringLiteral("<br><font size=4>Please contact <font color=blue>the project's issue "
                       "tracker</font> if there is any problem.</font> "),
        QStringLiteral("<br><font size=4>"),
        app->dateText,
        QStringLiteral("</font> "),
        QStringLiteral("</font>"),
    };
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("About Vedra"), pieces.join(QString()),
                    QMessageBox::Ok, app->mainWindow);
    box.setTextFormat(Qt::RichText);
    box.setIconPixmap(QPixmap(QStringLiteral(":icon/logo.png")));
    box.exec();
}

void QFunctionality::doShowKeys()
{
    ViewerApp* app = ViewerApp::instance();
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Keys"), app->keysText(), QMessageBox::Ok,
                    app->mainWindow);
    box.setTextFormat(Qt::RichText);
    box.exec();
}
