#include "model/paintpolygon.h"

#include "model/paintrectangle.h"
#include "model/pixelclipping.h"
#include "model/vertexlist.h"
#include "render/shapestamps.h"

#include <QPainter>

ObjectDescription paintPolygon::describeGeometry() const
{
    ObjectDescription parts;
    parts.lead = {QStringLiteral("Polygon")};
    parts.vertices = QList<QPointF>(vertices.cbegin(), vertices.cend());
    return parts;
}

QIcon paintPolygon::icon() const
{
    return colorIcon(6, 8);
}

QString paintPolygon::briefText() const
{
    return endVerticesText(vertices, QStringLiteral("|  |"));
}

// The centre of the bounding box, each bound halved before adding so that huge coordinates do
// not overflow; a polygon without vertices has an empty box and the world origin as stand-in.
QPointF paintPolygon::anchorPoint() const
{
    if (vertices.empty())
        return QPointF();
    return QPointF(minX * 0.5 + maxX * 0.5, minY * 0.5 + maxY * 0.5);
}

void paintPolygon::preparePainter(QPainter* painter) const
{
    paintRectangle::prepareFilledPainter(painter, color(), highlighted, dimmed);
}

void paintPolygon::paint(QPainter* painter) const
{
    if (vertices.empty())
        return;
    const std::vector<QPoint>& points = pixelPolygon(vertices);
    ShapeStamps::drawPolygon(painter, points.data(), static_cast<int>(points.size()));
}

// A small polygon is copied whole from its record; a larger one, of plain colours, is filled by
// the painter and outlined by the line rasterizer, its outline pen being cosmetic at every line
// width.
bool paintPolygon::paintDirect(DirectCanvas& canvas) const
{
    if (vertices.empty())
        return true;
    const std::vector<QPoint>& points = pixelPolygon(vertices);
    const int count = static_cast<int>(points.size());
    if (drawDirectShape(canvas, FilledStyle, DirectCanvas::Shape::Polygon, points.data(), count))
        return true;
    QRgb own, outline, inside;
    return plainColor(own) &&
           paintRectangle::filledPixels(own, highlighted, dimmed, outline, inside) &&
           canvas.drawThinPolygon(points.data(), count, outline,
                                  solidBrush(QColor::fromRgba(inside)));
}

void paintPolygon::parse(std::string_view geometryAndProperties)
{
    readVertexRecord(geometryAndProperties, *this, vertices);
}

void paintPolygon::computeBounds()
{
    setVertexBounds(*this, vertices);
}
