#pragma once

#include "app/inputhold.h"
#include "follow/changetracker.h"
#include "model/drawingmodel.h"
#include "script/fileending.h"
#include "script/loadscript.h"

#include <QColor>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QLabel;
class QMainWindow;
class QProgressBar;
class QWidget;

// Reads a file into a drawing model of its own, so that the drawing shown stays whole until the
// new one is complete and then gives way to it at once. A file of kBackgroundFrom bytes or more
// is read on a thread of its own while the window goes on answering: from half a second on, the
// status bar shows the bytes read with a Cancel button, and Cancel or Esc stops the load and
// leaves the drawing as it was. While such a load runs, no command that acts on the drawing
// reaches the window: clicks, keys and shortcuts are dropped, so nothing acts on a drawing that is
// about to go; only the keys and the wheel that move the view go on (letPass()). Smaller files
// are read at once, on the GUI thread, the same way.
//
// Only whole versions of a file are handed over: a load during which the file changed (found by
// the file's stamps before and after, or told by noteFileChanged) is dropped, and the file is read
// again once it has stayed unchanged for the follower's settle time (longer for a file whose
// writer pauses); meanwhile the drawing shown stays. A whole read of a file that looks like a
// write in progress (FileEnding::looksUnfinished, against the version this loader handed over
// last while it is the drawing shown, unless its records are those shown) is held, the status bar
// saying that the file is being written, until the file has not changed for
// FileEnding::kUnfinishedQuietMilliseconds (then it was whole: a file saved without a last line end
// loads its last record), or read again once it has settled after a change. A load is handed over
// only while nothing holds the model's objects (DrawingModel::ObjectsInUse), else when the last
// hold ends. docs/DESIGN.md, "Threads".
class FileLoader : public QObject
{
    Q_OBJECT

public:
    // What a finished load hands over, on the GUI thread.
    struct Result {
        std::string fileName;
        // The new drawing, for the drawing model to adopt; empty when memory ran out.
        std::unique_ptr<DrawingModel> model;
        std::map<std::string, QColor> fileColors;
        ChangeTracker::Comparison comparison;
        // How the read ended, and the file's stamp as it was read.
        ScriptRead read;
        // The file's last bytes, taken once it was read whole.
        FileEnding ending;
        bool outOfMemory = false;
        qint64 milliseconds = 0;
    };
    using Done = std::function<void(Result&)>;

    // Files of this many bytes and more are loaded in the background.
    static constexpr qint64 kBackgroundFrom = qint64(8) << 20;
    // A step through a series loads in the background from this many bytes (some ten thousand
    // objects, read at once in a few milliseconds): stepping or playing through members of a
    // hundred thousand objects never keeps the view keys and the wheel waiting.
    static constexpr qint64 kStepBackgroundFrom = qint64(256) << 10;
    // A background load shows its progress once it has run this long.
    static constexpr int kProgressAfterMs = 500;

    // The progress and its Cancel button go to the window's status bar.
    explicit FileLoader(QMainWindow* window);
    // Stops every load still running and waits for its thread.
    ~FileLoader() override;

    // Loads the file, then calls `done` with the result: at once for a small file, later, from
    // the event loop, for a large one, a file that changed while it was read, or while the
    // model's objects are in use. A load still running is stopped first, its result dropped.
    // The file goes to the background from `backgroundFrom` bytes, or from the tests' lower
    // setBackgroundFrom().
    void load(const std::string& fileName, Done done, qint64 backgroundFrom = kBackgroundFrom);
    // Stops the running load, if any: its `done` is never called, the status bar says so, and
    // cancelled() is sent.
    void cancel();
    // Whether a load is running, waits for its file to settle, or waits to be handed over.
    bool busy() const { return running != nullptr || !waiting.fileName.empty(); }
    // The file being loaded; empty when none is.
    std::string loadingName() const;
    // The file being loaded was seen to change: unless it is still as the load found it, the load
    // is stopped, and the file read again once it has settled. Another file's name changes
    // nothing.
    void noteFileChanged(const std::string& fileName);

