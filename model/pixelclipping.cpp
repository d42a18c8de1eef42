#include "model/pixelclipping.h"

#include "app/viewerapp.h"

#include <cmath>

namespace
{

constexpr double kLimit = ViewerApp::kPixelLimit;
// Beyond this, differences of pixel positions may overflow; such shapes keep the plain clamping
// of ViewerApp::toPixel(), which leaves them finite.
constexpr double kLargestCuttable = 1e300;

QPointF pixelPosition(const ViewerApp& app, QPointF world)
{
    return QPointF(app.originX + app.ratio * world.x(), app.originY - app.ratio * world.y());
}

bool withinLimit(QPointF p)
{
    return p.x() >= -kLimit && p.x() <= kLimit && p.y() >= -kLimit && p.y() <= kLimit;
}

bool cuttable(QPointF p)
{
    return std::fabs(p.x()) <= kLargestCuttable && std::fabs(p.y()) <= kLargestCuttable;
}

QPoint wholePixel(QPointF p)
{
    return QPoint(ViewerApp::toPixel(p.x()), ViewerApp::toPixel(p.y()));
}

// One side of the square: the half-plane where x (or y) is at least (or at most) the edge.
struct Side {
    bool alongY;
    bool atMost;
    double edge;

    bool holds(QPointF p) const
    {
        const double value = alongY ? p.y() : p.x();
        return atMost ? value <= edge : value >= edge;
    }

    // Where the segment from a point within the side to one beyond it crosses the edge. Measured
    // from the point within, which lies near the square: measured from a far point, the small
    // difference would be lost in the far coordinates' rounding.
    QPointF crossing(QPointF within, QPointF beyond) const
    {
        if (alongY) {
            const double t = (edge - within.y()) / (beyond.y() - within.y());
            return QPointF(within.x() + t * (beyond.x() - within.x()), edge);
        }
        const double t = (edge - within.x()) / (beyond.x() - within.x());
        return QPointF(edge, within.y() + t * (beyond.y() - within.y()));
    }
};

constexpr Side kSides[] = {
    {false, false, -kLimit}, {false, true, kLimit}, {true, false, -kLimit}, {true, true, kLimit}};

// The part of the segment within the square, side by side; false when it misses the square.
bool cutToSquare(QPointF& a, QPointF& b)
{
    for (const Side& side : kSides) {
        const bool aWithin = side.holds(a), bWithin = side.holds(b);
        if (!aWithin && !bWithin)
            return false;
        if (!aWithin)
            a = side.crossing(b, a);
        else if (!bWithin)
            b = side.crossing(a, b);
    }
    return true;
}

// Sutherland-Hodgman against one side of the square: the polygon's part where the side holds.
// The edges that stood beyond the side are replaced by runs along it; a point within the side is
// wound around as often as before, so either fill rule fills it as before.
void cutBySide(const std::vector<QPointF>& polygon, std::vector<QPointF>& kept, const Side& side)
{
    kept.clear();
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const QPointF& current = polygon[i];
        const QPointF& previous = polygon[(i + polygon.size() - 1) % polygon.size()];
        const bool currentWithin = side.holds(current);
        const bool previousWithin = side.holds(previous);
        if (currentWithin) {
            if (!previousWithin)
                kept.push_back(side.crossing(current, previous));
            kept.push_back(current);
        } else if (previousWithin) {
            kept.push_back(side.crossing(previous, current));
        }
    }
}

void cutPolygonToSquare(std::vector<QPointF>& polygon)
{
    static thread_local std::vector<QPointF> kept;
    for (const Side& side : kSides) {
        cutBySide(polygon, kept, side);
        polygon.swap(kept);
    }
}

// The segment between two pixel positions, cut to the square where it reaches beyond it.
bool segmentBetween(QPointF a, QPointF b, QLine& segment)
{
    if ((!withinLimit(a) || !withinLimit(b)) && cuttable(a) && cuttable(b) && !cutToSquare(a, b))
        return false;
    segment = QLine(wholePixel(a), wholePixel(b));
    return true;
}

} // namespace

bool pixelSegment(QPointF from, QPointF to, QLine& segment)
{
    const ViewerApp& app = *ViewerApp::instance();
    return segmentBetween(pixelPosition(app, from), pixelPosition(app, to), segment);
}

// Every vertex is mapped once; only a segment with an end beyond the square takes the long way.
const std::vector<QLine>& pixelSegments(const VertexList& vertices)
{
    static thread_local std::vector<QLine> segments;
    segments.clear();
    if (vertices.empty())
        return segments;
    const ViewerApp& app = *ViewerApp::instance();
    QPointF previous = pixelPosition(app, vertices.front());
    bool previousWithin = withinLimit(previous);
    QPoint previousPixel = wholePixel(previous);
    QLine segment;
    for (std::size_t i = 1; i < vertices.size(); ++i) {
        const QPointF current = pixelPosition(app, vertices[i]);
        const bool currentWithin = withinLimit(current);
        const QPoint currentPixel = wholePixel(current);
        // Coordinate by coordinate: the previous pixel's were written one at a time, and a read
        // of both at once would wait for those writes to reach the cache.
        if (previousWithin && currentWithin)
            segments.emplace_back(previousPixel.x(), previousPixel.y(), currentPixel.x(),
                                  currentPixel.y());
        else if (segmentBetween(previous, current, segment))
            segments.push_back(segment);
        previous = current;
        previousWithin = currentWithin;
        previousPixel = currentPixel;
    }
    return segments;
}

// Polygons within the square, nearly all, are mapped in one pass; the others are mapped again in
// double precision and cut.
const std::vector<QPoint>& pixelPolygon(const VertexList& vertices)
{
    static thread_local std::vector<QPoint> points;
    static thread_local std::vector<QPointF> positions;
    const ViewerApp& app = *ViewerApp::instance();
    points.clear();
    for (const QPointF& vertex : vertices) {
        const QPointF p = pixelPosition(app, vertex);
        if (!withinLimit(p))
            break;
        points.emplace_back(static_cast<int>(p.x()), static_cast<int>(p.y()));
    }
    if (points.size() == vertices.size())
        return points;
    positions.clear();
    bool cuttableAll = true;
    for (const QPointF& vertex : vertices) {
        const QPointF p = positions.emplace_back(pixelPosition(app, vertex));
        cuttableAll = cuttableAll && cuttable(p);
    }
    if (cuttableAll)
        cutPolygonToSquare(positions);
    points.clear();
    for (const QPointF& p : positions)
        points.push_back(wholePixel(p));
    return points;
}
