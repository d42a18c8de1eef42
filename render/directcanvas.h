#pragma once

#include "render/linerasterizer.h"
#include "render/plainpainting.h"

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRgb>

#include <cstdint>

class QBrush;
class QColor;
class QPainter;

// Writes the small shapes that large drawings are made of straight into the pixels of the image
// that a plain painter paints on, with no painter call per shape (docs/DESIGN.md, "Caches"). A
// rectangle's outline and inside are filled; any other shape is copied from the pixels that Qt set
// for the same shape of an object of the same style, recorded the first time it came. A shape
// that cannot be written exactly so (it crosses the edge of the writable area, or it is too large,
// or the painter or its style does not paint plainly) is refused, and the caller paints it through
// the painter instead.
//
// Where the painter sets each object's pen and brush, the table is keyed by what chooses them,
// which is read without the painter: the object's kind and its own colour. Each thread has a
// table of its own, kept from one paint to the next.
class DirectCanvas
{
public:
    // What, together with the paint's setting, chooses the pen and brush of an object: which
    // kind of object (and variant, such as a marker's shape) it is, its own colour (as given by
    // plainColor()), whether it is highlighted, and whether it is dimmed (which pales the parts
    // not drawn in its own colour, such as a filled shape's grey outline). Kinds are below 128.
    struct Style {
        QRgb color;
        std::uint8_t kind;
        bool highlighted;
        bool dimmed;
    };

    enum class Shape : std::uint8_t { Ellipse, Polygon, ConvexPolygon, Lines, RegularPolygon };

    // The most points a shape may have here; one with more is refused.
    static constexpr int kMaxPoints = 12;
    // Wider pens make areas larger than copies are worth.
    static constexpr int kWidestPen = 16;

    // Writes into the painter's image when `enabled` and the painter paints plainly onto a 32-bit
    // image without a shift (see writablePixelsOf()). `setting` stands for whatever besides an
    // object's style and geometry its pixels depend on during the paint (the highlight colour and
    // the pen width, say): the shapes recorded under another setting are forgotten.
    DirectCanvas(QPainter& painter, bool enabled, std::uint64_t setting);
    ~DirectCanvas();
    DirectCanvas(const DirectCanvas&) = delete;
    DirectCanvas& operator=(const DirectCanvas&) = delete;

    // Whether shapes may be written at all; when not, every call refuses.
    bool active() const { return pixels.pixels != nullptr; }

    // The colour as the 32-bit pixel that painting an opaque colour writes; false for a colour
    // that is not opaque or holds more than 8 bits per channel (painting would round it).
    static bool plainColor(const QColor& color, QRgb& pixel);

    // Sets the pixels that drawOutlinedRect() sets with a pen of the outline colour and a brush
    // of the inside colour.
    bool fillOutlinedRect(const QRect& rect, QRgb outline, QRgb inside) const;

    // Draws the lines in the colour as a plain painter draws them one a drawLines() call with a
    // solid pen one pixel wide with square caps, the stroke pen at line width 1 (LineRasterizer),
    // at no cost per line beyond its pixels. False, drawing nothing, where the painter's clip is
    // more than one rectangle and the lines may reach beyond the writable one.
    bool drawThinLines(const QLine* lines, int count, QRgb color) const;

    // Paints what a plain painter paints for drawPolygon() through the corners (odd-even) with
    // the brush and a cosmetic pen of the outline colour: the inside filled by the painter (its
    // pen left off), then the outline drawn by the line rasterizer. False, painting nothing,
    // where the rasterizer refuses the outline or drawThinLines() would refuse its sides.
    bool drawThinPolygon(const QPoint* corners, int count, QRgb outline, const QBrush& brush);

    // Writes the shape through the points (for an ellipse, the corners of its rectangle) of an
    // object of the style, whose pixels are what paintAlone(painter) paints: setting its pen (of
    // the given width in pixels, 0 for a cosmetic pen) and brush, and painting the shape. The
    // points are whole pixels, so that Qt paints the same pixels for the shape wherever it lies;
    // a wide pen's outline, computed in doubles, wherever the shape lies within the same powers
    // of two.
    template <typename PaintAlone>
    bool drawShape(const Style& style, Shape shape, const QPoint* points, int count, int penWidth,
                   const PaintAlone& paintAlone)
    {
        return drawShapeWith(
            style, shape, points, count, penWidth,
            [](const void* context, QPainter* painter) {
                (*static_cast<const PaintAlone*>(context))(painter);
            },
            &paintAlone);
    }

    // Writes the regular polygon whose corners lie at centre.x + radius * unit.x,
    // centre.y - radius * unit.y for the given unit corners, computed in doubles in that order as
    // the marker's painting computes them, of an object of the style whose pixels are what
    // paintAlone(painter) paints with a cosmetic pen. The unit corners must be the same for every
    // polygon of as many corners. Its corners are off the pixel grid: it is written where their
    // offsets from the centre come out the same wherever it lies (within one power of two each
    // way, no offset rounded from halfway).
    template <typename PaintAlone>
    bool drawRegularPolygon(const Style& style, const QPoint& centre, int radius,
                            const QPointF* unitCorners, int count, const PaintAlone& paintAlone)
    {
        return drawRegularPolygonWith(
            style, centre, radius, unitCorners, count,
            [](const void* context, QPainter* painter) {
                (*static_cast<const PaintAlone*>(context))(painter);
            },
            &paintAlone);
    }

    // How many shapes the table of this thread holds; forgetting them all.
    static std::size_t size();
    static void clear();

private:
    using PaintFunction = void (*)(const void* context, QPainter* painter);
    bool drawShapeWith(const Style& style, Shape shape, const QPoint* points, int count,
                       int penWidth, PaintFunction paint, const void* context);
    bool drawRegularPolygonWith(const Style& style, const QPoint& centre, int radius,
                                const QPointF* unitCorners, int count, PaintFunction paint,
                                const void* context);

    // Whether the lines, whose ends' box is the one given, may be drawn by the rasterizer.
    bool takesLinesWithin(int left, int top, int right, int bottom) const;

    QPainter& painter;
    WritablePixels pixels;
    // Over the same pixels; usable when the device is small enough for it.
    LineRasterizer rasterizer;
    bool linesUsable;
};
