#pragma once

#include "app/scenepainter.h"
#include "app/sceneview.h"

#include <QImage>
#include <QObject>
#include <QPen>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class ViewerApp;

// Paints frames of the canvas on a thread of its own, so that the GUI thread never waits for a
// large drawing: one frame at a time, of the newest view asked for. Asking for another view, and
// any change of the drawing model (through its before-change hook), stops the frame in progress
// first; a stopped frame is never delivered. The painting thread reads the drawing model, which
// only the GUI thread changes and only after stop(), and a painting copy of the controller
// (ViewerApp::paintingCopy()) instead of the controller itself. A frame is painted in horizontal
// bands, one per core, each by a thread of its own on an image of its own, with a clip whose
// bounds are the whole frame so that every band's pixels are those of painting the frame whole.
// The threads live as long as the renderer, so that their shape stamps and styles (kept per
// thread) last from frame to frame. docs/DESIGN.md, "Threads".
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

    explicit FrameRenderer(QObject* parent = nullptr);
    // Stops the frame in progress and ends the thread.
    ~FrameRenderer() override;

    // Starts painting the scene at the view, with the outline pen for its border; nothing when
    // that very frame is being painted already. GUI thread only, as is everything below.
    void request(const SceneView& view, const QPen& outline);
    // Stops the frame in progress and waits until the thread has left it, a matter of some
    // thousand objects' painting; at once when there is none.
    void stop();
    // The frame that frameReady() announced, if it is still there.
    std::optional<Frame> takeFrame();
    // An image of an earlier frame that is no longer shown: the next frame of its size is
    // painted on it instead of on newly allocated memory.
    void recycle(QImage image);

signals:
    void frameReady();

private:
    struct Job {
        SceneView view;
        unsigned long long sceneGeneration;
        QPen outline;
    };

    // One band of a frame: its painter, the image it paints on and the controller copy that its
    // thread reads.
    struct Band {
        ScenePainter scenePainter;
        QImage scratch;
        std::unique_ptr<ViewerApp> controllerCopy;
    };

    // The painting thread: waits for jobs, paints them, hands them over.
    void run();
    QImage paint(const Job& job);
    // A band's thread: paints its band of each frame that paint() hands out.
    void runBand(std::size_t index);
    // Paints the band's rows of the job's frame and copies them into the frame's pixels.
    void paintBand(std::size_t index, const Job& job, uchar* frameBits, qsizetype frameStride);

    // Set by request(), cleared by takeFrame() and stop(); read by stop() before it locks
    // anything, because every record that a load adds calls it.
    bool active = false;
    // The frame asked for last.
    std::optional<Job> asked;
    // Band 0 is painted by the painting thread, the others by threads of their own. Their
    // controller copies are replaced only while no frame is painted.
    std::vector<Band> bands;

    std::atomic<bool> stopping{false};
    // Guards what follows, shared by both threads.
    std::mutex lock;
    std::condition_variable changed;
    std::optional<Job> job;
    bool painting = false;
    bool quitting = false;
    std::optional<Frame> finished;
    QImage spare;
    // The frame whose bands are being painted: counted by round, so that each band thread paints
    // each round once, and the bands still to finish.
    unsigned long long bandRound = 0;
    std::size_t bandsLeft = 0;
    const Job* bandJob = nullptr;
    uchar* bandFrameBits = nullptr;
    qsizetype bandFrameStride = 0;
    std::condition_variable bandsChanged;

    std::thread worker;
    std::vector<std::thread> bandThreads;
};
