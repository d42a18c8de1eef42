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
    // Play/Pause, first and last: they only ask for another member, so they still act while a
    // member loads, the newest request winning.
    QList<QAction*> keyActions() const { return {playAction, firstAction, lastAction}; }

    // Play/Pause; Space while the canvas has the focus.
    QAction* playAction = nullptr;
    // The first and the last member; Home and End while the canvas has the focus.
    QAction* firstAction = nullptr;
    QAction* lastAction = nullptr;
    QSlider* slider = nullptr;
    // Steps per second, remembered.
    QSpinBox* rateBox = nullptr;
    // "member N": the number of the member on the canvas.
    QLabel* numberLabel = nullptr;
    // "of FIRST–LAST", and the numbers missing between them.
    QLabel* positionLabel = nullptr;
    StepChangeBars* bars = nullptr;
    StepChanges changes;

protected:
    // Watches the canvas's paints for the picture of the file shown.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const std::vector<SeriesMember>& members() const;
    std::optional<std::size_t> positionOf(const std::string& name) const;
    void membersChanged();
    // The commands showed a file: the slider, the labels and the bars' mark follow once its
    // picture is on the canvas (a large drawing is painted in the background, the last picture
    // standing in meanwhile), unless a newer step is on its way.
    void fileShown();
    // Moves the slider, labels and mark to the file pictured, once the canvas shows it.
    void followPicture();
    void showPosition();
    // The Timeline comes into view, so that what its keys do is seen.
    void reveal();
    void goTo(std::size_t position);
    void setPlaying(bool on);
    void playStep();

    QTimer playTimer;
    // The file whose picture the canvas shows, and whether one shown since waits for its picture.
    std::string pictured;
    bool pictureAwaited = false;
};
