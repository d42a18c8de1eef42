#include "model/pixelclipping.h"

#include "app/viewerapp.h"

#include <algorithm>
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

// Liang-Barsky: the part of the segment within the square, as the parameters along it where it
// enters and leaves; false when it misses the square.
bool cutToSquare(QPointF& from, QPointF& to)
{
    const double dx = to.x() - from.x(), dy = to.y() - from.y();
    const double steps[4] = {-dx, dx, -dy, dy};
    const double room[4] = {from.x() + kLimit, kLimit - from.x(), from.y() + kLimit,
                            kLimit - from.y()};
    double enter = 0.0, leave = 1.0;
    for (int side = 0; side < 4; ++side) {
        if (steps[side] == 0.0) {
            if (room[side] < 0.0)
                return false;
            continue;
        }
        const double at = room[side] / steps[side];
        if (steps[side] < 0.0)
            enter = std::max(enter, at);
        else
            leave = std::min(leave, at);
        if (enter > leave)
            return false;
    }
    const QPointF start = from;
    from = QPointF(start.x() + enter * dx, start.y() + enter * dy);
    to = QPointF(start.x() + leave * dx, start.y() + leave * dy);
    return true;
}

// Sutherland-Hodgman against one side of the square: the polygon's part where the side's test
// holds. The edges that stood beyond the side are replaced by runs along it; a point within the
// side is wound around as often as before, so either fill rule fills it as before.
template <typename Inside, typename Crossing>
void cutBySide(const std::vector<QPointF>& polygon, std::vector<QPointF>& kept, Inside inside,
               Crossing crossing)
{
    kept.clear();
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const QPointF& current = polygon[i];
        const QPointF& previous = polygon[(i + polygon.size() - 1) % polygon.size()];
        if (inside(current)) {
            if (!inside(previous))
                kept.push_back(crossing(previous, current));
            kept.push_back(current);
        } else if (inside(previous)) {
            kept.push_back(crossing(previous, current));
        }
    }
}

// The point where the segment crosses x = edge, or y = edge with the coordinates swapped.
QPointF crossingAtX(QPointF a, QPointF b, double edge)
{
    const double t = (edge - a.x()) / (b.x() - a.x());
    return QPointF(edge, a.y() + t * (b.y() - a.y()));
}

QPointF crossingAtY(QPointF a, QPointF b, double edge)
{
    const double t = (edge - a.y()) / (b.y() - a.y());
    return QPointF(a.x() + t * (b.x() - a.x()), edge);
}

void cutPolygonToSquare(std::vector<QPointF>& polygon)
{
    static std::vector<QPointF> kept;
    cutBySide(
        polygon, kept, [](QPointF p) { return p.x() >= -kLimit; },
        [](QPointF a, QPointF b) { return crossingAtX(a, b, -kLimit); });
    cutBySide(
        kept, polygon, [](QPointF p) { return p.x() <= kLimit; },
        [](QPointF a, QPointF b) { return crossingAtX(a, b, kLimit); });
    cutBySide(
        polygon, kept, [](QPointF p) { return p.y() >= -kLimit; },
        [](QPointF a, QPointF b) { return crossingAtY(a, b, -kLimit); });
    cutBySide(
        kept, polygon, [](QPointF p) { return p.y() <= kLimit; },
        [](QPointF a, QPointF b) { return crossingAtY(a, b, kLimit); });
}

} // namespace

namespace
{

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
    static std::vector<QLine> segments;
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
        if (previousWithin && currentWithin)
            segments.emplace_back(previousPixel, currentPixel);
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
    static std::vector<QPoint> points;
    static std::vector<QPointF> positions;
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
