#pragma once

#include "canvas/viewhistory.h"

#include <QList>
#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QWidget;

// Moves the canvas's view by keys and keeps the view history: the arrow keys pan by a tenth of
// the canvas (with Shift, by the canvas less a tenth), Page Up and Page Down zoom by 2 about the
// fix position, Alt+Left and Alt+Right go back and forward. The pan and zoom keys work while
// the canvas has the focus, so that the explorer's lists and text keep their own keys.
class ViewNavigator : public QObject
{
public:
    // The actions' keys are bound to the canvas.
    explicit ViewNavigator(QWidget* canvas);

    // Back and Forward, then a submenu with the pan and zoom keys.
    void addActionsTo(QMenu* menu) const;
    // Back, Forward and the pan and zoom keys: what moves the view and touches no drawing.
    QList<QAction*> actions() const;
    // Runs a change of the view (fit, goto, zoom box, moving to an object, a factor zoom) as one
    // step of the history; a change that leaves the view as it was records nothing.
    void jump(const std::function<void()>& change);
    // Called before a pan (a drag or a key) or a zoom step (the wheel, the zoom commands) moves
    // the view: a run of either counts as one step.
    void beginPan();
    void beginZoomStep();
    // Moves the picture by whole pixels (right and down positive) as one pan; nothing when the
    // view would not be usable.
    void panBy(int dx, int dy);
    // Zooms about the fix position by the factor, as one step.
    void zoomBy(double factor);
    void goBack();
    void goForward();
    // Forgets every place, as opening another file does.
    void forget();

    static ViewPlace currentPlace();

private:
    // Pans by steps of a tenth of the canvas in each direction (-1, 0 or 1), or of the canvas
    // less a tenth when `far`.
    void panSteps(int stepsX, int stepsY, bool far);
    static void show(const ViewPlace& place);

    QWidget* canvas;
    ViewHistory history;
    QAction* backAction;
    QAction* forwardAction;
    QMenu* keysMenu;
};
