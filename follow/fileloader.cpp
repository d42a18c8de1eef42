#include "follow/fileloader.h"

#include "app/releasethread.h"
#include "app/viewerapp.h"
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

void FileLoader::load(const std::string& fileName, Done done)
{
    cancel();
    auto job = std::make_unique<Job>();
    job->result.fileName = fileName;
    job->result.model = DrawingModel::emptyLike(*DrawingModel::instance());
    job->result.comparison = ViewerApp::instance()->changeTracker->prepare();
    job->done = std::move(done);
    const qint64 size = regularFileSize(fileName);
    job->bytesToRead = job->result.comparison.tracking ? 2 * size : size;
    if (size < backgroundThreshold) {
        read(*job);
        job->done(job->result);
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

void FileLoader::read(Job& job)
{
    QElapsedTimer timer;
    timer.start();
    Result& result = job.result;
    bool complete = false;
    try {
        result.comparison.compute(*result.model, result.fileName, &job.progress);
        complete = !job.progress.stop &&
                   loadScriptInBlocks(*result.model, result.fileName, result.fileColors,
                                      kScriptBlockBytes, &job.progress);
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
        const std::unique_ptr<Job> job = std::move(*entry);
        entry = jobs.erase(entry);
        job->thread.join();
        if (job.get() == running) {
            running = nullptr;
            endBlocking();
            job->done(job->result);
            return;
        }
    }
}

void FileLoader::cancel()
{
    if (!running)
        return;
    running->progress.stop = true;
    const QString name = QFileInfo(displayName(running->result.fileName)).fileName();
    running = nullptr;
    endBlocking();
    ViewerApp::instance()->showMessage(QStringLiteral("Loading %1 cancelled").arg(name));
}

void FileLoader::dispose(std::unique_ptr<DrawingModel::Discarded> discarded)
{
    if (discarded->objects.size() < kDisposeInBackgroundFrom)
        return;
    ReleaseThread::release(
        [gone = std::shared_ptr<DrawingModel::Discarded>(std::move(discarded))] {});
}

void FileLoader::showProgress()
{
    if (!running || clock.elapsed() < kProgressAfterMs)
        return;
    const qint64 total = std::max<qint64>(running->bytesToRead, 1);
    const qint64 read = std::min<qint64>(running->progress.bytesRead.load(), total);
    progressLabel->setText(QStringLiteral("Loading %1")
                               .arg(QFileInfo(displayName(running->result.fileName)).fileName()));
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
