#include "app/framerenderer.h"

#include "app/viewerapp.h"
#include "model/drawingmodel.h"

#include <QCoreApplication>
#include <QPainter>
#include <QRegion>
#include <QThread>

#include <algorithm>
#include <cstring>

namespace
{

// Each band paints on an image of the whole frame (6 MB at 1600x1000): more bands than this would
// cost more memory than a frame gains.
constexpr int kMaxBands = 8;

} // namespace

FrameRenderer::FrameRenderer(QObject* parent)
    : QObject(parent),
      bands(static_cast<std::size_t>(std::clamp(QThread::idealThreadCount(), 1, kMaxBands)))
{
    for (Band& band : bands)
        band.scenePainter.setStopFlag(&stopping);
    // Qt's painting must not outlive the application: no frame is painted past its event loop.
    if (QCoreApplication* application = QCoreApplication::instance())
        connect(application, &QCoreApplication::aboutToQuit, this, &FrameRenderer::stop);
    worker = std::thread(&FrameRenderer::run, this);
    for (std::size_t index = 1; index < bands.size(); ++index)
        bandThreads.emplace_back(&FrameRenderer::runBand, this, index);
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
    bandsChanged.notify_all();
    worker.join();
    for (std::thread& thread : bandThreads)
        thread.join();
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
    for (Band& band : bands)
        band.controllerCopy = ViewerApp::instance()->paintingCopy();
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
    // Taken here: bits() of a shared image would copy it.
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    {
        const std::lock_guard<std::mutex> guard(lock);
        bandJob = &job;
        bandFrameBits = bits;
        bandFrameStride = stride;
        bandsLeft = bands.size() - 1;
        ++bandRound;
    }
    bandsChanged.notify_all();
    paintBand(0, job, bits, stride);
    std::unique_lock<std::mutex> guard(lock);
    bandsChanged.wait(guard, [this] { return bandsLeft == 0; });
    bandJob = nullptr;
    return image;
}

void FrameRenderer::runBand(std::size_t index)
{
    unsigned long long painted = 0;
    for (;;) {
        std::unique_lock<std::mutex> guard(lock);
        bandsChanged.wait(guard, [this, painted] { return quitting || bandRound != painted; });
        // A round handed out is painted (at once stopped, when quitting) before the thread ends,
        // so that paint() never waits for a band that will not come.
        if (bandRound == painted)
            return;
        painted = bandRound;
        const Job job = *bandJob;
        uchar* bits = bandFrameBits;
        const qsizetype stride = bandFrameStride;
        guard.unlock();
        paintBand(index, job, bits, stride);
        guard.lock();
        if (--bandsLeft == 0)
            bandsChanged.notify_all();
    }
}

// Rows [top, bottom) of the frame. The clip adds the frame's first and last pixels to the band, so
// that its bounds are the whole frame: Qt cuts shapes at the bounds of the clip before it scans
// them, and within these bounds every pixel of the band comes out as in an unclipped paint.
void FrameRenderer::paintBand(std::size_t index, const Job& job, uchar* frameBits,
                              qsizetype frameStride)
{
    Band& band = bands[index];
    const QSize size = job.view.size;
    const int top = static_cast<int>(size.height() * index / bands.size());
    const int bottom = static_cast<int>(size.height() * (index + 1) / bands.size());
    if (bottom <= top)
        return;
    if (band.scratch.size() != size)
        band.scratch = QImage(size, QImage::Format_ARGB32_Premultiplied);
    const ViewerApp::PaintingThread controller(band.controllerCopy.get());
    {
        QPainter painter(&band.scratch);
        painter.setPen(job.outline);
        if (bands.size() > 1)
            painter.setClipRegion(QRegion(0, top, size.width(), bottom - top) +
                                  QRegion(0, 0, 1, 1) +
                                  QRegion(size.width() - 1, size.height() - 1, 1, 1));
        band.scenePainter.paintScene(&painter, job.view);
    }
    const qsizetype rowBytes = static_cast<qsizetype>(size.width()) * 4;
    for (int y = top; y < bottom; ++y)
        std::memcpy(frameBits + y * frameStride, band.scratch.constScanLine(y),
                    static_cast<std::size_t>(rowBytes));
}
