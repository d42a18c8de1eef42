#pragma once

#include <QLine>
#include <QRect>
#include <QRgb>
#include <QSize>

// Sets, straight in a 32-bit image's pixels, exactly the pixels that Qt's raster engine sets when
// a plain painter (aliased, source-over, untransformed) draws a line with QPainter::drawLines(),
// one line a call, in a solid opaque pen one pixel wide with square caps: the stroke pen of lines
// and paths at line width 1 (docs/DESIGN.md, "Caches"). Qt walks such a line in 26.6 fixed point
// from ends first cut, in doubles, to the device's rectangle widened by a pixel on every side;
// this does the same arithmetic in the same order, so it picks the same pixels for every line,
// wherever its ends lie, and writes only those within the clip rectangle, as Qt's clip does.
class LineRasterizer
{
public:
    // Larger devices would overflow Qt's fixed point, where its pixels are not worth following.
    static constexpr int kMaxDeviceSide = 16384;

    // `pixels` is the device's first pixel and `stride` the pixels from one line to the next;
    // `device` its size (at most kMaxDeviceSide each way) and `clip` the rectangle within it
    // where pixels may be set.
    LineRasterizer(QRgb* pixels, qsizetype stride, QSize device, const QRect& clip);

    static bool takesDevice(QSize device)
    {
        return device.width() > 0 && device.height() > 0 && device.width() <= kMaxDeviceSide &&
               device.height() <= kMaxDeviceSide;
    }

    // Sets the line's pixels within the clip to the colour; a line whose ends are the same pixel
    // sets that pixel.
    void draw(const QLine& line, QRgb color) const;

private:
    // The line from (x1, y1) to (x2, y2) in 26.6 fixed point, each end within the widened device.
    void walk(int x1, int y1, int x2, int y2, QRgb color) const;
    // Cuts the line to the widened device as Qt does; false when none of it is left.
    bool cut(double& x1, double& y1, double& x2, double& y2) const;

    QRgb* pixels;
    qsizetype stride;
    // The widened device, in pixels: Qt cuts lines to it before walking them.
    int low;
    int right, bottom;
    QRect clip;
};
