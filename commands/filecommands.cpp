// Choosing which script input is shown: open, reload, and stepping through a numbered series.
#include "app/rememberedstate.h"
#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "commands/explorerfiller.h"
#include "commands/qfunctionality.h"
#include "commands/qwgtlistitemwithobj.h"
#include "follow/changetracker.h"
#include "follow/followcontrol.h"
#include "follow/investigation.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "script/seriesname.h"
#include "script/textfile.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QMainWindow>

#include <limits>
#include <optional>

namespace
{

// Neighbours tried in each direction before settling on the next index anyway.
constexpr int kSeriesSearchSteps = 20;

std::string seriesMember(const std::string& prefix, qint64 index, const std::string& suffix)
{
    return prefix + std::to_string(index) + suffix;
}

// A file counts as present when it opens for reading as a regular file: a pipe named like one
// is neither waited on nor taken, nor is a directory.
bool opensForReading(const std::string& name)
{
    QFile file;
    return openRegularFile(file, name, QIODevice::ReadOnly);
}

} // namespace

// The explorer's filler knows what the explorer lists; another list is asked entry by entry.
void QFunctionality::clearItemList(QListWidget* list)
{
    std::vector<paintObject*> listed;
    if (list == ViewerApp::instance()->itemList) {
        listed = ViewerApp::instance()->itemListFiller->cancel();
    } else {
        for (int row = 0; row < list->count(); ++row)
            listed.push_back(static_cast<QwgtListItemWithObj*>(list->item(row))->object);
    }
    DrawingModel::instance()->setHighlighted(listed, false);
    list->clear();
    if (list == ViewerApp::instance()->itemList)
        showListedCount();
}

void QFunctionality::doReload()
{
    loadFile(ViewerApp::instance()->fileName, FileChange::Reload);
}

void QFunctionality::stepToFile(const std::string& name)
{
    loadFile(name, FileChange::Step);
}

void QFunctionality::loadFile(const std::string& name, FileChange change)
{
    ViewerApp::instance()->fileLoader->load(
        name, [this, change](FileLoader::Result& result) { showLoaded(result, change); },
        change == FileChange::Step ? FileLoader::kStepBackgroundFrom : FileLoader::kBackgroundFrom);
}

void QFunctionality::showLoaded(FileLoader::Result& result, FileChange change)
{
    ViewerApp* app = ViewerApp::instance();
    DrawingModel* model = DrawingModel::instance();
    const std::optional<Investigation> kept = Investigation::captureIfKept(result.fileName);
    clearItemList(app->itemList);
    // The objects described and searched for are gone with the drawing they belong to; a kept
    // investigation shows them again when the new file has them.
    app->itemText->clear();
    app->relatedList->clear();
    // The view history belongs to the file: Reload and stepping through a series keep it.
    if (change == FileChange::Open)
        app->display->navigator().forget();
    if (change != FileChange::Step)
        app->rememberPendingStep();
    app->fileName = result.fileName;
    app->fileStamp = result.read.stamp;
    app->fileColors.swap(result.fileColors);
    std::unique_ptr<DrawingModel::Discarded> discarded = model->adopt(*result.model);
    app->changeTracker->adopt(result.comparison, *discarded, !result.outOfMemory, app->fileName);
    FileLoader::dispose(std::move(discarded));
    app->followControl->followCurrentFile();
    if (result.outOfMemory)
        app->reportOutOfMemory();
    else
        app->reportLoad(result.milliseconds);
    if (result.read.stamp.exists && !result.read.headerEnded && !result.outOfMemory)
        app->showMessage(QStringLiteral("no endheader line: the whole file was read as header"));
    if (kept)
        kept->restoreVisibility();
    app->keepLayers(kept.has_value());
    app->display->repaint();
    app->resetPick();
    app->listedName.clear();
    app->listedQuery.clear();
    if (kept)
        kept->restoreListing();
    app->updateTitle();
    if (change == FileChange::Step)
        app->rememberStepLater();
    else
        app->rememberCurrentFile();
    if (change == FileChange::Step && !opensForReading(app->fileName)) {
        const QString shown = QFileInfo(displayName(app->fileName)).fileName();
        app->showMessage(QStringLiteral("%1 does not exist").arg(shown));
    }
    emit fileShown();
}

void QFunctionality::doOpenfile()
{
    ViewerApp* app = ViewerApp::instance();
    // The current file's folder first, then the one the dialog chose from last time.
    const QString current = displayName(app->fileName);
    const QString folder =
        app->fileName.empty() ? RememberedState::openFolder() : QFileInfo(current).absolutePath();
    const QString path =
        QFileDialog::getOpenFileName(app->mainWindow, QStringLiteral("Open .las file"), folder,
                                     QStringLiteral("las files (*.las);;All files (*)"));
    if (path.isEmpty())
        return;
    RememberedState::setOpenFolder(QFileInfo(path).absolutePath());
    openFile(path);
}

void QFunctionality::openFile(const QString& path)
{
    loadFile(QFile::encodeName(path).toStdString(), FileChange::Open);
}

bool QFunctionality::splitIndexFileName(std::string& prefix, qint64& index,
                                        std::string& suffix) const
{
    return splitSeriesName(ViewerApp::instance()->fileName, prefix, index, suffix);
}

void QFunctionality::doSwitchNextFile()
{
    std::string prefix, suffix;
    qint64 index = 0;
    if (!splitIndexFileName(prefix, index, suffix))
        return;
    // Beyond the largest index there is no next one to name.
    if (index == std::numeric_limits<qint64>::max())
        return;
    std::string chosen = seriesMember(prefix, index + 1, suffix);
    for (int step = 1;
         step <= kSeriesSearchSteps && index <= std::numeric_limits<qint64>::max() - step; ++step) {
        const std::string candidate = seriesMember(prefix, index + step, suffix);
        if (opensForReading(candidate)) {
            chosen = candidate;
            break;
        }
    }
    stepToFile(chosen);
}

void QFunctionality::doSwitchPreFile()
{
    std::string prefix, suffix;
    qint64 index = 0;
    if (!splitIndexFileName(prefix, index, suffix) || index < 1)
        return;
    std::string chosen = seriesMember(prefix, index - 1, suffix);
    for (qint64 n = index - 1; n >= 0 && index - n <= kSeriesSearchSteps; --n) {
        const std::string candidate = seriesMember(prefix, n, suffix);
        if (opensForReading(candidate)) {
            chosen = candidate;
            break;
        }
    }
    stepToFile(chosen);
}
