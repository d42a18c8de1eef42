#include "canvas/viewnavigator.h"

#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

namespace
{

// The zoom of Page Up and Page Down.
constexpr double kKeyZoomFactor = 2.0;
// A key pan moves the picture by this part of the canvas.
constexpr int kPanParts = 10;

} // namespace

ViewNavigator::ViewNavigator(QWidget* canvas)
    : QObject(canvas), canvas(canvas),
      keysMenu(new QMenu(QStringLiteral("Pan and Zoom Keys"), canvas))
{
    backAction = new QAction(QStringLiteral("Back"), this);
    backAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    backAction->setShortcutContext(Qt::WindowShortcut);
    connect(backAction, &QAction::triggered, this, &ViewNavigator::goBack);
    forwardAction = new QAction(QStringLiteral("Forward"), this);
    forwardAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    forwardAction->setShortcutContext(Qt::WindowShortcut);
    connect(forwardAction, &QAction::triggered, this, &ViewNavigator::goForward);

    const auto addKey = [this, canvas](const QString& text, const QKeySequence& key,
                                       const std::function<void()>& run) {
        QAction* action = keysMenu->addAction(text);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, run);
        canvas->addAction(action);
    };
    struct Direction {
        const char* name;
        Qt::Key key;
        int stepsX, stepsY;
    };
    // The picture moves against the arrow: Right shows what lies further right.
    constexpr Direction kDirections[] = {{"Left", Qt::Key_Left, 1, 0},
                                         {"Right", Qt::Key_Right, -1, 0},
                                         {"Up", Qt::Key_Up, 0, 1},
                                         {"Down", Qt::Key_Down, 0, -1}};
    for (const bool far : {false, true}) {
        for (const Direction& d : kDirections) {
            const QString text = QString::fromLatin1(far ? "Pan %1 by a Canvas" : "Pan %1")
                                     .arg(QLatin1String(d.name));
            addKey(text, far ? QKeySequence(Qt::SHIFT | d.key) : QKeySequence(d.key),
                   [this, d, far] { panSteps(d.stepsX, d.stepsY, far); });
        }
    }
    addKey(QStringLiteral("Zoom In by 2"), QKeySequence(Qt::Key_PageUp),
           [this] { zoomBy(kKeyZoomFactor); });
    addKey(QStringLiteral("Zoom Out by 2"), QKeySequence(Qt::Key_PageDown),
           [this] { zoomBy(1.0 / kKeyZoomFactor); });
}

void ViewNavigator::addActionsTo(QMenu* menu) const
{
    menu->addActions({backAction, forwardAction});
    menu->addMenu(keysMenu);
}

QList<QAction*> ViewNavigator::actions() const
{
    return QList<QAction*>{backAction, forwardAction} + keysMenu->actions();
}

ViewPlace ViewNavigator::currentPlace()
{
    const ViewerApp* app = ViewerApp::instance();
    return {app->originX, app->originY, app->ratio, app->fixX, app->fixY};
}

void ViewNavigator::show(const ViewPlace& place)
{
    ViewerApp* app = ViewerApp::instance();
    app->originX = place.originX;
    app->originY = place.originY;
    app->ratio = place.ratio;
    app->fixX = place.fixX;
    app->fixY = place.fixY;
    app->display->repaint();
    app->updateInfo();
}

void ViewNavigator::jump(const std::function<void()>& change)
{
    const ViewPlace from = currentPlace();
    change();
    const ViewPlace to = currentPlace();
    if (to != from)
        history.jump(from, to);
}

void ViewNavigator::beginPan()
{
    history.continueRun(ViewHistory::Run::Pan, currentPlace());
}

void ViewNavigator::beginZoomStep()
{
    history.continueRun(ViewHistory::Run::Zoom, currentPlace());
}

void ViewNavigator::panBy(int dx, int dy)
{
    ViewerApp* app = ViewerApp::instance();
    const double originX = app->originX + dx;
    const double originY = app->originY + dy;
    if (!ViewerApp::isUsableView(originX, originY, app->ratio))
        return;
    beginPan();
    app->originX = originX;
    app->originY = originY;
    app->display->repaintShifted();
    app->updateInfo();
}

void ViewNavigator::panSteps(int stepsX, int stepsY, bool far)
{
    const auto step = [far](int edge) {
        const int tenth = edge / kPanParts;
        return far ? edge - tenth : std::max(tenth, 1);
    };
    panBy(stepsX * step(canvas->width()), stepsY * step(canvas->height()));
}

void ViewNavigator::zoomBy(double factor)
{
    ViewerApp* app = ViewerApp::instance();
    jump([app, factor] { app->commands.zoomTo(app->ratio * factor); });
}

void ViewNavigator::goBack()
{
    if (const std::optional<ViewPlace> place = history.back(currentPlace()))
        show(*place);
}

void ViewNavigator::goForward()
{
    if (const std::optional<ViewPlace> place = history.forward(currentPlace()))
        show(*place);
}

void ViewNavigator::forget()
{
    history.clear();
}
