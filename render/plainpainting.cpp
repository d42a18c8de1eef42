#include "render/plainpainting.h"

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

bool isWholePixelShift(const QTransform& transform)
{
    return transform.type() == QTransform::TxNone ||
           (transform.type() == QTransform::TxTranslate &&
            transform.dx() == std::trunc(transform.dx()) &&
            transform.dy() == std::trunc(transform.dy()));
}

} // namespace

bool paintsPlainly(const QPainter& painter)
{
    return hasPlainSetting(painter) && isPlainStyle(painter.pen(), painter.brush());
}

bool hasPlainSetting(const QPainter& painter)
{
    return painter.paintEngine() != nullptr &&
           painter.paintEngine()->type() == QPaintEngine::Raster &&
           !painter.testRenderHint(QPainter::Antialiasing) && painter.opacity() == 1.0 &&
           painter.compositionMode() == QPainter::CompositionMode_SourceOver &&
           !painter.viewTransformEnabled() &&
           painter.worldTransform().type() == QTransform::TxNone &&
           isWholePixelShift(painter.deviceTransform());
}

bool isPlainStyle(const QPen& pen, const QBrush& brush, double widestPen)
{
    return (pen.style() == Qt::NoPen ||
            (pen.style() == Qt::SolidLine && pen.widthF() <= widestPen &&
             isOpaqueSolid(pen.brush()))) &&
           (brush.style() == Qt::NoBrush || isOpaqueSolid(brush));
}

// Without a view transform the viewport is the device's rectangle.
bool liesOnDevice(const QPainter& painter, const QRect& box)
{
    return painter.viewport().contains(box, false);
}
