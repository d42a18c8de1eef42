#pragma once

#include <QFrame>

class QAction;
class QLabel;
class QPushButton;

// The bar over the canvas while a program waits in a pause: it names the program, the place in
// its code and its message, and lets it go on once (Continue, F8) or for good at that place
// (Don't Stop Here Again). The window stays whole meanwhile: the engineer looks, picks, steps
// through the Timeline, then continues.
class PauseBar : public QFrame
{
    Q_OBJECT

public:
    // Put at the top of the window's central column; the Continue action (F8) is the window's.
    explicit PauseBar(QWidget* window);

    // Shows the pause's text, and how many more programs wait behind it (0: none).
    void showPause(const QString& text, int waitingBehind);
    // No program waits any more.
    void clear();

signals:
    // The engineer let the program go on; skipSite: it is not to stop at that place again.
    void continued(bool skipSite);

private:
    QLabel* message = nullptr;
    QPushButton* continueButton = nullptr;
    QPushButton* skipSiteButton = nullptr;
    QAction* continueAction = nullptr;
};
