#include "follow/fileloader.h"

#include "app/releasethread.h"
#include "app/viewerapp.h"
#include "follow/filefollower.h"
#include "follow/followcontrol.h"
#include "model/drawingmodel.h"
#include "script/textfile.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>
#include <new>

namespace
{

// A drawing of this many objects or more is freed on the release thread: a million take a tenth
// of a second.
constexpr std::size_t kDisposeInBackgroundFrom = 50000;
// How often the progress is shown anew, milliseconds.
constexpr int kProgressIntervalMs = 100;
constexpr int kProgressBarWidth = 220;

// The size of a regular file that opens for reading; 0 for anything else, which loads at once
// and says why it cannot be opened.
qint64 regularFileSize(const std::string& fileName)
{
    QFile file;
    return openRegularFile(file, fileName, QIODevice::ReadOnly) ? file.size() : 0;
}

QString shortName(const std::string& fileName)
{
    return QFileInfo(displayName(fileName)).fileName();
}

// How long the file must stay the same before it is read again: longer for a file whose writer
// was seen to pause.
int settleMilliseconds(const std::string& fileName)
{
    const FollowControl* control = ViewerApp::instance()->followControl;
    return control ? control->follower.settleMilliseconds(fileName)
                   : FileFollower::kSettleMilliseconds;
}

QString megabytes(qint64 bytes)
{
    return QString::number(static_cast<double>(bytes) / 1e6, 'f', bytes < 10000000 ? 1 : 0);
}

} // namespace

FileLoader::FileLoader(QMainWindow* window) : QObject(window)
{
    progressBox = new QWidget(window->statusBar());
    auto* layout = new QHBoxLayout(progressBox);
    layout->setContentsMargins(0, 0, 0, 0);
    progressLabel = new QLabel(progressBox);
    progressBar = new QProgressBar(progressBox);
    progressBar->setFixedWidth(kProgressBarWidth);
    progressBar->setRange(0, 1000);
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), progressBox);
    cancelButton->setToolTip(QStringLiteral("Stop loading and keep the drawing (Esc)"));
    layout->addWidget(progressLabel);
    layout->addWidget(progressBar);
    layout->addWidget(cancelButton);
    // First of the permanent widgets: showing it moves none of the others.
    window->statusBar()->insertPermanentWidget(0, progressBox);
    progressBox->hide();
    connect(cancelButton, &QPushButton::clicked, this, &FileLoader::cancel);
    connect(this, &FileLoader::jobEnded, this, &FileLoader::collectEnded, Qt::QueuedConnection);
    inputHold.setExempt(progressBox);
    inputHold.setOnEscape([this] { cancel(); });
    progressTimer.setInterval(kProgressIntervalMs);
    connect(&progressTimer, &QTimer::timeout, this, &FileLoader::showProgress);
    settleTimer.setSingleShot(true);
    connect(&settleTimer, &QTimer::timeout, this, &FileLoader::settleChecked);
    // Queued: whoever let go of the objects may still hold pointers it took from them.
    DrawingModel::instance()->setAfterObjectsInUse([this] {
        QMetaObject::invokeMethod(this, &FileLoader::handOverWaiting, Qt::QueuedConnection);
    });
    // The loads' threads end before the application does, while the drawing model still exists.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] {
        cancel();
        stopThreads();
    });
}

// The widgets may be gone already; the input hold lets go by itself.
FileLoader::~FileLoader()
{
    stopThreads();
}

void FileLoader::stopThreads()
{
    for (const std::unique_ptr<Job>& job : jobs) {
        job->progress.stop = true;
        if (job->thread.joinable())
            job->thread.join();
    }
}

std::string FileLoader::loadingName() const
{
    return running ? running->result.fileName : waiting.fileName;
}

void FileLoader::setStopPoint(qint64 atByte, std::function<void()> hook)
{
    stopPointByte = atByte;
    stopPointHook = atByte >= 0 ? std::move(hook) : std::function<void()>();
}

void FileLoader::load(const std::string& fileName, Done done, qint64 backgroundFrom)
{
    cancel();
    requestThreshold = backgroundFrom;
    droppedInARow = 0;
    start(fileName, std::move(done));
}

