#include "app/changetracker.h"

#include "app/qwgtdisplay.h"
#include "app/viewerapp.h"
#include "model/changeset.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "script/loadscript.h"
#include "script/textfile.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>

namespace
{

const std::string kAddedListName = "added";
const std::string kRemovedListName = "removed";

} // namespace

ChangeTracker::ChangeTracker(QMainWindow* window) : QObject(window)
{
    showChangesAction = new QAction(QStringLiteral("Show Changes"), window);
    showChangesAction->setCheckable(true);
    showChangesAction->setShortcut(QKeySequence(Qt::Key_D));
    showChangesAction->setShortcutContext(Qt::WindowShortcut);
    showChangesAction->setToolTip(QStringLiteral("Show Changes (D): mark what each reload or step "
                                                 "added, outline what it removed"));
    connect(showChangesAction, &QAction::toggled, this, &ChangeTracker::setShown);

    ViewerApp* app = ViewerApp::instance();
    // Between the types and "[picked]", which stays the menu's last entry.
    QAction* picked = app->listMenu->actions().last();
    auto* addedEntry = new QAction(QStringLiteral("Added Objects"), app->listMenu);
    auto* removedEntry = new QAction(QStringLiteral("Removed Objects"), app->listMenu);
    connect(addedEntry, &QAction::triggered, this, [this] { listSide(true); });
    connect(removedEntry, &QAction::triggered, this, [this] { listSide(false); });
    app->listMenu->insertActions(picked, {addedEntry, removedEntry});
    summaryLabel = new QLabel(window->statusBar());
    window->statusBar()->addPermanentWidget(summaryLabel);
    summaryLabel->hide();
}

void ChangeTracker::addViewMenuEntry(QMenu* menu) const
{
    menu->addSeparator();
    menu->addAction(showChangesAction);
}

bool ChangeTracker::takeBaseline()
{
    DrawingModel* model = DrawingModel::instance();
    const std::string& fileName = ViewerApp::instance()->fileName;
    model->recordHashes = hashScriptRecords(fileName);
    hasBaseline = model->recordHashes.size() == model->objects.size();
    baselineName = hasBaseline ? fileName : std::string();
    if (!hasBaseline)
        model->recordHashes.clear();
    return hasBaseline;
}

void ChangeTracker::setShown(bool shown)
{
    DrawingModel* model = DrawingModel::instance();
    if (shown) {
        takeBaseline();
    } else {
        unlistChanges();
        model->setChanges(nullptr);
        std::vector<std::uint64_t>().swap(model->recordHashes);
        hasBaseline = false;
        baselineName.clear();
    }
    model->setChangesShown(shown);
    showSummary();
    ViewerApp::instance()->display->repaint();
}

// The new file's hashes are taken first, so that the removed objects are known while they are
// still in the model: they are handed over instead of deleted, and everything else goes as a
// load always lets it go. A file that changes between the hashing and the load gives counts
// that do not match: its changes are not shown, and the next load is compared with it anew.
bool ChangeTracker::load()
{
    ViewerApp* app = ViewerApp::instance();
    DrawingModel* model = DrawingModel::instance();
    if (!model->changesShown())
        return app->loadScript();
    ChangeSet::Hashes after = hashScriptRecords(app->fileName);
    auto changes = std::make_unique<ChangeSet>();
    std::vector<std::size_t> removed, added;
    const bool compared = hasBaseline;
    if (compared) {
        ChangeSet::compare(model->recordHashes, after, removed, added);
        changes->previousName = baselineName;
        changes->removed = model->clearObjectsKeeping(removed);
    }
    const bool loaded = app->loadScript();
    if (!loaded || model->objects.size() != after.size()) {
        hasBaseline = false;
        baselineName.clear();
        showSummary();
        return loaded;
    }
    model->recordHashes = std::move(after);
    hasBaseline = true;
    baselineName = app->fileName;
    if (compared) {
        for (const std::size_t index : added)
            changes->added.push_back(model->objects[index]);
        model->setChanges(std::move(changes));
    }
    showSummary();
    return loaded;
}

void ChangeTracker::showSummary()
{
    const ChangeSet* changes = DrawingModel::instance()->changes();
    summaryLabel->setVisible(changes != nullptr);
    if (!changes)
        return;
    summaryLabel->setText(QStringLiteral("+%1 \u2212%2 since %3")
                              .arg(changes->added.size())
                              .arg(changes->removed.size())
                              .arg(QFileInfo(displayName(changes->previousName)).fileName()));
}

void ChangeTracker::unlistChanges() const
{
    ViewerApp* app = ViewerApp::instance();
    if (app->listedName == kAddedListName || app->listedName == kRemovedListName) {
        app->commands.clearItemList(app->itemList);
        app->listedName.clear();
    }
}

void ChangeTracker::listSide(bool added) const
{
    ViewerApp* app = ViewerApp::instance();
    DrawingModel* model = DrawingModel::instance();
    std::vector<paintObject*> objects;
    if (const ChangeSet* changes = model->changes()) {
        if (added) {
            objects = changes->added;
        } else {
            for (const std::unique_ptr<paintObject>& object : changes->removed)
                objects.push_back(object.get());
        }
    }
    model->clearHighlight();
    app->commands.listObjects(added ? kAddedListName : kRemovedListName, objects);
    app->display->repaint();
}
