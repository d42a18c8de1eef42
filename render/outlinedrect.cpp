#include "render/outlinedrect.h"

#include "render/plainpainting.h"

#include <QPainter>

void drawOutlinedRect(QPainter* painter, const QRect& rect)
{
    // The outline covers one pixel beyond the right and bottom edges. The stroker leaves out a
    // corner of an outline that it has to cut at the device's edge, so only outlines wholly on
    // the device are filled directly.
    const QRect outlined(rect.left(), rect.top(), rect.width() + 1, rect.height() + 1);
    const bool filledDirectly = rect.left() <= rect.right() && rect.top() <= rect.bottom() &&
                                paintsPlainly(*painter) && painter->pen().style() != Qt::NoPen &&
                                painter->brush().style() != Qt::NoBrush &&
                                liesOnDevice(*painter, outlined);
    if (!filledDirectly) {
        painter->drawRects(&rect, 1);
        return;
    }
    const QColor outline = painter->pen().color();
    const QColor inside = painter->brush().color();
    painter->fillRect(outlined, outline);
    if (inside != outline && rect.width() > 1 && rect.height() > 1)
        painter->fillRect(
            QRect(rect.left() + 1, rect.top() + 1, rect.width() - 1, rect.height() - 1), inside);
}
