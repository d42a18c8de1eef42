#include "model/paintline.h"

#include "app/viewerapp.h"
#include "model/pixelclipping.h"
#include "render/shapestamps.h"
#include "script/wordreader.h"

#include <QPainter>

#include <algorithm>

ObjectDescription paintLine::describeGeometry() const
{
    ObjectDescription parts;
    parts.lead = {QStringLiteral("Line"), QString::asprintf("%f %f", x1, y1),
                  QString::asprintf("%f %f", x2, y2)};
    return parts;
}

QIcon paintLine::icon() const
{
    return colorIcon(8, 2);
}

QString paintLine::briefText() const
{
    return QString::asprintf("%f %f\n%f %f", x1, y1, x2, y2);
}

// Halving each end before adding gives the same midpoint as halving the sum, without the sum
// overflowing for ends near the largest doubles.
QPointF paintLine::anchorPoint() const
{
    return QPointF(x1 * 0.5 + x2 * 0.5, y1 * 0.5 + y2 * 0.5);
}

void paintLine::preparePainter(QPainter* painter) const
{
    painter->setPen(strokePen(highlighted ? ViewerApp::instance()->highlightColor : color()));
}

void paintLine::paint(QPainter* painter) const
{
    QLine line;
    if (pixelSegment(QPointF(x1, y1), QPointF(x2, y2), line))
        ShapeStamps::drawLines(painter, &line, 1);
}

bool thinStrokePixel(const paintObject& object, QRgb& pixel)
{
    const ViewerApp* app = ViewerApp::instance();
    if (app->lineWidth != 1)
        return false;
    return object.highlighted ? DirectCanvas::plainColor(app->highlightColor, pixel)
                              : object.plainColor(pixel);
}

bool paintLine::paintDirect(DirectCanvas& canvas) const
{
    QLine line;
    if (!pixelSegment(QPointF(x1, y1), QPointF(x2, y2), line))
        return true;
    QRgb pixel;
    if (thinStrokePixel(*this, pixel) && canvas.drawThinLines(&line, 1, pixel))
        return true;
    const QPoint ends[] = {line.p1(), line.p2()};
    return drawDirectShape(canvas, StrokedStyle, DirectCanvas::Shape::Lines, ends, 2);
}

void paintLine::parse(std::string_view geometryAndProperties)
{
    WordReader words(geometryAndProperties);
    words.readDouble(x1);
    words.readDouble(y1);
    words.readDouble(x2);
    words.readDouble(y2);
    words.readWord(colorName);
    readPropertyPairs(words);
}

void paintLine::computeBounds()
{
    minX = std::min(x1, x2);
    maxX = std::max(x1, x2);
    minY = std::min(y1, y2);
    maxY = std::max(y1, y2);
}
