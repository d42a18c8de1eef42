#pragma once

#include <QFrame>

class QAction;
class QLabel;
class QPushButton;
class QToolButton;

// The bar under the canvas that says what happened to the file on disk and offers what can be
// done about it, without stopping the user as a message box would. Hidden until it has something
// to say; each offer replaces the last one.
class ChangeBar : public QFrame
{
    Q_OBJECT

public:
    // followLatest is the window's Follow Latest toggle, shown as a button beside a new member.
    ChangeBar(QAction* followLatest, QWidget* parent);

    // "NAME changed on disk" with Reload, Always Reload and Ignore.
    void offerReload(const QString& name);
    // "NAME no longer exists": the drawing stays; only Ignore.
    void sayVanished(const QString& name);
    // "NAME is ready" with Open, Follow Latest and Ignore.
    void offerMember(const QString& name);
    // "Following paused at NAME: NEWEST is the newest" with Resume and Ignore.
    void sayFollowingPaused(const QString& name, const QString& newest);
    // Hides the bar when it says that following is paused.
    void withdrawPaused();
    // Whether the bar says now that following is paused.
    bool saysPaused() const;

    // The label's text, for what the bar says now.
    QString text() const;

signals:
    void reloadChosen();
    void alwaysReloadChosen();
    void openChosen();
    void resumeChosen();
    void ignored();

private:
    void showOffer(const QString& text, bool reload, bool member, bool paused = false);

    QLabel* message = nullptr;
    QPushButton* reloadButton = nullptr;
    QPushButton* alwaysReloadButton = nullptr;
    QPushButton* openButton = nullptr;
    QToolButton* followLatestButton = nullptr;
    QPushButton* resumeButton = nullptr;
    QPushButton* ignoreButton = nullptr;
};
