#pragma once

#include "follow/stepchanges.h"

#include <QDockWidget>
#include <QTimer>

#include <cstddef>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QMainWindow;
class QMenu;
class QSlider;
class QSpinBox;
class StepChangeBars;

// The Timeline (View menu, key T): the members of the open file's series found on disk, in order,
// as following's watch of the folder keeps them. The slider shows the member under it (the newest
// request wins: a load still running for an earlier position is stopped), Play steps through them
// at the chosen rate as Next steps, and with Show Changes on a bar per member tells how much its
// step changed. Every step goes through the series step of the commands, so it keeps the view and
// the kept investigation as Next does.
class TimelineDock : public QDockWidget
{
    Q_OBJECT

public:
    static constexpr int kMinRate = 1;
    static constexpr int kMaxRate = 60;

    // Hidden until the user shows it; the window's saved layout may show it again.
    explicit TimelineDock(QMainWindow* window);
    // The dock's toggle and Play/Pause.
    void addViewMenuEntries(QMenu* view) const;
    // The position of the shown file among the members; none when it is not one of them.
    std::optional<std::size_t> shownPosition() const;

    // Play/Pause; Space while the canvas has the focus.
    QAction* playAction = nullptr;
    QSlider* slider = nullptr;
    // Steps per second, remembered.
    QSpinBox* rateBox = nullptr;
    QLabel* numberLabel = nullptr;
    // "step P of N"
    QLabel* positionLabel = nullptr;
    StepChangeBars* bars = nullptr;
    StepChanges changes;

private:
    const std::vector<SeriesMember>& members() const;
    void membersChanged();
    // The commands showed a file: the slider and the labels follow, unless a newer step is on
    // its way.
    void fileShown();
    void showPosition();
    void goTo(std::size_t position);
    void setPlaying(bool on);
    void playStep();

    QTimer playTimer;
};
