#pragma once

#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QSize>

class QBrush;
class QPainter;
class QPen;

// Whether the painter paints plainly: the raster engine, aliased, fully opaque in source-over,
// the world untransformed (the device may place it at a whole-pixel offset, as a widget inside
// its window), a pen that is absent or solid, opaque and at most one pixel wide, and a brush that
// is absent or solid and opaque. What such a painter sets for a shape can be reproduced by
// simpler means than its general path.
bool paintsPlainly(const QPainter& painter);

// The parts of paintsPlainly() that are not the pen and brush, and those that are.
bool hasPlainSetting(const QPainter& painter);
// A pen wider than widestPen pixels is not plain.
bool isPlainStyle(const QPen& pen, const QBrush& brush, double widestPen = 1.0);

// Whether the box of pixels lies wholly on the painter's device, where nothing it holds is cut
// at the device's edge. Only meaningful for a painter that paints plainly.
bool liesOnDevice(const QPainter& painter, const QRect& box);

// The box of the points, in whole pixels; at least one point.
QRect boxOf(const QPoint* points, int count);
// How far beyond a shape's points its outline may reach with a pen of the width (0 for a cosmetic
// pen): a pixel, and a wide pen's width (half of it to the side, half of it again for a square
// cap's corner), rounded up.
int outlineReach(double penWidth);
// Whether the pixel box lies within one power of two each way, where a wide pen's outline,
// computed in doubles from the coordinates (whose last bit is worth the same only there), comes
// out the same wherever it lies; `across` and `down` are then the exponents of those powers.
bool withinPowersOfTwo(const QRect& box, int& across, int& down);

// The pixels of the 32-bit image that a painter with a plain setting paints on without any shift
// or system clip, where shapes may be written directly instead of through the painter: the first
// pixel, the pixels from one line to the next, and the rectangle that writes may reach (the
// image, within the largest rectangle of the painter's clip). A shape wholly inside that
// rectangle shows whole, as the painter would show it. Null pixels where the painter allows none.
struct WritablePixels {
    QRgb* pixels = nullptr;
    qsizetype stride = 0;
    QRect writable;
    // The image's size, and whether the writable rectangle is all that the painter's clip lets
    // through (no clip, or one rectangle).
    QSize device;
    bool wholeClip = true;
};
WritablePixels writablePixelsOf(const QPainter& painter);
