#include "canvas/zoombox.h"

#include <QPainter>

#include <algorithm>

namespace
{

// A blue outline over a faint blue, unlike the yellow rubber band of pick mode.
const QColor kZoomBoxOutline(0, 0, 200);
const QColor kZoomBoxFill(0, 0, 255, 30);

} // namespace

void ZoomBox::begin(const QPoint& at)
{
    dragged = true;
    anchor = corner = at;
}

void ZoomBox::extendTo(const QPoint& at, const QSize& canvas)
{
    corner = QPoint(std::clamp(at.x(), 0, std::max(canvas.width() - 1, 0)),
                    std::clamp(at.y(), 0, std::max(canvas.height() - 1, 0)));
}

std::optional<QRect> ZoomBox::finish()
{
    if (!dragged)
        return std::nullopt;
    dragged = false;
    return box();
}

QRect ZoomBox::box() const
{
    return QRect(QPoint(std::min(anchor.x(), corner.x()), std::min(anchor.y(), corner.y())),
                 QPoint(std::max(anchor.x(), corner.x()), std::max(anchor.y(), corner.y())));
}

void ZoomBox::paint(QPainter& painter) const
{
    if (!dragged)
        return;
    painter.save();
    painter.setPen(QPen(kZoomBoxOutline));
    painter.setBrush(kZoomBoxFill);
    // Outlined along the pixels of its corners, as the rubber band is.
    painter.drawRect(box().adjusted(0, 0, -1, -1));
    painter.restore();
}
