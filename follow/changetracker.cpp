#include "follow/changetracker.h"

#include "app/rememberedstate.h"
#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "model/changeset.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "script/loadscript.h"
#include "script/seriesname.h"
#include "script/textfile.h"

#include <QAction>
#include <QActionGroup>
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

// The looks of the unchanged objects; the first is the default.
struct Look {
    const char* key;
    const char* text;
    DrawingModel::UnchangedLook look;
};
const Look kLooks[] = {
    {"marks", "Marks Only", DrawingModel::UnchangedLook::Plain},
    {"dim", "Dim Unchanged", DrawingModel::UnchangedLook::Dimmed},
    {"only", "Changes Only", DrawingModel::UnchangedLook::Hidden},
};

// The colours of the added marks and the removed ghosts, the first the default: the usual green
// and red, and two pairs for drawings that use those themselves. None is the highlight's orange.
struct ChangeColorChoice {
    const char* key;
    const char* text;
    QRgb added;
    QRgb removed;
};
const ChangeColorChoice kColorChoices[] = {
    {"green-red", "Green and Red", qRgb(0, 170, 60), qRgb(235, 110, 110)},
    {"magenta-cyan", "Magenta and Cyan", qRgb(220, 0, 200), qRgb(0, 180, 230)},
    {"black-grey", "Black and Grey", qRgb(0, 0, 0), qRgb(150, 150, 150)},
};

// The index of the entry whose key is the remembered one; 0 (the default) for any other.
template <typename Entry, std::size_t N>
int rememberedIndex(const Entry (&entries)[N], const QString& key)
{
    for (std::size_t i = 0; i < N; ++i)
        if (key == QLatin1String(entries[i].key))
            return int(i);
    return 0;
}

// A checkable entry per choice in an exclusive group, the one at `checked` checked.
template <typename Entry, std::size_t N>
QActionGroup* choiceGroup(const Entry (&entries)[N], int checked, QObject* parent)
{
    auto* group = new QActionGroup(parent);
    for (std::size_t i = 0; i < N; ++i) {
        QAction* action = group->addAction(QString::fromLatin1(entries[i].text));
        action->setCheckable(true);
        action->setData(int(i));
        action->setChecked(int(i) == checked);
    }
    return group;
}

} // namespace

ChangeTracker::ChangeTracker(QMainWindow* window) : QObject(window)
{
    showChangesAction = new QAction(QStringLiteral("Show Changes"), window);
    showChangesAction->setCheckable(true);
    // D belongs to the canvas, as its other single keys do: in the explorer's lists a letter
    // finds an entry.
    showChangesAction->setShortcut(QKeySequence(Qt::Key_D));
    showChangesAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    showChangesAction->setToolTip(QStringLiteral("Show Changes (D): mark what each reload or step "
                                                 "added, outline what it removed"));
    connect(showChangesAction, &QAction::toggled, this, &ChangeTracker::setShown);

    ViewerApp* app = ViewerApp::instance();
    app->display->addAction(showChangesAction);
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

    lookGroup = choiceGroup(kLooks, rememberedIndex(kLooks, RememberedState::changesLook()), this);
    colorGroup = choiceGroup(kColorChoices,
                             rememberedIndex(kColorChoices, RememberedState::changeColors()), this);
    connect(lookGroup, &QActionGroup::triggered, this, [this](QAction* choice) {
        chooseLook(choice);
        RememberedState::setChangesLook(QLatin1String(kLooks[choice->data().toInt()].key));
    });
    connect(colorGroup, &QActionGroup::triggered, this, [this](QAction* choice) {
        chooseColors(choice);
        RememberedState::setChangeColors(QLatin1String(kColorChoices[choice->data().toInt()].key));
    });
    chooseLook(lookGroup->checkedAction());
    chooseColors(colorGroup->checkedAction());
}

void ChangeTracker::addViewMenuEntry(QMenu* menu) const
{
    menu->addSeparator();
    menu->addAction(showChangesAction);
    QMenu* changes = menu->addMenu(QStringLiteral("Changes"));
    changes->addActions(lookGroup->actions());
    changes->addSeparator();
    changes->addActions(colorGroup->actions());
}

