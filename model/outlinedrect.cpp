#include "model/outlinedrect.h"

#include <QPaintEngine>
#include <QPainter>

#include <cmath>

namespace
{

bool isOpaqueSolid(const QBrush& brush)
{
    return brush.style() == Qt::SolidPattern && brush.color().isValid() &&
           brush.color().alpha() == 255;
}

// The world untransformed; the device may place it at a whole-pixel offset (a widget inside its
// window).
bool isUntransformed(const QPainter& painter)
{
    const QTransform& device = painter.deviceTransform();
    return painter.worldTransform().type() == QTransform::TxNone &&
           (device.type() == QTransform::TxNone ||
            (device.type() == QTransform::TxTranslate && device.dx() == std::trunc(device.dx()) &&
             device.dy() == std::trunc(device.dy())));
}

bool isPlain(const QPainter& painter)
{
    const QPen& pen = painter.pen();
    return painter.paintEngine() != nullptr &&
           painter.paintEngine()->type() == QPaintEngine::Raster &&
           !painter.testRenderHint(QPainter::Antialiasing) && painter.opacity() == 1.0 &&
           painter.compositionMode() == QPainter::CompositionMode_SourceOver &&
           pen.style() == Qt::SolidLine && pen.widthF() <= 1.0 && isOpaqueSolid(pen.brush()) &&
           isOpaqueSolid(painter.brush()) && isUntransformed(painter);
}

} // namespace

void drawOutlinedRect(QPainter* painter, const QRect& rect)
{
    // The outline covers one pixel beyond the right and bottom edges. The stroker leaves out a
    // corner of an outline that it has to cut at the device's edge, so only outlines wholly on
    // the device are filled directly. Without a view transform the viewport is the device's
    // rectangle.
    const QRect device = painter->viewport();
    const bool onDevice = rect.left() >= 0 && rect.top() >= 0 && rect.left() <= rect.right() &&
                          rect.top() <= rect.bottom() && rect.right() < device.right() &&
                          rect.bottom() < device.bottom() && !painter->viewTransformEnabled();
    if (!onDevice || !isPlain(*painter)) {
        painter->drawRects(&rect, 1);
        return;
    }
    const QColor outline = painter->pen().color();
    const QColor inside = painter->brush().color();
    painter->fillRect(QRect(rect.left(), rect.top(), rect.width() + 1, rect.height() + 1), outline);
    if (inside != outline && rect.width() > 1 && rect.height() > 1)
        painter->fillRect(
            QRect(rect.left() + 1, rect.top() + 1, rect.width() - 1, rect.height() - 1), inside);
}
