#pragma once

#include <QObject>
#include <QPointF>
#include <QString>

#include <vector>

class QAction;
class QMenu;
class QPainter;
class QWidget;

// Measure mode and its rulers. While the mode is on (View > Measure Mode, key M), a left drag
// on the canvas lays a ruler from the press to the release; more drags add rulers. A ruler is
// held in world units, so it moves with the view, and is drawn over the scene with its dx, dy
// and length; the canvas alone shows rulers, printing and export do not. Delete clears them,
// Ctrl+C copies the last one as text; these keys work while the canvas has the focus.
class MeasureOverlay : public QObject
{
public:
    // From one world point to another.
    struct Ruler {
        QPointF from;
        QPointF to;
    };

    explicit MeasureOverlay(QWidget* canvas);

    // Measure Mode, Clear Rulers and Copy Last Ruler.
    void addActionsTo(QMenu* menu) const;
    bool measuring() const;
    // A drag in canvas pixels; a ruler without length is not kept.
    void begin(const QPointF& pixel);
    void extendTo(const QPointF& pixel);
    void finish();
    bool dragging() const { return drawing; }
    // Drops the ruler being dragged, or else every ruler; false when there was none.
    bool cancel();
    void clear();
    const std::vector<Ruler>& rulers() const { return laid; }
    // "from X1 Y1 to X2 Y2: dx DX, dy DY, length L", numbers as descriptions print them; empty
    // without rulers.
    QString lastRulerText() const;
    // The rulers, the one being dragged included, in the controller's view.
    void paint(QPainter& painter) const;

private:
    void copyLastRuler() const;
    void paintRuler(QPainter& painter, const Ruler& ruler) const;

    QWidget* canvas;
    QAction* modeAction;
    QAction* clearAction;
    QAction* copyAction;
    std::vector<Ruler> laid;
    // The last ruler of `laid` is the one being dragged.
    bool drawing = false;
};