void ChangeTracker::chooseLook(QAction* choice) const
{
    DrawingModel::instance()->setUnchangedLook(kLooks[choice->data().toInt()].look);
    ViewerApp::instance()->display->update();
}

void ChangeTracker::chooseColors(QAction* choice) const
{
    const ChangeColorChoice& colors = kColorChoices[choice->data().toInt()];
    DrawingModel::instance()->setChangeColors({QColor(colors.added), QColor(colors.removed)});
    ViewerApp::instance()->display->update();
}

bool ChangeTracker::holdsBaseline() const
{
    const DrawingModel* model = DrawingModel::instance();
    return hasBaseline && baselineName == ViewerApp::instance()->fileName &&
           model->recordHashes.size() == model->objects.size();
}

bool ChangeTracker::takeBaseline()
{
    DrawingModel* model = DrawingModel::instance();
    const std::string& fileName = ViewerApp::instance()->fileName;
    model->recordHashes = hashScriptRecords(*model, fileName, &ViewerApp::instance()->fileStamp);
    hasBaseline = model->recordHashes.size() == model->objects.size();
    baselineName = hasBaseline ? fileName : std::string();
    if (!hasBaseline)
        model->recordHashes.clear();
    return hasBaseline;
}

// Turned off, the comparison and the hashes stay (only painting and the summary stop), so that
// turning it on again shows the same comparison; a load while it is off drops them (adopt()).
void ChangeTracker::setShown(bool shown)
{
    DrawingModel* model = DrawingModel::instance();
    if (!shown)
        unlistChanges();
    else if (!holdsBaseline())
        takeBaseline();
    model->setChangesShown(shown);
    showSummary();
    ViewerApp::instance()->display->repaint();
}

ChangeTracker::Comparison ChangeTracker::prepare(const std::string& nextFile) const
{
    Comparison comparison;
    comparison.tracking = DrawingModel::instance()->changesShown();
    comparison.compared =
        comparison.tracking && holdsBaseline() && sameFileOrSeries(baselineName, nextFile);
    if (comparison.compared) {
        comparison.previousName = baselineName;
        comparison.before = DrawingModel::instance()->recordHashes;
    }
    return comparison;
}

void ChangeTracker::Comparison::compare()
{
    if (compared)
        ChangeSet::compare(before, after, removed, added);
    ChangeSet::Hashes().swap(before);
}

// The removed objects are those of the previous file at the compared indices, so they are
// handed over instead of deleted with the rest of it.
void ChangeTracker::adopt(Comparison& comparison, DrawingModel::Discarded& discarded, bool loaded,
                          const std::string& fileName)
{
    DrawingModel* model = DrawingModel::instance();
    hasBaseline = loaded && comparison.after.size() == model->objects.size();
    baselineName = hasBaseline ? fileName : std::string();
    if (hasBaseline)
        model->recordHashes = std::move(comparison.after);
    if (hasBaseline && comparison.compared) {
        auto changes = std::make_unique<ChangeSet>();
        changes->previousName = comparison.previousName;
        for (const std::size_t index : comparison.removed) {
            if (index < discarded.objects.size() && discarded.objects[index]) {
                changes->removed.emplace_back(discarded.objects[index]);
                discarded.objects[index] = nullptr;
            }
        }
        for (const std::size_t index : comparison.added)
            changes->added.push_back(model->objects[index]);
        model->setChanges(std::move(changes));
    }
    showSummary();
}

void ChangeTracker::showSummary()
{
    const DrawingModel* model = DrawingModel::instance();
    const ChangeSet* changes = model->changesShown() ? model->changes() : nullptr;
    summaryLabel->setVisible(changes != nullptr);
    if (changes)
        summaryLabel->setText(QStringLiteral("+%1 \u2212%2 since %3")
                                  .arg(changes->added.size())
                                  .arg(changes->removed.size())
                                  .arg(QFileInfo(displayName(changes->previousName)).fileName()));
    // A status bar lets the window grow narrower than its widgets need, which would cut the
    // summary of a long name: the window keeps the room they need.
    QStatusBar* bar = ViewerApp::instance()->mainWindow->statusBar();
    bar->setMinimumWidth(bar->minimumSizeHint().width());
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
