#include "follow/fileloader.h"

#include "app/releasethread.h"
#include "app/viewerapp.h"
#include "follow/filefollower.h"
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
    settleTimer.setInterval(FileFollower::kSettleMilliseconds);
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

void FileLoader::load(const std::string& fileName, Done done)
{
    cancel();
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
    if (job->bytesToRead < backgroundThreshold) {
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
    if ((result.read.changed || job->changeSeen) && !result.outOfMemory) {
        ++droppedInARow;
        const QString name = shortName(result.fileName);
        ViewerApp::instance()->showMessage(
            droppedInARow == 1
                ? QStringLiteral("%1 changed while it was read: reading it again").arg(name)
                : QStringLiteral("%1 is changing faster than it can be read").arg(name));
        waiting.fileName = result.fileName;
        waiting.done = std::move(job->done);
        waiting.settled = FileStamp::of(waiting.fileName);
        settleTimer.start();
        return;
    }
    droppedInARow = 0;
    waiting.fileName = result.fileName;
    waiting.ready = std::move(job);
    if (!DrawingModel::instance()->objectsInUse())
        handOverWaiting();
}

void FileLoader::settleChecked()
{
    const FileStamp now = FileStamp::of(waiting.fileName);
    if (now != waiting.settled) {
        waiting.settled = now;
        settleTimer.start();
        return;
    }
    const std::string fileName = std::move(waiting.fileName);
    waiting.fileName.clear();
    start(fileName, std::move(waiting.done));
}

void FileLoader::handOverWaiting()
{
    if (!waiting.ready || DrawingModel::instance()->objectsInUse())
        return;
    const std::unique_ptr<Job> job = std::move(waiting.ready);
    waiting.fileName.clear();
    job->done(job->result);
    emit loadEnded(true);
}

void FileLoader::noteFileChanged(const std::string& fileName)
{
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
