#pragma once

#include <QBrush>
#include <QImage>
#include <QLine>
#include <QPen>
#include <QPoint>
#include <QPointF>
#include <QRect>

#include "render/plainpainting.h"
#include "storage/textkeyedtable.h"

#include <string>

class QPainter;

// Paints small shapes by copying the pixels that Qt set for the same shape, pen and brush before
// (docs/DESIGN.md, "Caches"). Each function paints exactly what the QPainter call it names
// paints; where the painter or the place does not allow a stamp, it makes that call. Corners off
// the pixel grid are stamped where their offsets convert exactly; a wide pen's outline, computed
// in doubles, where the shape lies within the same powers of two.
class ShapeStamps
{
public:
    // As drawPolygon() with the odd-even rule.
    static void drawPolygon(QPainter* painter, const QPoint* points, int count);
    // The same for corners that are not whole pixels.
    static void drawPolygon(QPainter* painter, const QPointF* points, int count);
    static void drawConvexPolygon(QPainter* painter, const QPoint* points, int count);
    static void drawEllipse(QPainter* painter, const QRect& rect);
    // The lines one by one, each its own drawLines() call.
    static void drawLines(QPainter* painter, const QLine* lines, int count);

    // While one exists, the painter given to it keeps its setting (everything but pen and
    // brush: engine, hints, opacity, composition, transforms, viewport, clip), so that whether
    // it allows stamps is found once instead of for every shape. A painter on an image, not
    // shifted, then also has its stamps that lie wholly inside its clip's largest rectangle
    // copied into the image's pixels directly: the painter's general image drawing costs several
    // times as much for small images.
    class Session
    {
    public:
        explicit Session(const QPainter& painter);
        ~Session();
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;

    private:
        friend class ShapeStamps;
        const QPainter& painter;
        bool allowed;
        QRect viewport;
        // Where stamps may be written into the image's pixels directly.
        WritablePixels direct;
        const Session* previous;
    };

    // How many stamps stand in for the painter's own calls.
    static std::size_t size();
    // Forgets every stamp.
    static void clear();

private:
    // Larger shapes cost about as much to copy as to paint, and would fill the cache.
    static constexpr int kMaxSide = 48;
    static constexpr int kMaxPoints = 24;
    // Wider pens make areas larger than stamps are worth.
    static constexpr double kWidestPen = 16.0;
    // Room around the expected area, to catch a shape that paints beyond it.
    static constexpr int kScratchMargin = 4;
    // A drawing has a few thousand distinct small shapes (a million mixed objects at a fitted
    // view with two-pixel lines: about 15,000, a few hundred bytes each); see stampFor() for a
    // full cache. A shape gets its stamp the second time it comes; one-off shapes are painted by
    // the painter alone.
    static constexpr std::uint32_t kMaxStamps = 32768;

    // Keys name the pen and brush by their shared data. The stamp keeps copies of both, so that
    // the data stays alive and unchanged (shared data is copied before it changes) while the key
    // names it.
    struct Stamp {
        QPen pen;
        QBrush brush;
        QImage image;
        // The image's pixels and layout, kept here so that copying a stamp reads only the stamp
        // and its pixels. The image is never changed, so they stay valid while it lives.
        const QRgb* pixels = nullptr;
        qsizetype stride = 0;
        QSize size;
        // False when the pen or brush is not plain, or the shape painted outside its expected
        // area: Qt then always paints it.
        bool usable = false;
    };

    static bool allowsStamp(const QPainter& painter, const QRect& area);
    static bool settingAllowsStamps(const QPainter& painter);
    static void drawStamp(QPainter* painter, const QPoint& at, const Stamp& stamp);
    static thread_local const Session* session;
    // The key buffer, holding the kind, the area's size and, for a wide pen, the powers of two
    // the area lies within; the caller adds the geometry relative to the area's corner. Null
    // when a wide pen's area straddles a power of two.
    static std::string* keyFor(const QPainter& painter, char kind, const QRect& area);
    // The stamp for the key completed with the painter's pen and brush, recorded now (holding
    // them) if it was not yet and the cache takes it; null when there is none. `draw` paints the
    // shape, which lies within the area.
    template <typename Draw>
    static const Stamp* stampFor(const QPainter& painter, std::string& key, const QRect& area,
                                 const Draw& draw);
    // Since the outermost session began: stamps found, and shapes turned away by a full cache.
    static thread_local std::size_t stampsFound;
    static thread_local std::size_t stampsTurnedAway;
    // Stamps that stand in for the painter's calls.
    static thread_local std::size_t usableStamps;
    // The key for the shape of this kind through the points, or null where the painter or the
    // area allows none.
    static std::string* keyForPoints(const QPainter& painter, char kind, const QRect& area,
                                     const QPoint* points, int count);
    static void record(Stamp& stamp, const QImage& scratch, const QSize& size);
    static QImage scratchFor(const QRect& area);

    // Paints what draw(painter) paints, from the shape's stamp when the key (null for none) has
    // one.
    template <typename Draw>
    static void paint(QPainter* painter, std::string* key, const QRect& area, const Draw& draw);

    // The same for a shape of this kind through the points, stamped when there are not too
    // many of them.
    template <typename Draw>
    static void paintThrough(QPainter* painter, char kind, const QPoint* points, int count,
                             const Draw& draw);

    static TextKeyedTable<Stamp>& stamps();
};
