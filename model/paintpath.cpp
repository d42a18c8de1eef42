#include "model/paintpath.h"

#include "app/viewerapp.h"
#include "model/paintline.h"
#include "model/pixelclipping.h"
#include "model/vertexlist.h"
#include "render/shapestamps.h"

#include <QPainter>

#include <array>

ObjectDescription paintPath::describeGeometry() const
{
    ObjectDescription parts;
    parts.lead = {QStringLiteral("Path")};
    parts.vertices = QList<QPointF>(vertices.cbegin(), vertices.cend());
    return parts;
}

QIcon paintPath::icon() const
{
    return colorIcon(2, 8);
}

QString paintPath::briefText() const
{
    return endVerticesText(vertices, QStringLiteral("~"));
}

// The middle vertex; a path without vertices has the world origin as a harmless stand-in.
QPointF paintPath::anchorPoint() const
{
    return vertices.empty() ? QPointF() : vertices[vertices.size() / 2];
}

void paintPath::preparePainter(QPainter* painter) const
{
    painter->setPen(strokePen(highlighted ? ViewerApp::instance()->highlightColor : color()));
}

// Each segment is drawn on its own so that every one gets its own square caps, as a line does.
void paintPath::paint(QPainter* painter) const
{
    if (vertices.size() < 2)
        return;
    const std::vector<QLine>& segments = pixelSegments(vertices);
    ShapeStamps::drawLines(painter, segments.data(), static_cast<int>(segments.size()));
}

bool paintPath::paintDirect(DirectCanvas& canvas) const
{
    if (vertices.size() < 2)
        return true;
    const std::vector<QLine>& segments = pixelSegments(vertices);
    if (segments.empty())
        return true;
    QRgb pixel;
    if (thinStrokePixel(*this, pixel) &&
        canvas.drawThinLines(segments.data(), static_cast<int>(segments.size()), pixel))
        return true;
    if (2 * segments.size() > DirectCanvas::kMaxPoints)
        return false;
    std::array<QPoint, DirectCanvas::kMaxPoints> ends;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        ends[2 * i] = segments[i].p1();
        ends[2 * i + 1] = segments[i].p2();
    }
    return drawDirectShape(canvas, StrokedStyle, DirectCanvas::Shape::Lines, ends.data(),
                           static_cast<int>(2 * segments.size()));
}

void paintPath::parse(std::string_view geometryAndProperties)
{
    readVertexRecord(geometryAndProperties, *this, vertices);
}

void paintPath::computeBounds()
{
    setVertexBounds(*this, vertices);
}
