#include "canvas/framerenderer.h"

#include "app/viewerapp.h"
#include "model/drawingmodel.h"

#include <QCoreApplication>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <new>
#include <system_error>

namespace
{

// Each part paints on an image of the whole frame (6 MB at 1600x1000): more parts than this would
// cost more memory than a frame gains.
constexpr int kMaxParts = 8;

// Lays a part's row over the frame's: its opaque pixels replace the frame's, as painting them
// there would; false when the part left a pixel that is neither opaque nor untouched. The part's
// row is left transparent: clearing it while it is in the cache costs less than filling the
// whole image before the next frame. Without branches, so that the compiler lays several pixels
// at once.
bool layRow(QRgb* part, QRgb* frame, int width)
{
    unsigned inexact = 0;
    for (int x = 0; x < width; ++x) {
        const QRgb pixel = part[x];
        const unsigned alpha = pixel >> 24;
        frame[x] = alpha == 255 ? pixel : frame[x];
        part[x] = 0;
        // Alpha 1 to 254 wraps to below 254; 0 and 255 do not.
        inexact |= static_cast<unsigned>(alpha - 1 < 254);
    }
    return inexact == 0;
}

} // namespace

FrameRenderer::FrameRenderer(QObject* parent)
    : QObject(parent),
      parts(static_cast<std::size_t>(std::clamp(QThread::idealThreadCount(), 1, kMaxParts)))
{
    for (Part& part : parts)
        part.scenePainter.setStopFlag(&stopping);
    // Qt's painting must not outlive the application: no frame is painted past its event loop.
    if (QCoreApplication* application = QCoreApplication::instance())
        connect(application, &QCoreApplication::aboutToQuit, this, &FrameRenderer::stop);
    try {
        worker = std::thread(&FrameRenderer::run, this);
        for (std::size_t index = 1; index < parts.size(); ++index)
            partThreads.emplace_back(&FrameRenderer::runPart, this, index);
    } catch (const std::system_error&) {
        // No room for the painting threads (an address-space limit, say): those made end, and
        // the renderer is not made, as when memory runs out.
        endThreads();
        throw std::bad_alloc();
    }
}

FrameRenderer::~FrameRenderer()
{
    endThreads();
}

void FrameRenderer::endThreads()
{
    stopping.store(true);
    {
        const std::lock_guard<std::mutex> guard(lock);
        quitting = true;
        job.reset();
    }
    changed.notify_all();
    partsChanged.notify_all();
    if (worker.joinable())
        worker.join();
    for (std::thread& thread : partThreads)
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
    for (Part& part : parts)
        part.controllerCopy = ViewerApp::instance()->paintingCopy();
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

QImage FrameRenderer::paintNow(const SceneView& view, const QPen& outline)
{
    request(view, outline);
    {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [this] { return finished.has_value(); });
    }
    return takeFrame()->image;
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
    if (image.isNull())
        return image;
    // Taken here: bits() of a shared image would copy it.
    partJob = &job;
    frameImage = &image;
    frameBits = image.bits();
    frameStride = image.bytesPerLine();
    anyAbove.store(false);
    layeredInexactly.store(false);
    lackedMemory.store(false);
    runStep(Step::PaintBelow);
    if (lackedMemory.load())
        return QImage();
    layAll(true);
    if (anyAbove.load()) {
        runStep(Step::PaintAbove);
        if (lackedMemory.load())
            return QImage();
        layAll(false);
    }
    // A stopped frame is never delivered.
    if (stopping.load())
        return image;
    const ViewerApp::PaintingThread controller(parts.front().controllerCopy.get());
    QPainter painter(&image);
    if (layeredInexactly.load()) {
        painter.setPen(job.outline);
        parts.front().scenePainter.paintScene(&painter, job.view);
    } else {
        ScenePainter::paintAddedMarks(&painter, job.view);
    }
    return image;
}