void FileLoader::start(const std::string& fileName, Done done)
{
    auto job = std::make_unique<Job>();
    job->result.fileName = fileName;
    job->result.model = DrawingModel::emptyLike(*DrawingModel::instance());
    job->result.comparison = ViewerApp::instance()->changeTracker->prepare(fileName);
    job->done = std::move(done);
    job->progress.pauseAt = stopPointByte;
    job->progress.onPause = stopPointHook;
    job->startStamp = FileStamp::of(fileName);
    job->bytesToRead = regularFileSize(fileName);
    if (job->bytesToRead < std::min(requestThreshold, backgroundThreshold)) {
        read(*job);
        finish(std::move(job));
        return;
    }
    running = job.get();
    jobs.push_back(std::move(job));
    clock.start();
    progressTimer.start();
    inputHold.hold(true);
    running->thread = std::thread([this, job = running] {
        read(*job);
        job->ended.store(true, std::memory_order_release);
        emit jobEnded();
    });
}

// The records are hashed in the same pass as they are read, so that the hashes are those of the
// bytes loaded; every load keeps them, so that Show Changes turned on later compares with the
// drawing shown rather than with whatever the file on disk has become.
void FileLoader::read(Job& job)
{
    QElapsedTimer timer;
    timer.start();
    Result& result = job.result;
    ChangeTracker::Comparison& comparison = result.comparison;
    bool complete = false;
    try {
        result.read = loadScriptInBlocks(*result.model, result.fileName, result.fileColors,
                                         kScriptBlockBytes, &job.progress, &comparison.after);
        complete = result.read.whole();
        // The ending is taken from the version read, or the read is no one version.
        if (complete) {
            result.ending = FileEnding::of(result.fileName);
            result.read.changed = result.ending.stamp != result.read.stamp;
            complete = !result.read.changed;
        }
        if (complete)
            comparison.compare();
    } catch (const std::bad_alloc&) {
        result.outOfMemory = true;
    }
    if (!complete) {
        result.model->clearObjects();
        result.model->clearPropertyDeclarations();
        result.fileColors.clear();
    }
    result.milliseconds = timer.elapsed();
}

// The ended flag, stored by the thread after its last write to the job, tells which jobs are
// done; joining the thread then makes everything it wrote visible here.
void FileLoader::collectEnded()
{
    for (auto entry = jobs.begin(); entry != jobs.end();) {
        if (!(*entry)->ended.load(std::memory_order_acquire)) {
            ++entry;
            continue;
        }
        std::unique_ptr<Job> job = std::move(*entry);
        entry = jobs.erase(entry);
        job->thread.join();
        if (job.get() == running) {
            running = nullptr;
            endBlocking();
            finish(std::move(job));
            return;
        }
    }
}

// A result is handed over only when it is of one whole version of the file, and only while no
// one reads the objects it replaces.
void FileLoader::finish(std::unique_ptr<Job> job)
{
    Result& result = job->result;
    const QString name = shortName(result.fileName);
    if ((result.read.changed || job->changeSeen) && !result.outOfMemory) {
        ++droppedInARow;
        ViewerApp::instance()->showMessage(
            droppedInARow == 1
                ? QStringLiteral("%1 changed while it was read: reading it again").arg(name)
                : QStringLiteral("%1 is changing faster than it can be read").arg(name));
        readAgainWhenSettled(result.fileName, std::move(job->done));
        return;
    }
    droppedInARow = 0;
    // Judged against the version handed over last only while it is the drawing shown; the same
    // records again (a file written anew as it was) show nothing that is not shown already.
    const ViewerApp* app = ViewerApp::instance();
    const bool againstShown = result.fileName == shownName && app->fileName == shownName &&
                              app->fileStamp == shownEnding.stamp &&
                              result.comparison.after != DrawingModel::instance()->recordHashes;
    const bool unfinished =
        !result.outOfMemory &&
        result.ending.looksUnfinished(againstShown ? shownEnding : FileEnding()) &&
        result.ending.quietMilliseconds() < FileEnding::kUnfinishedQuietMilliseconds;
    waiting.fileName = result.fileName;
    waiting.ready = std::move(job);
    if (unfinished) {
        waiting.beingWritten = true;
        waiting.held.start();
        ViewerApp::instance()->showMessage(
            QStringLiteral("%1 is being written: the drawing shown stays until it is whole")
                .arg(name));
        settleTimer.start(settleMilliseconds(waiting.fileName));
        return;
    }
    if (!DrawingModel::instance()->objectsInUse())
        handOverWaiting();
}

