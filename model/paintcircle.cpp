#include "model/paintcircle.h"

#include "app/viewerapp.h"
#include "model/paintrectangle.h"
#include "render/shapestamps.h"
#include "script/wordreader.h"

#include <QPainter>

ObjectDescription paintCircle::describeGeometry() const
{
    ObjectDescription parts;
    parts.lead = {QStringLiteral("Circle"), QString::asprintf("%f %f", cx, cy),
                  QString::asprintf("%f", radius)};
    return parts;
}

QIcon paintCircle::icon() const
{
    return colorIcon(4, 4);
}

QString paintCircle::briefText() const
{
    return QString::asprintf("%f %f (%f)", cx, cy, radius);
}

QPointF paintCircle::anchorPoint() const
{
    return QPointF(cx, cy);
}

void paintCircle::preparePainter(QPainter* painter) const
{
    paintRectangle::prepareFilledPainter(painter, color(), highlighted, dimmed);
}

// Centre and radius are clamped to +-5e8 pixels each, so sx +- r stays within +-1e9 and cannot
// overflow an int.
QRect paintCircle::pixelRect() const
{
    const ViewerApp* app = ViewerApp::instance();
    const int r = app->pixelLength(radius);
    const int sx = app->pixelX(cx);
    const int sy = app->pixelY(cy);
    return QRect(QPoint(sx - r, sy - r), QPoint(sx + r - 1, sy + r - 1));
}

void paintCircle::paint(QPainter* painter) const
{
    ShapeStamps::drawEllipse(painter, pixelRect());
}

// A circle less than a pixel across has an empty rectangle, in which a plain painter with an
// opaque pen and brush draws nothing.
bool paintCircle::paintDirect(DirectCanvas& canvas) const
{
    const QRect rect = pixelRect();
    QRgb own;
    if (rect.width() == 0 && rect.height() == 0)
        return canvas.active() && plainColor(own);
    if (rect.width() < 0 || rect.height() < 0)
        return false;
    const QPoint corners[] = {rect.topLeft(), rect.bottomRight()};
    return drawDirectShape(canvas, FilledStyle, DirectCanvas::Shape::Ellipse, corners, 2);
}

void paintCircle::parse(std::string_view geometryAndProperties)
{
    WordReader words(geometryAndProperties);
    words.readDouble(cx);
    words.readDouble(cy);
    words.readDouble(radius);
    words.readWord(colorName);
    readPropertyPairs(words);
}

void paintCircle::computeBounds()
{
    minX = cx - radius;
    maxX = cx + radius;
    minY = cy - radius;
    maxY = cy + radius;
}
