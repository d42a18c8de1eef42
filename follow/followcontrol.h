#pragma once

#include "follow/filefollower.h"

#include <QByteArray>
#include <QObject>

#include <string>

class ChangeBar;
class QAction;
class QMainWindow;
class QMenu;

// What the window does when the open file changes on disk: it follows the controller's current
// file, shows the change bar under the canvas (the window's central widget is put in a column
// with it), and carries the two choices that hold while the program runs: Always Reload (changes
// are reloaded without asking) and Follow Latest (each new member of the series is opened as it
// is ready; paused while an older member is shown, and going on once the newest is shown again).
class FollowControl : public QObject
{
    Q_OBJECT

public:
    // Made once the window has its central widget; follows the current file from then on.
    explicit FollowControl(QMainWindow* window);

    // Follows the controller's current file, and takes back any offer: called once a file is
    // (re)loaded. A change since the drawing shown was read is reported once it has settled.
    void followCurrentFile();
    // A load was stopped: the drawing shown may be older than its file, which the bar then offers.
    void loadCancelled();
    // The File menu's entries: Always Reload, Follow Latest and Keep Investigation.
    void addFileMenuEntries(QMenu* menu) const;

    ChangeBar* bar = nullptr;
    QAction* alwaysReloadAction = nullptr;
    QAction* followLatestAction = nullptr;
    // Keep Investigation, checked as the settings remember it and remembered when toggled.
    QAction* keepInvestigationAction = nullptr;
    FileFollower follower;

private:
    static bool anotherFileLoading();
    void fileChanged();
    void fileVanished();
    void memberReady(const QByteArray& fileName);
    void openOfferedMember();
    // With Follow Latest on, a file older than the newest member of its series pauses the
    // following: the bar says so and offers to go on with the newest.
    void showIfPaused();

    // The newer series member that the bar offers; empty when none.
    QByteArray offeredMember;
    // The member Follow Latest stepped to last, while its load runs: once it is shown, following
    // goes on to whatever newer members came meanwhile. Empty when none.
    std::string followedStep;
};
