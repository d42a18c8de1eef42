#pragma once

#include <QPoint>
#include <QRect>

#include <optional>

class QPainter;
class QSize;

// The box that Shift and a left drag draw on the canvas, in canvas pixels: the view then fits
// it as "Resize Figure To Fit Display Region" fits the drawing. Corners dragged beyond the
// canvas stop at its edge.
class ZoomBox
{
public:
    void begin(const QPoint& at);
    // Moves the dragged corner; the canvas's size bounds the box.
    void extendTo(const QPoint& at, const QSize& canvas);
    // Drops the box: the drag goes on but draws and fits nothing.
    void cancel() { dragged = false; }
    bool active() const { return dragged; }
    // Ends the drag: the box, its edges on the pixels of its corners; none when cancelled.
    std::optional<QRect> finish();
    void paint(QPainter& painter) const;

private:
    // The pixels from the press to the dragged corner, both included.
    QRect box() const;

    bool dragged = false;
    QPoint anchor;
    QPoint corner;
};
