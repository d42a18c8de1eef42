#pragma once

#include "app/viewerapp.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"

#include <QImage>
#include <QPainter>
#include <QString>

#include <memory>

// Helpers of the drawable-kind tests: objects made from record text, drawn on a small white
// canvas the way the display draws them, and pixel comparisons that name where they fail.
namespace canvas
{

constexpr int kWidth = 200;
constexpr int kHeight = 120;
const QColor kWhite(255, 255, 255);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kGrey(100, 100, 100);
const QColor kHighlight(255, 128, 0);

// Casts to the kind so that a test can read its geometry; the record follows the keyword.
template <typename Kind = paintObject>
std::unique_ptr<Kind> create(const char* keyword, const char* record)
{
    paintObject* object = DrawingModel::instance()->createObjectFromRecord(keyword, record);
    return std::unique_ptr<Kind>(static_cast<Kind*>(object));
}

inline QImage blank()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(kWhite);
    return image;
}

// Draws as the display's layer pass does: preparePainter, then paint.
inline QImage render(const paintObject& object)
{
    QImage image = blank();
    QPainter painter(&image);
    object.preparePainter(&painter);
    object.paint(&painter);
    return image;
}

// A reference picture drawn directly with the given pen and brush.
template <typename Draw> QImage reference(const QPen& pen, const QBrush& brush, Draw draw)
{
    QImage image = blank();
    QPainter painter(&image);
    painter.setPen(pen);
    painter.setBrush(brush);
    draw(painter);
    return image;
}

// Empty when the images are equal, else the first differing pixel and both colours.
inline QString firstDifference(const QImage& actual, const QImage& expected)
{
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y))
                return QStringLiteral("pixel (%1,%2) is %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(QColor(actual.pixel(x, y)).name(), QColor(expected.pixel(x, y)).name());
    return QString();
}

// The smallest rectangle holding every pixel that is not white; null for an untouched canvas.
inline QRect paintedBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (QColor(image.pixel(x, y)) != kWhite)
                box |= QRect(x, y, 1, 1);
    return box;
}

inline QString colorAt(const QImage& image, QPoint at)
{
    return QColor(image.pixel(at)).name();
}

// Empty when every listed pixel has the colour, else the first one that has not.
inline QString wrongPixel(const QImage& image, const QList<QPoint>& pixels, const QColor& color)
{
    for (const QPoint& at : pixels)
        if (colorAt(image, at) != color.name())
            return QStringLiteral("pixel (%1,%2) is %3, expected %4")
                .arg(at.x())
                .arg(at.y())
                .arg(colorAt(image, at), color.name());
    return QString();
}

inline QRectF boundsOf(const paintObject& object)
{
    return QRectF(QPointF(object.minX, object.minY), QPointF(object.maxX, object.maxY));
}

} // namespace canvas

// Passes on an empty text, else fails with the text as the message.
#define VERIFY_NO_MISMATCH(text)                                                                   \
    do {                                                                                           \
        const QString mismatch = (text);                                                           \
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));                                        \
    } while (false)
