#include "canvas/measureoverlay.h"

#include "app/viewerapp.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QWidget>

#include <cmath>

namespace
{

// Unlike any colour a drawing is likely to use.
const QColor kRulerColor(220, 0, 120);
// Half the length of the ticks across a ruler's ends, and the label's distance from its end,
// pixels.
constexpr double kTickHalf = 5.0;
constexpr int kLabelOffset = 8;

QString measureText(const MeasureOverlay::Ruler& ruler)
{
    const double dx = ruler.to.x() - ruler.from.x();
    const double dy = ruler.to.y() - ruler.from.y();
    return QString::asprintf("dx %f, dy %f, length %f", dx, dy, std::hypot(dx, dy));
}

QPointF worldOf(const QPointF& pixel)
{
    const ViewerApp* app = ViewerApp::instance();
    return {app->worldX(pixel.x()), app->worldY(pixel.y())};
}

QPoint pixelOf(const QPointF& world)
{
    const ViewerApp* app = ViewerApp::instance();
    return {app->pixelX(world.x()), app->pixelY(world.y())};
}

} // namespace

MeasureOverlay::MeasureOverlay(QWidget* canvas) : QObject(canvas), canvas(canvas)
{
    const auto canvasAction = [this, canvas](const QString& text, const QKeySequence& key) {
        auto* action = new QAction(text, this);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        canvas->addAction(action);
        return action;
    };
    modeAction = canvasAction(QStringLiteral("Measure Mode"), QKeySequence(Qt::Key_M));
    modeAction->setCheckable(true);
    connect(modeAction, &QAction::toggled, this, [canvas](bool on) {
        canvas->setCursor(on ? Qt::CrossCursor : Qt::ArrowCursor);
        ViewerApp::instance()->updateTitle();
        ViewerApp::instance()->showMessage(
            on ? QStringLiteral("Measure mode: drag to lay a ruler; Delete clears the rulers, "
                                "Ctrl+C copies the last one, M ends the mode")
               : QString());
    });
    clearAction = canvasAction(QStringLiteral("Clear Rulers"), QKeySequence(Qt::Key_Delete));
    connect(clearAction, &QAction::triggered, this, &MeasureOverlay::clear);
    copyAction = canvasAction(QStringLiteral("Copy Last Ruler"), QKeySequence::Copy);
    connect(copyAction, &QAction::triggered, this, &MeasureOverlay::copyLastRuler);
}

void MeasureOverlay::addActionsTo(QMenu* menu) const
{
    menu->addActions({modeAction, clearAction, copyAction});
}

bool MeasureOverlay::measuring() const
{
    return modeAction->isChecked();
}

void MeasureOverlay::begin(const QPointF& pixel)
{
    const QPointF world = worldOf(pixel);
    laid.push_back({world, world});
    drawing = true;
}

void MeasureOverlay::extendTo(const QPointF& pixel)
{
    if (drawing)
        laid.back().to = worldOf(pixel);
}

void MeasureOverlay::finish()
{
    if (!drawing)
        return;
    drawing = false;
    if (laid.back().from == laid.back().to)
        laid.pop_back();
}

bool MeasureOverlay::cancel()
{
    if (laid.empty())
        return false;
    if (drawing) {
        drawing = false;
        laid.pop_back();
    } else {
        laid.clear();
    }
    return true;
}

void MeasureOverlay::clear()
{
    if (drawing)
        return;
    laid.clear();
    canvas->repaint();
}

QString MeasureOverlay::lastRulerText() const
{
    if (laid.empty() || drawing)
        return QString();
    const Ruler& ruler = laid.back();
    return QString::asprintf("from %f %f to %f %f: ", ruler.from.x(), ruler.from.y(), ruler.to.x(),
                             ruler.to.y()) +
           measureText(ruler);
}

void MeasureOverlay::copyLastRuler() const
{
    const QString text = lastRulerText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void MeasureOverlay::paint(QPainter& painter) const
{
    if (laid.empty())
        return;
    painter.save();
    painter.setPen(QPen(kRulerColor));
    for (const Ruler& ruler : laid)
        paintRuler(painter, ruler);
    painter.restore();
}

// A line with a tick across each end and, beside the end, the measures on a white ground.
void MeasureOverlay::paintRuler(QPainter& painter, const Ruler& ruler) const
{
    const QPoint from = pixelOf(ruler.from);
    const QPoint to = pixelOf(ruler.to);
    painter.drawLine(from, to);
    const QPointF along = to - from;
    const double length = std::hypot(along.x(), along.y());
    if (length > 0) {
        const QPointF across(-along.y() / length * kTickHalf, along.x() / length * kTickHalf);
        for (const QPoint& end : {from, to})
            painter.drawLine(QPointF(end) - across, QPointF(end) + across);
    }
    const QString text = measureText(ruler);
    QRect label = painter.fontMetrics().boundingRect(text).adjusted(-2, -1, 2, 1);
    label.moveTopLeft(to + QPoint(kLabelOffset, kLabelOffset));
    // A label that would leave the canvas goes to the other side of the end.
    const QRect canvasArea = painter.viewport();
    if (label.right() > canvasArea.right())
        label.moveRight(to.x() - kLabelOffset);
    if (label.bottom() > canvasArea.bottom())
        label.moveBottom(to.y() - kLabelOffset);
    painter.fillRect(label, Qt::white);
    painter.drawText(label, Qt::AlignCenter, text);
}
