// Printing the drawing through Qt's print preview, exporting it as a picture, the About box and
// the Keys page.
#include "app/exportimagedialog.h"
#include "app/keptfiles.h"
#include "app/rememberedstate.h"
#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "canvas/scenepainter.h"
#include "canvas/scenepicture.h"
#include "commands/qfunctionality.h"
#include "model/drawingmodel.h"
#include "render/sharedstyles.h"
#include "script/outputfile.h"
#include "script/textfile.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// One printer unit is one screen pixel, so the page shows the drawing at the canvas's scale.
void QFunctionality::doPrint()
{
    ViewerApp* app = ViewerApp::instance();
    QPrinter printer(QPrinter::ScreenResolution);
    QPrintPreviewDialog dialog(&printer, app->mainWindow);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            &QFunctionality::doPrintAllPaintObject);
    dialog.exec();
}

namespace
{

// Pictures of more pixels than this (two thousand square) are painted and written with progress.
constexpr qint64 kLargePicturePixels = qint64(1) << 22;

// A large picture (of many pixels or many objects) is painted a share of the objects at a time
// with the window's events processed in between, and encoded and written on a thread of its own,
// behind a progress dialog whose Cancel (or Esc) stops either step and writes nothing (a PDF's or
// SVG's painter writes out what it recorded on that thread: for an SVG of a million objects,
// seconds). The dialog is
// window-modal, so no command acts on the drawing meanwhile; a drawing that changes all the same
// (a file followed on disk) ends the export rather than mix two versions. A device or a FIFO is
// always written on the thread, so that a reader that does not read holds the export, never the
// window. Smaller pictures to files are written at once.
std::optional<QFunctionality::ExportFailure>
writePicture(OutputFile& file, ScenePicture::Format format, const SceneView& view,
             const QString& name, const QString& title, QWidget* window)
{
    using Failure = QFunctionality::ExportFailure;
    ScenePicture picture;
    const DrawingModel* model = DrawingModel::instance();
    const bool manyPixels = format == ScenePicture::Format::Png &&
                            qint64(view.size.width()) * view.size.height() > kLargePicturePixels;
    const bool large =
        manyPixels || model->objects.size() >= QwgtDisplay::backgroundPaintThreshold();
    if (!large && !file.writesIntoDevice()) {
        if (const std::optional<QString> failure = picture.save(file, format, view, title))
            return Failure{false, *failure};
        return std::nullopt;
    }
    QProgressDialog progress(QStringLiteral("Painting %1…").arg(name), QStringLiteral("Cancel"), 0,
                             0, window);
    progress.setWindowTitle(QStringLiteral("Export Image"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    const unsigned long long generation = model->sceneGeneration;
    const ScenePicture::Between between = [&](int done, int steps) {
        if (!large)
            return true;
        progress.setRange(0, steps);
        progress.setValue(done);
        progress.show();
        QCoreApplication::processEvents();
        return !progress.wasCanceled() && model->sceneGeneration == generation;
    };
    // What the thread does with the painted picture: encode it, or have the PDF's or SVG's
    // painter write out what it recorded.
    std::function<bool()> writeOut;
    QImage image;
    std::unique_ptr<ScenePicture::Recording> recording;
    if (format == ScenePicture::Format::Png) {
        image = picture.paintImage(view, between);
        if (!image.isNull())
            writeOut = [&] { return ScenePicture::encodePng(image, &file); };
    } else {
        recording = picture.record(&file, format, view, title, between);
        if (recording)
            writeOut = [&] { return recording->finish(); };
    }
    if (progress.wasCanceled())
        return Failure{true, QString()};
    if (model->sceneGeneration != generation)
        return Failure{false, QStringLiteral("the drawing changed while it was painted")};
    if (!writeOut)
        return Failure{false, QStringLiteral("rendering failed")};
    progress.setLabelText(QStringLiteral("Writing %1…").arg(name));
    progress.setRange(0, 0);
    progress.show();
    // Set by the writing thread; atomic, since QThread::wait() synchronises in ways the thread
    // sanitizer cannot see.
    std::atomic<bool> written{false};
    QEventLoop waiting;
    const std::unique_ptr<QThread> writer(
        QThread::create([&] { written.store(writeOut(), std::memory_order_release); }));
    QObject::connect(writer.get(), &QThread::finished, &waiting, &QEventLoop::quit);
    QObject::connect(&progress, &QProgressDialog::canceled, &waiting, [&file] { file.abandon(); });
    writer->start();
    waiting.exec();
    writer->wait();
    if (progress.wasCanceled())
        return Failure{true, QString()};
    if (written.load(std::memory_order_acquire) && file.commit())
        return std::nullopt;
    return Failure{false, file.errorString()};
}

} // namespace

// The picture is written beside its place and renamed over it only when complete, so a failed or
// cancelled export leaves any earlier file as it was. The file the last export wrote, and its
// size, are offered the next time.
void QFunctionality::doExportImage()
{
    ViewerApp* app = ViewerApp::instance();
    QString suggested = RememberedState::exportFile();
    if (suggested.isEmpty()) {
        suggested =
            app->fileName.empty() ? QStringLiteral("vedra.las") : displayName(app->fileName);
        if (suggested.endsWith(QStringLiteral(".las"), Qt::CaseInsensitive))
            suggested.chop(4);
        suggested += QStringLiteral(".png");
    }
    ExportImageDialog dialog(suggested, app->display->size(), RememberedState::exportSize(),
                             app->mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // An earlier export's "Image written" would read as this one's result.
    app->showMessage(QString());
    const QString name = dialog.fileName();
    const std::optional<ExportFailure> failure = writeImage(name, dialog.pictureSize());
    if (failure && failure->cancelled) {
        app->showMessage(QStringLiteral("Export cancelled: %1 not written").arg(name));
        return;
    }
    if (failure) {
        QMessageBox::warning(app->mainWindow, QStringLiteral("Export Image"), failure->reason);
        return;
    }
    RememberedState::setExport(name, dialog.chosenSize());
    app->showMessage(QStringLiteral("Image written to %1").arg(name));
}

std::optional<QFunctionality::ExportFailure> QFunctionality::writeImage(const QString& name,
                                                                        const QSize& pictureSize)
{
    const ViewerApp* app = ViewerApp::instance();
    const QString title = app->fileName.empty() ? QStringLiteral("Vedra")
                                                : QFileInfo(displayName(app->fileName)).fileName();
    const std::string path = QFile::encodeName(name).toStdString();
    std::vector<std::string> keptFiles = KeptFiles::paths();
    keptFiles.push_back(app->fileName);
    if (const std::optional<QString> refused = OutputFile::whyNotOverwritten(path, keptFiles))
        return ExportFailure{false, *refused};
    // A FIFO that nothing reads would hold the window until a reader comes.
    OutputFile file(path, OutputFile::FifoReader::MustBeThere);
    if (!file.open(QIODevice::WriteOnly))
        return ExportFailure{false,
                             QStringLiteral("Cannot write %1: %2").arg(name, file.errorString())};
    std::optional<ExportFailure> failure =
        writePicture(file, *ScenePicture::formatOf(name), app->canvasViewScaledTo(pictureSize),
                     name, title, app->mainWindow);
    if (failure && !failure->cancelled)
        failure->reason = QStringLiteral("Cannot write %1: %2").arg(name, failure->reason);
    return failure;
}

// No transform: every object paints itself at the canvas's current view, highlighted ones last.
void QFunctionality::doPrintAllPaintObject(QPrinter* printer)
{
    QPainter painter(printer);
    const ViewerApp* app = ViewerApp::instance();
    const SceneView view = app->sceneView(app->display->size());
    ScenePainter scene;
    scene.paintLayer(&painter, view, 0);
    scene.paintLayer(&painter, view, 1);
}

void QFunctionality::doShowAbout()
{
    ViewerApp* app = ViewerApp::instance();
    const QString qtVersion = QString::fromLatin1(qVersion());
    const QStringList pieces = {
        QStringLiteral("<font face=arial>"),
        QStringLiteral("<font size=6 color=blue>Vedra "),
        app->versionText,
        QStringLiteral("</font><hr>"),
        QStringLiteral("<font size=4>Vedra is written by <font color=blue>the Vedra "
                       "developers</font>. This software is based on Qt ") +
            qtVersion + QStringLiteral(".</font> "),
        QStringLiteral("<br><font size=4>Thanks to <font color=blue>everyone who reports "
                       "problems</font>: every report makes Vedra better.</font> "),
        QStringLiteral("<br><font size=4>Please contact <font color=blue>the project's issue "
                       "tracker</font> if there is any problem.</font> "),
        QStringLiteral("<br><font size=4>"),
        app->dateText,
        QStringLiteral("</font> "),
        QStringLiteral("</font>"),
    };
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("About Vedra"), pieces.join(QString()),
                    QMessageBox::Ok, app->mainWindow);
    box.setTextFormat(Qt::RichText);
    constexpr int kLogoSize = 128;
    box.setIconPixmap(SharedStyles::resourceIcon(QStringLiteral(":/icon/logo.png"))
                          .pixmap(QSize(kLogoSize, kLogoSize), box.devicePixelRatio()));
    box.exec();
}

void QFunctionality::doShowKeys()
{
    ViewerApp* app = ViewerApp::instance();
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Keys"), app->keysText(), QMessageBox::Ok,
                    app->mainWindow);
    box.setTextFormat(Qt::RichText);
    box.exec();
}
