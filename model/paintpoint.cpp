#include "model/paintpoint.h"

#include "app/viewerapp.h"
#include "model/paintline.h"
#include "render/outlinedrect.h"
#include "render/shapestamps.h"
#include "script/wordreader.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

enum MarkerCode { Circle = 0, Square = 1, Cross = 2, Triangle = 3, Diamond = 4 };

// A regular polygon with this many corners lies within s * (1 - cos(pi / 1024)), about
// s * 4.7e-6 pixels, of its circumscribed circle, so no marker up to tens of thousands of pixels
// across can show more corners than that. Drawing at most this many keeps a code like 2000000000
// from allocating gigabytes and looping for seconds on every repaint.
constexpr int kMaxMarkerCorners = 1024;

// The first corner sits straight above the centre; its cosine and sine are fixed rather than
// computed so that every n-gon starts from exactly the same corner.
constexpr double kFirstCornerAngle = 1.5707963267948966;
constexpr double kFirstCornerCos = 6.123233995736766e-17;
constexpr double kFirstCornerSin = 1.0;
constexpr double kFullTurn = 6.283185307179586;

// The cosine and sine of each corner's angle for a regular n-gon: each angle is the previous
// plus one step, so the corners follow the accumulated sum rather than i * step. Computed once
// per corner count.
const std::vector<QPointF>& unitCorners(int corners)
{
    static thread_local std::vector<std::vector<QPointF>> tables(kMaxMarkerCorners + 1);
    std::vector<QPointF>& table = tables[static_cast<std::size_t>(corners)];
    if (!table.empty())
        return table;
    const double step = kFullTurn / corners;
    table.reserve(static_cast<std::size_t>(corners));
    double angle = kFirstCornerAngle;
    table.emplace_back(kFirstCornerCos, kFirstCornerSin);
    for (int i = 1; i < corners; ++i) {
        angle += step;
        table.emplace_back(std::cos(angle), std::sin(angle));
    }
    return table;
}

// A regular n-gon of circumradius s around (sx, sy), screen y down.
void drawRegularPolygon(QPainter* painter, int sx, int sy, int s, int corners)
{
    corners = std::min(corners, kMaxMarkerCorners);
    static thread_local std::vector<QPointF> points;
    points.clear();
    for (const QPointF& unit : unitCorners(corners))
        points.emplace_back(sx + s * unit.x(), sy - s * unit.y());
    ShapeStamps::drawPolygon(painter, points.data(), corners);
}

} // namespace

QString paintPoint::shapeName() const
{
    switch (shape) {
    case Circle:
        return QStringLiteral("circle");
    case Square:
        return QStringLiteral("square");
    case Cross:
        return QStringLiteral("cross");
    case Triangle:
        return QStringLiteral("triangle");
    case Diamond:
        return QStringLiteral("diamond");
    default:
        return shape > Diamond ? QString::asprintf("%d-gon", shape) : QString();
    }
}

ObjectDescription paintPoint::describeGeometry() const
{
    ObjectDescription parts;
    parts.lead = {QStringLiteral("Point (") + shapeName() + QLatin1Char(')'),
                  QString::asprintf("%f %f", x, y)};
    return parts;
}

QIcon paintPoint::icon() const
{
    return colorIcon(2, 2);
}

QString paintPoint::briefText() const
{
    return QString::asprintf("%f %f", x, y);
}

QPointF paintPoint::anchorPoint() const
{
    return QPointF(x, y);
}

void paintPoint::preparePainter(QPainter* painter) const
{
    const QColor own = color();
    painter->setPen(cosmeticPen(own));
    painter->setBrush(solidBrush(highlighted ? ViewerApp::instance()->highlightColor : own));
}

paintPoint::Marker paintPoint::marker() const
{
    const ViewerApp* app = ViewerApp::instance();
    // pointSize may be raised to INT_MAX; clamped like any pixel value, sx +- s stays in an int.
    return {app->pixelX(x), app->pixelY(y), ViewerApp::toPixel(app->pointSize)};
}

QRect paintPoint::Marker::circleRect() const
{
    return QRect(QPoint(sx - s, sy - s), QPoint(sx + s - 1, sy + s - 1));
}

QRect paintPoint::Marker::square() const
{
    return QRect(QPoint(sx - s, sy - s), QPoint(sx + s, sy + s));
}

std::array<QPoint, 4> paintPoint::Marker::crossEnds() const
{
    return {QPoint(sx - s, sy), QPoint(sx + s, sy), QPoint(sx, sy - s), QPoint(sx, sy + s)};
}

std::array<QPoint, 3> paintPoint::Marker::triangle() const
{
    return {QPoint(sx + s, sy + s), QPoint(sx, sy - s), QPoint(sx - s, sy + s)};
}

void paintPoint::paint(QPainter* painter) const
{
    const Marker at = marker();
    switch (shape) {
    case Circle:
        ShapeStamps::drawEllipse(painter, at.circleRect());
        break;
    case Square:
        drawOutlinedRect(painter, at.square());
        break;
    case Cross: {
        // A cross is two strokes and has no fill to highlight, so it keeps its own colour.
        painter->setPen(strokePen(color()));
        const std::array<QPoint, 4> ends = at.crossEnds();
        const QLine strokes[] = {QLine(ends[0], ends[1]), QLine(ends[2], ends[3])};
        ShapeStamps::drawLines(painter, strokes, 2);
        break;
    }
    case Triangle:
        ShapeStamps::drawConvexPolygon(painter, at.triangle().data(), 3);
        break;
    default:
        if (shape >= Diamond)
            drawRegularPolygon(painter, at.sx, at.sy, at.s, shape);
        break;
    }
}

bool paintPoint::paintDirect(DirectCanvas& canvas) const
{
    const Marker at = marker();
    if (at.s <= 0)
        return false;
    switch (shape) {
    case Circle: {
        const QRect rect = at.circleRect();
        const QPoint corners[] = {rect.topLeft(), rect.bottomRight()};
        return drawDirectShape(canvas, MarkerStyle, DirectCanvas::Shape::Ellipse, corners, 2);
    }
    case Square: {
        QRgb own;
        if (!plainColor(own))
            return false;
        QRgb inside = own;
        if (highlighted && !DirectCanvas::plainColor(ViewerApp::instance()->highlightColor, inside))
            return false;
        return canvas.fillOutlinedRect(at.square(), own, inside);
    }
    case Cross:
        return drawDirectShape(canvas, CrossStyle, DirectCanvas::Shape::Lines,
                               at.crossEnds().data(), 4);
    case Triangle:
        return drawDirectShape(canvas, MarkerStyle, DirectCanvas::Shape::ConvexPolygon,
                               at.triangle().data(), 3);
    default: {
        if (shape < Diamond)
            return true;
        const int corners = std::min(shape, kMaxMarkerCorners);
        DirectCanvas::Style style;
        return directStyle(MarkerStyle, style) &&
               canvas.drawRegularPolygon(style, QPoint(at.sx, at.sy), at.s,
                                         unitCorners(corners).data(), corners,
                                         [this](QPainter* painter) { paintAlone(painter); });
    }
    }
}

void paintPoint::parse(std::string_view geometryAndProperties)
{
    WordReader words(geometryAndProperties);
    words.readDouble(x);
    words.readDouble(y);
    words.readWord(colorName);
    words.readInt(shape);
    readPropertyPairs(words);
}

void paintPoint::computeBounds()
{
    minX = maxX = x;
    minY = maxY = y;
}
