// Loads arbitrary bytes as a script input through the real loader, then drives everything that
// reads the loaded objects: fit, paint, the rubber-band pick, the explorer texts.
#include "fuzzsupport.h"

#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "canvas/scenepainter.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"

#include <QImage>
#include <QLabel>
#include <QPainter>

namespace
{

void paintSmallScene()
{
    QImage image(64, 48, QImage::Format_RGB32);
    QPainter painter(&image);
    ScenePainter().paintScene(&painter, ViewerApp::instance()->sceneView(image.size()));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    ViewerApp* app = ViewerApp::instance();
    fuzzsupport::resetView();
    app->fileName = fuzzsupport::writeScratchFile(data, size);
    app->loadScript();
    paintSmallScene();

    app->fitToView();
    if (!ViewerApp::isUsableView(app->originX, app->originY, app->ratio))
        fuzzsupport::fail("fit left a view that is not usable");
    app->updateInfo();
    const QString info = app->basicInfoLabel->text();
    if (info.contains(QLatin1String("nan")) || info.contains(QLatin1String("inf")))
        fuzzsupport::fail("Basic Info shows a number that is not finite");
    paintSmallScene();

    const int width = app->display->width(), height = app->display->height();
    app->pickRect[0] = 0;
    app->pickRect[1] = height - 1;
    app->pickRect[2] = width - 1;
    app->pickRect[3] = 0;
    app->display->pickInRect();
    app->commands.doListPicked();

    const DrawingModel* model = DrawingModel::instance();
    if (app->pickedList.size() > model->objects.size())
        fuzzsupport::fail("picked more objects than there are");
    for (const paintObject* object : model->objects) {
        object->description();
        object->briefText();
        object->anchorPoint();
    }
    fuzzsupport::deliverPostedEvents();
    return 0;
}