void FrameRenderer::layAll(bool lower)
{
    // Taken here, on one thread: bits() notes a write in the image (the parts' images are never
    // shared, so it does not copy them).
    layBits.clear();
    for (Part& part : parts)
        layBits.emplace_back(part.image.bits(), part.image.bytesPerLine());
    runStep(lower ? Step::LayBelow : Step::LayAbove);
    // A stopped step may have left rows unlaid.
    if (stopping.load())
        return;
    for (std::size_t index = lower ? 1 : 0; index < parts.size(); ++index)
        parts[index].cleared = true;
}

void FrameRenderer::runStep(Step next)
{
    {
        const std::lock_guard<std::mutex> guard(lock);
        step = next;
        partsLeft = parts.size() - 1;
        ++stepRound;
    }
    partsChanged.notify_all();
    takeStep(0, next);
    std::unique_lock<std::mutex> guard(lock);
    partsChanged.wait(guard, [this] { return partsLeft == 0; });
}

void FrameRenderer::runPart(std::size_t index)
{
    unsigned long long taken = 0;
    for (;;) {
        std::unique_lock<std::mutex> guard(lock);
        partsChanged.wait(guard, [this, taken] { return quitting || stepRound != taken; });
        // A step handed out is taken (at once stopped, when quitting) before the thread ends, so
        // that runStep() never waits for a part that will not come.
        if (stepRound == taken)
            return;
        taken = stepRound;
        const Step current = step;
        guard.unlock();
        takeStep(index, current);
        guard.lock();
        if (--partsLeft == 0)
            partsChanged.notify_all();
    }
}

// A part after the first paints on a transparent image, so that what it leaves untouched shows
// the parts below; so does every part's upper layer.
void FrameRenderer::takeStep(std::size_t index, Step current)
{
    if (stopping.load())
        return;
    Part& part = parts[index];
    const Job& job = *partJob;
    switch (current) {
    case Step::PaintBelow:
    case Step::PaintAbove: {
        // Part 0 paints its lower layer straight into the frame.
        const bool intoFrame = index == 0 && current == Step::PaintBelow;
        if (!intoFrame) {
            if (part.image.size() != job.view.size) {
                part.image = QImage(job.view.size, QImage::Format_ARGB32_Premultiplied);
                part.cleared = false;
                if (part.image.isNull()) {
                    lackedMemory.store(true);
                    return;
                }
            }
            if (!part.cleared)
                part.image.fill(Qt::transparent);
            // From here on the part paints on it.
            part.cleared = false;
        }
        const ViewerApp::PaintingThread controller(part.controllerCopy.get());
        QPainter painter(intoFrame ? frameImage : &part.image);
        if (current == Step::PaintAbove) {
            part.scenePainter.paintPartAbove(&painter, job.view);
            break;
        }
        painter.setPen(job.outline);
        if (part.scenePainter.paintPartBelow(&painter, job.view, {index, parts.size()}))
            anyAbove.store(true);
        break;
    }
    case Step::LayBelow:
        layParts(index, true);
        break;
    case Step::LayAbove:
        layParts(index, false);
        break;
    }
}

// The lower layers go over part 0's, which it painted into the frame; the upper ones go over the
// frame as the lower layers left it.
void FrameRenderer::layParts(std::size_t index, bool lower)
{
    const QSize size = partJob->view.size;
    const int top = static_cast<int>(size.height() * index / parts.size());
    const int bottom = static_cast<int>(size.height() * (index + 1) / parts.size());
    bool exact = true;
    for (int y = top; y < bottom; ++y) {
        auto* frame = reinterpret_cast<QRgb*>(frameBits + y * frameStride);
        for (std::size_t other = lower ? 1 : 0; other < parts.size(); ++other) {
            auto* row = reinterpret_cast<QRgb*>(layBits[other].first + y * layBits[other].second);
            exact = layRow(row, frame, size.width()) && exact;
        }
    }
    if (!exact)
        layeredInexactly.store(true);
}