void FileLoader::readAgainWhenSettled(const std::string& fileName, Done done)
{
    waiting.fileName = fileName;
    waiting.done = std::move(done);
    waiting.settled = FileStamp::of(fileName);
    settleTimer.start(settleMilliseconds(fileName));
}

void FileLoader::settleChecked()
{
    if (waiting.beingWritten) {
        writtenChecked();
        return;
    }
    const FileStamp now = FileStamp::of(waiting.fileName);
    if (now != waiting.settled) {
        waiting.settled = now;
        settleTimer.start(settleMilliseconds(waiting.fileName));
        return;
    }
    const std::string fileName = std::move(waiting.fileName);
    waiting.fileName.clear();
    start(fileName, std::move(waiting.done));
}

qint64 FileLoader::heldQuietMilliseconds() const
{
    return std::max(waiting.ready->result.ending.quietMilliseconds(), waiting.held.elapsed());
}

// The file is looked at every settle time, so that a writer going on is noticed soon.
void FileLoader::writtenChecked()
{
    const std::string fileName = waiting.fileName;
    if (FileStamp::of(fileName) != waiting.ready->result.read.stamp) {
        const std::unique_ptr<Job> dropped = std::move(waiting.ready);
        waiting.beingWritten = false;
        auto discarded = std::make_unique<DrawingModel::Discarded>();
        dropped->result.model->releaseObjects(*discarded);
        dispose(std::move(discarded));
        readAgainWhenSettled(fileName, std::move(dropped->done));
        return;
    }
    if (heldQuietMilliseconds() < FileEnding::kUnfinishedQuietMilliseconds) {
        settleTimer.start(settleMilliseconds(fileName));
        return;
    }
    waiting.beingWritten = false;
    if (!DrawingModel::instance()->objectsInUse())
        handOverWaiting();
}

void FileLoader::handOverWaiting()
{
    if (!waiting.ready || waiting.beingWritten || DrawingModel::instance()->objectsInUse())
        return;
    const std::unique_ptr<Job> job = std::move(waiting.ready);
    waiting.fileName.clear();
    shownName = job->result.fileName;
    shownEnding = job->result.ending;
    job->done(job->result);
    emit loadEnded(true);
}

void FileLoader::noteFileChanged(const std::string& fileName)
{
    if (waiting.beingWritten && waiting.fileName == fileName) {
        writtenChecked();
        return;
    }
    if (!running || running->result.fileName != fileName ||
        FileStamp::of(fileName) == running->startStamp)
        return;
    running->progress.stop = true;
    running->changeSeen = true;
}

void FileLoader::cancel()
{
    if (!busy())
        return;
    const QString name = shortName(loadingName());
    if (running)
        running->progress.stop = true;
    running = nullptr;
    settleTimer.stop();
    waiting = Waiting();
    endBlocking();
    ViewerApp::instance()->showMessage(QStringLiteral("Loading %1 cancelled").arg(name));
    emit loadEnded(false);
}

// The allocator keeps what a large drawing freed for itself; it is given back to the system, so
// that reloads do not leave the process as large as every drawing it ever held at once.
void FileLoader::dispose(std::unique_ptr<DrawingModel::Discarded> discarded)
{
    if (discarded->objects.size() < kDisposeInBackgroundFrom)
        return;
    ReleaseThread::release([gone = std::shared_ptr<DrawingModel::Discarded>(
                                std::move(discarded))]() mutable { gone.reset(); },
                           ReleaseThread::Memory::GiveBack);
}

void FileLoader::showProgress()
{
    if (!running || clock.elapsed() < kProgressAfterMs)
        return;
    const qint64 total = std::max<qint64>(running->bytesToRead, 1);
    const qint64 read = std::min<qint64>(running->progress.bytesRead.load(), total);
    progressLabel->setText(QStringLiteral("Loading %1").arg(shortName(running->result.fileName)));
    progressBar->setValue(static_cast<int>(read * 1000 / total));
    progressBar->setFormat(QStringLiteral("%1 of %2 MB").arg(megabytes(read), megabytes(total)));
    progressBox->show();
}

void FileLoader::endBlocking()
{
    progressTimer.stop();
    progressBox->hide();
    inputHold.release();
}
