#include "app/framerenderer.h"

#include "app/viewerapp.h"
#include "model/drawingmodel.h"

#include <QCoreApplication>
#include <QPainter>

FrameRenderer::FrameRenderer(QObject* parent) : QObject(parent)
{
    scenePainter.setStopFlag(&stopping);
    // Qt's painting must not outlive the application: no frame is painted past its event loop.
    if (QCoreApplication* application = QCoreApplication::instance())
        connect(application, &QCoreApplication::aboutToQuit, this, &FrameRenderer::stop);
    worker = std::thread(&FrameRenderer::run, this);
}

FrameRenderer::~FrameRenderer()
{
    stopping.store(true);
    {
        const std::lock_guard<std::mutex> guard(lock);
        quitting = true;
        job.reset();
    }
    changed.notify_all();
    worker.join();
}

void FrameRenderer::request(const SceneView& view, const QPen& outline)
{
    DrawingModel* model = DrawingModel::instance();
    const unsigned long long generation = model->sceneGeneration;
    if (active && asked->sceneGeneration == generation && asked->view == view)
        return;
    stop();
    // Brought up to date here, so that the painting thread only reads it.
    model->boundsIndex();
    controllerCopy = ViewerApp::instance()->paintingCopy();
    asked = Job{view, generation, outline};
    active = true;
    {
        const std::lock_guard<std::mutex> guard(lock);
        job = asked;
    }
    changed.notify_all();
}

void FrameRenderer::stop()
{
    if (!active)
        return;
    active = false;
    stopping.store(true);
    std::unique_lock<std::mutex> guard(lock);
    job.reset();
    changed.wait(guard, [this] { return !painting; });
    finished.reset();
    stopping.store(false);
}

std::optional<FrameRenderer::Frame> FrameRenderer::takeFrame()
{
    std::optional<Frame> frame;
    {
        const std::lock_guard<std::mutex> guard(lock);
        frame.swap(finished);
    }
    if (frame)
        active = false;
    return frame;
}

void FrameRenderer::recycle(QImage image)
{
    const std::lock_guard<std::mutex> guard(lock);
    spare = std::move(image);
}

void FrameRenderer::run()
{
    for (;;) {
        Job current;
        {
            std::unique_lock<std::mutex> guard(lock);
            changed.wait(guard, [this] { return job.has_value() || quitting; });
            if (quitting)
                return;
            current = *job;
            job.reset();
            painting = true;
        }
        QImage image = paint(current);
        bool delivered = false;
        {
            const std::lock_guard<std::mutex> guard(lock);
            painting = false;
            if (!stopping.load()) {
                finished = Frame{std::move(image), current.view, current.sceneGeneration};
                delivered = true;
            }
        }
        changed.notify_all();
        if (delivered)
            QMetaObject::invokeMethod(this, &FrameRenderer::frameReady, Qt::QueuedConnection);
    }
}

QImage FrameRenderer::paint(const Job& job)
{
    QImage image;
    {
        const std::lock_guard<std::mutex> guard(lock);
        if (spare.size() == job.view.size)
            image.swap(spare);
    }
    if (image.isNull())
        image = QImage(job.view.size, QImage::Format_ARGB32_Premultiplied);
    const ViewerApp::PaintingThread controller(controllerCopy.get());
    {
        QPainter painter(&image);
        painter.setPen(job.outline);
        scenePainter.paintScene(&painter, job.view);
    }
    return image;
}
