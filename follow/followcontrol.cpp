#include "follow/followcontrol.h"

#include "app/rememberedstate.h"
#include "app/viewerapp.h"
#include "follow/changebar.h"
#include "follow/fileloader.h"
#include "script/textfile.h"

#include <QAction>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QVBoxLayout>

#include <utility>

namespace
{

// The name of a file as the bar shows it: without its folder.
QString shortName(const std::string& fileName)
{
    return QFileInfo(displayName(fileName)).fileName();
}

} // namespace

FollowControl::FollowControl(QMainWindow* window) : QObject(window)
{
    alwaysReloadAction = new QAction(QStringLiteral("Always Reload"), window);
    alwaysReloadAction->setCheckable(true);
    alwaysReloadAction->setToolTip(
        QStringLiteral("Reload the open file whenever it changes on disk, without asking"));
    followLatestAction = new QAction(QStringLiteral("Follow Latest"), window);
    followLatestAction->setCheckable(true);
    followLatestAction->setToolTip(
        QStringLiteral("Open each new member of the series as soon as it is ready"));

    keepInvestigationAction = new QAction(QStringLiteral("Keep Investigation"), window);
    keepInvestigationAction->setCheckable(true);
    keepInvestigationAction->setChecked(RememberedState::keepInvestigation());
    keepInvestigationAction->setToolTip(QStringLiteral(
        "Across reloads and steps, keep hidden types hidden and the listing of a type or query"));
    connect(keepInvestigationAction, &QAction::toggled, this,
            &RememberedState::setKeepInvestigation);

    // The canvas keeps the top of the column, so that the bar showing moves no drawing.
    QWidget* canvas = window->takeCentralWidget();
    auto* column = new QWidget(window);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (canvas)
        layout->addWidget(canvas, 1);
    bar = new ChangeBar(followLatestAction, column);
    layout->addWidget(bar);
    window->setCentralWidget(column);

    connect(&follower, &FileFollower::changed, this, &FollowControl::fileChanged);
    connect(&follower, &FileFollower::vanished, this, &FollowControl::fileVanished);
    connect(&follower, &FileFollower::newerMemberReady, this, &FollowControl::memberReady);
    // The paused bar names the newest member as the last listing found it.
    connect(&follower, &FileFollower::membersChanged, this, [this] {
        if (bar->saysPaused())
            showIfPaused();
    });
    connect(bar, &ChangeBar::reloadChosen, this,
            [] { ViewerApp::instance()->commands.doReload(); });
    connect(bar, &ChangeBar::alwaysReloadChosen, this, [this] {
        alwaysReloadAction->setChecked(true);
        ViewerApp::instance()->commands.doReload();
    });
    connect(bar, &ChangeBar::openChosen, this, &FollowControl::openOfferedMember);
    connect(bar, &ChangeBar::ignored, this, [this] {
        offeredMember.clear();
        follower.acknowledge();
    });
    connect(bar, &ChangeBar::resumeChosen, this, [this] {
        const std::string newest = follower.newestMember();
        if (!newest.empty())
            ViewerApp::instance()->commands.stepToFile(newest);
    });
    connect(followLatestAction, &QAction::toggled, this, [this](bool on) {
        if (!on)
            bar->withdrawPaused();
        else if (!offeredMember.isEmpty())
            openOfferedMember();
        else
            showIfPaused();
    });
    followCurrentFile();
}

// A member that Follow Latest reached is not a step back, even when newer members came while it
// loaded: following goes on to the newest of them once it has settled.
void FollowControl::followCurrentFile()
{
    offeredMember.clear();
    bar->hide();
    const ViewerApp* app = ViewerApp::instance();
    const bool reachedByFollowing =
        followLatestAction->isChecked() && std::exchange(followedStep, {}) == app->fileName;
    follower.follow(app->fileName, app->fileStamp,
                    reachedByFollowing ? FileFollower::NewerMembers::Always
                                       : FileFollower::NewerMembers::WhenNoneNewer);
    if (!reachedByFollowing)
        showIfPaused();
}

void FollowControl::showIfPaused()
{
    if (!followLatestAction->isChecked())
        return;
    const std::string newest = follower.newestMember();
    if (newest.empty())
        bar->withdrawPaused();
    else
        bar->sayFollowingPaused(shortName(ViewerApp::instance()->fileName), shortName(newest));
}

void FollowControl::addFileMenuEntries(QMenu* menu) const
{
    menu->addAction(alwaysReloadAction);
    menu->addAction(followLatestAction);
    menu->addAction(keepInvestigationAction);
}

// While another file loads, what happens to the file it replaces no longer matters: acting on it
// would stop the load the user asked for.
bool FollowControl::anotherFileLoading()
{
    const ViewerApp* app = ViewerApp::instance();
    const std::string loading = app->fileLoader->loadingName();
    return !loading.empty() && loading != app->fileName;
}

// A change during a reload of the file is the loader's: it reads the file again once settled.
void FollowControl::fileChanged()
{
    ViewerApp* app = ViewerApp::instance();
    if (anotherFileLoading())
        return;
    if (app->fileLoader->busy()) {
        app->fileLoader->noteFileChanged(app->fileName);
        return;
    }
    if (alwaysReloadAction->isChecked())
        app->commands.doReload();
    else
        bar->offerReload(shortName(app->fileName));
}

void FollowControl::loadCancelled()
{
    const ViewerApp* app = ViewerApp::instance();
    if (!app->fileName.empty() && FileStamp::of(app->fileName) != app->fileStamp) {
        bar->offerReload(shortName(app->fileName));
        follower.acknowledge();
    }
}

void FollowControl::fileVanished()
{
    bar->sayVanished(shortName(ViewerApp::instance()->fileName));
}

void FollowControl::memberReady(const QByteArray& fileName)
{
    if (anotherFileLoading())
        return;
    offeredMember = fileName;
    if (followLatestAction->isChecked())
        openOfferedMember();
    else
        bar->offerMember(shortName(fileName.toStdString()));
}

void FollowControl::openOfferedMember()
{
    const std::string member = offeredMember.toStdString();
    offeredMember.clear();
    if (member.empty())
        return;
    followedStep = member;
    ViewerApp::instance()->commands.stepToFile(member);
}
