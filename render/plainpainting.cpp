#include "render/plainpainting.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
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

// The points were written just before, four bytes at a time. A vectorised loop reads two points
// at once, and such a load cannot take its bytes from the stores it spans: it waits until they
// reach the cache. Read one coordinate at a time, they come straight from the stores; that saved
// a tenth of painting a fitted frame.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("no-tree-vectorize")))
#endif
QRect boxOf(const QPoint* points, int count)
{
    int left = points[0].x(), right = left, top = points[0].y(), bottom = top;
    for (int i = 1; i < count; ++i) {
        left = std::min(left, points[i].x());
        right = std::max(right, points[i].x());
        top = std::min(top, points[i].y());
        bottom = std::max(bottom, points[i].y());
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

int outlineReach(double penWidth)
{
    return penWidth <= 1.0 ? 1 : 1 + static_cast<int>(std::ceil(penWidth));
}

bool withinPowersOfTwo(const QRect& box, int& across, int& down)
{
    if (box.left() <= 0 || box.top() <= 0)
        return false;
    // The exponent of a positive int: the place of its highest bit.
    const auto exponent = [](int value) { return 31 - __builtin_clz(unsigned(value)); };
    across = exponent(box.left());
    down = exponent(box.top());
    return exponent(box.right()) == across && exponent(box.bottom()) == down;
}

WritablePixels writablePixelsOf(const QPainter& painter)
{
    WritablePixels direct;
    const QPaintDevice* device = painter.device();
    if (!hasPlainSetting(painter) || device != painter.paintEngine()->paintDevice() ||
        device->devType() != QInternal::Image ||
        painter.deviceTransform().type() != QTransform::TxNone ||
        !painter.paintEngine()->systemClip().isEmpty())
        return direct;
    const QImage* image = static_cast<const QImage*>(device);
    const QImage::Format format = image->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied)
        return direct;
    direct.writable = image->rect();
    direct.device = image->size();
    // Under a clip of several rectangles (a band of a frame, the strips of a pan), the largest.
    if (painter.hasClipping()) {
        const QRegion clip = painter.clipRegion();
        direct.wholeClip = clip.rectCount() <= 1;
        QRect largest;
        for (const QRect& rect : clip) {
            if (qint64(rect.width()) * rect.height() > qint64(largest.width()) * largest.height())
                largest = rect;
        }
        direct.writable &= largest;
    }
    // The painter paints into the very same memory: the image is reached without detaching it.
    direct.pixels = reinterpret_cast<QRgb*>(const_cast<uchar*>(image->constBits()));
    direct.stride = image->bytesPerLine() / qsizetype(sizeof(QRgb));
    return direct;
}