    // Lets go of a replaced drawing: a large one is freed on the release thread, which the object
    // arena allows, so that the GUI thread does not wait for it.
    static void dispose(std::unique_ptr<DrawingModel::Discarded> discarded);

    // The actions whose keys, and the widget whose wheel, still move the view of the drawing
    // shown while another loads.
    void letPass(const QList<QAction*>& actions, QWidget* wheelTarget)
    {
        inputHold.setPassing(actions, wheelTarget);
    }

    // Files of this many bytes and more load in the background; tests lower it for small files.
    void setBackgroundFrom(qint64 bytes) { backgroundThreshold = bytes; }
    // For tests: every load from now on calls `hook` on its thread once its bytes read reach
    // `atByte` (see LoadProgress); a negative offset takes the stop point away.
    void setStopPoint(qint64 atByte, std::function<void()> hook);

signals:
    // Sent by a load's thread as it ends, delivered on the GUI thread.
    void jobEnded();
    // A load has ended: handed over (after its `done`), or stopped by the user (Cancel, Esc),
    // the drawing shown staying.
    void loadEnded(bool handedOver);

private:
    // One load: what it reads and makes, its progress, and its thread when it has one.
    struct Job {
        Result result;
        Done done;
        LoadProgress progress;
        qint64 bytesToRead = 0;
        std::thread thread;
        // Set by the thread once it has done with the job.
        std::atomic<bool> ended{false};
        // On the GUI thread: the file as the job began, and whether it was seen to change since.
        FileStamp startStamp;
        bool changeSeen = false;
    };

    // A load that is not handed over yet: the file is settling after a change during its read
    // (`settled` the stamp it had when the wait began), or the result waits for the model's
    // objects to be free (`ready`), or for the file to show that it is whole (`ready` and
    // `beingWritten`, held since `held` started).
    struct Waiting {
        std::string fileName;
        Done done;
        FileStamp settled;
        std::unique_ptr<Job> ready;
        bool beingWritten = false;
        QElapsedTimer held;
    };

    // Starts reading the file, as load() does, without stopping what runs.
    void start(const std::string& fileName, Done done);
    // Reads the job's file into its model; runs on the job's thread, or on the GUI thread for a
    // small file. A load that is stopped, overlapped a change or ran out of memory leaves an
    // empty model.
    static void read(Job& job);
    // On the GUI thread: joins the threads that have done their work, and finishes the running
    // load if it is among them.
    void collectEnded();
    // The running load has ended: hands its result over, or drops it and waits for the file to
    // settle, or keeps it until the model's objects are free.
    void finish(std::unique_ptr<Job> job);
    // The settle time has passed since a dropped load: reads the file again if it stayed as it
    // was, or waits again.
    void settleChecked();
    // Drops the load and reads the file again once it has settled.
    void readAgainWhenSettled(const std::string& fileName, Done done);
    // A held load of a file being written: hands it over once the file has stayed as read long
    // enough, or reads the file again once it changed.
    void writtenChecked();
    // Milliseconds the held load's file has been seen not to change.
    qint64 heldQuietMilliseconds() const;
    void handOverWaiting();
    void showProgress();
    void endBlocking();
    // Stops every load and waits for its thread.
    void stopThreads();

    qint64 backgroundThreshold = kBackgroundFrom;
    // The threshold of the last load asked for, which a read again after a change keeps.
    qint64 requestThreshold = kBackgroundFrom;
    // The load whose result is awaited, and loads that were stopped and are still winding up.
    Job* running = nullptr;
    std::vector<std::unique_ptr<Job>> jobs;
    Waiting waiting;
    QTimer settleTimer;
    // Loads of the same file dropped in a row because it changed while they read it.
    int droppedInARow = 0;
    // The version handed over last, which a write in place over it is judged against.
    std::string shownName;
    FileEnding shownEnding;
    qint64 stopPointByte = -1;
    std::function<void()> stopPointHook;
    InputHold inputHold;
    QElapsedTimer clock;
    QTimer progressTimer;
    QWidget* progressBox = nullptr;
    QLabel* progressLabel = nullptr;
    QProgressBar* progressBar = nullptr;
};
