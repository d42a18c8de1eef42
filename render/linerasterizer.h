#pragma once

#include <QLine>
#include <QPoint>
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
//
// It also draws the outline of a polygon as QPainter::drawPolygon() draws it with a one-pixel
// solid opaque pen (the outline pen of filled shapes): one closed walk through the corners,
// without caps, where each side knows the last pixel of the side before it and leaves out a
// pixel the two would share, or adds one where the turn would leave a gap.
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

    // Whether drawPolygon() draws the outline through the corners: not for fewer than two, nor
    // for four (or four and the first again) with upright sides, which Qt outlines as a
    // rectangle, from a corner of its own choosing.
    static bool takesPolygon(const QPoint* corners, int count);
    // Sets the pixels of the closed outline through the corners within the clip to the colour;
    // false, setting none, where takesPolygon() refuses the corners.
    bool drawPolygon(const QPoint* corners, int count, QRgb color) const;

private:
    // Whether a side adds half a pixel before its first end, after its last.
    enum Caps { NoCaps = 0, CapBegin = 1, CapEnd = 2 };
    // What the walk of an outline carries from one side to the next: the last pixel set (its x
    // is kNone after a side was cut at its far end or wholly away, its y is left as it was), the
    // direction along the major axis (a Direction bit, 0 before any) and whether the side was
    // within a quarter pixel per pixel of an axis.
    struct Trace {
        static constexpr int kNone = -2147483647 - 1;
        int lastX = kNone;
        int lastY = kNone;
        int direction = 0;
        bool axisAligned = false;
    };
    enum Direction { Down = 1, Up = 2, Rightward = 4, Leftward = 8, Vertical = 3, Horizontal = 12 };

    // The side from `from` to `to`, cut to the widened device; with `paint` false only the trace
    // is brought up to date.
    void side(const QPoint& from, const QPoint& to, int caps, Trace* trace, bool paint,
              QRgb color) const;
    // The side from (x1, y1) to (x2, y2) in 26.6 fixed point, each end within the widened device.
    void walk(int x1, int y1, int x2, int y2, int caps, Trace* trace, bool paint, QRgb color) const;
    // Cuts the line to the widened device as Qt does; false when none of it is left. A cut at the
    // far end, or of the whole line, forgets the trace's last pixel.
    bool cut(double& x1, double& y1, double& x2, double& y2, Trace* trace) const;

    QRgb* pixels;
    qsizetype stride;
    // The widened device, in pixels: Qt cuts lines to it before walking them.
    int low;
    int right, bottom;
    QRect clip;
};
