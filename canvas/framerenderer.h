#pragma once

#include "canvas/scenepainter.h"
#include "canvas/sceneview.h"

#include <QImage>
#include <QObject>
#include <QPen>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

class ViewerApp;

// Paints frames of the canvas on a thread of its own, so that the GUI thread never waits for a
// large drawing: one frame at a time, of the newest view asked for. Asking for another view, and
// any change of the drawing model (through its before-change hook), stops the frame in progress
// first; a stopped frame is never delivered. The painting thread reads the drawing model, which
// only the GUI thread changes and only after stop(), and a painting copy of the controller
// (ViewerApp::paintingCopy()) instead of the controller itself. A frame is painted in parts, one
// per core, each by a thread of its own on an image of its own: each part paints an equal share
// of the objects in load order (ScenePainter::Part), and the parts' images are laid over each
// other in that order, row by row on every thread. Where a part painted a pixel that is not
// opaque, laying it over would not give the pixel of painting the frame whole: that frame is then
// painted again whole. The threads live as long as the renderer, so that their shape stamps and
// styles (kept per thread) last from frame to frame. docs/DESIGN.md, "Threads".
class FrameRenderer : public QObject
{
    Q_OBJECT

public:
    // A finished frame: the scene at the view, as of the model's scene generation.
    struct Frame {
        QImage image;
        SceneView view;
        unsigned long long sceneGeneration;
    };

    // Starts the painting threads; throws std::bad_alloc when they cannot be made.
    explicit FrameRenderer(QObject* parent = nullptr);
    // Stops the frame in progress and ends the thread.
    ~FrameRenderer() override;

    // Starts painting the scene at the view, with the outline pen for its border; nothing when
    // that very frame is being painted already. GUI thread only, as is everything below.
    void request(const SceneView& view, const QPen& outline);
    // Stops the frame in progress and waits until the thread has left it, a matter of some
    // thousand objects' painting; at once when there is none.
    void stop();
    // The frame that frameReady() announced, if it is still there. Its image is null when there
    // was no memory for it.
    std::optional<Frame> takeFrame();
    // Paints the scene at the view as request() does and waits for the frame, for a caller with
    // nothing to show meanwhile (vedra-export): a picture of the canvas painted on every core,
    // every pixel opaque. Null when there was no memory for it.
    QImage paintNow(const SceneView& view, const QPen& outline);
    // An image of an earlier frame that is no longer shown: the next frame of its size is
    // painted on it instead of on newly allocated memory.
    void recycle(QImage image);

signals:
    void frameReady();

private:
    // Stops the frame in progress and ends every thread made.
    void endThreads();

    struct Job {
        SceneView view;
        unsigned long long sceneGeneration;
        QPen outline;
    };

    // One part of a frame: its painter, the image it paints on (part 0 paints its lower layer
    // into the frame itself) and the controller copy that its thread reads.
    struct Part {
        ScenePainter scenePainter;
        QImage image;
        // The image is wholly transparent: laying it over a frame clears it, so that the next
        // frame need not fill it again.
        bool cleared = false;
        std::unique_ptr<ViewerApp> controllerCopy;
    };
    // What every part's thread does in turn for a frame: paint its lower layer, lay the lower
    // layers over each other into its share of the frame's rows, and the same for the upper
    // layers when a part has highlighted objects.
    enum class Step { PaintBelow, LayBelow, PaintAbove, LayAbove };

    // The painting thread: waits for jobs, paints them, hands them over.
    void run();
    QImage paint(const Job& job);
    // Has every part's thread take the step for the frame, this thread part 0, and waits for all.
    void runStep(Step step);
    // A part's thread: takes each step that runStep() hands out.
    void runPart(std::size_t index);
    void takeStep(std::size_t index, Step step);
    // Lays the parts' lower (or upper) layers over the frame's rows that part `index` lays, and
    // clears those rows of the parts' images.
    void layParts(std::size_t index, bool lower);
    // Runs the step that lays the lower (or upper) layers; the images laid are then cleared,
    // unless the frame was stopped.
    void layAll(bool lower);

    // Set by request(), cleared by takeFrame() and stop(); read by stop() before it locks
    // anything, because every record that a load adds calls it.
    bool active = false;
    // The frame asked for last.
    std::optional<Job> asked;
    // Part 0 is painted by the painting thread, the others by threads of their own. Their
    // controller copies are replaced only while no frame is painted.
    std::vector<Part> parts;

    std::atomic<bool> stopping{false};
    // Guards what follows, shared by both threads.
    std::mutex lock;
    std::condition_variable changed;
    std::optional<Job> job;
    bool painting = false;
    bool quitting = false;
    std::optional<Frame> finished;
    QImage spare;
    // The step handed out: counted by round, so that each part's thread takes each round once,
    // and the parts still to finish it.
    unsigned long long stepRound = 0;
    Step step = Step::PaintBelow;
    std::size_t partsLeft = 0;
    std::condition_variable partsChanged;
    // The frame being painted, set before its first step; what the steps found, set by any part.
    const Job* partJob = nullptr;
    QImage* frameImage = nullptr;
    uchar* frameBits = nullptr;
    qsizetype frameStride = 0;
    // Each part's image bits and bytes per line, while its layers are laid.
    std::vector<std::pair<uchar*, qsizetype>> layBits;
    std::atomic<bool> anyAbove{false};
    std::atomic<bool> layeredInexactly{false};
    // A part had no memory for its image: the frame is delivered null.
    std::atomic<bool> lackedMemory{false};

    std::thread worker;
    std::vector<std::thread> partThreads;
};
