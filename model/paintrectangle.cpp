#include "model/paintrectangle.h"

#include "app/viewerapp.h"
#include "render/outlinedrect.h"
#include "script/wordreader.h"

#include <QPainter>

namespace
{

// The outline of filled objects that are not highlighted, in full and dimmed.
const QColor kOutlineGrey(100, 100, 100);
const QColor kDimmedOutlineGrey = paintObject::paled(kOutlineGrey);

} // namespace

void paintRectangle::prepareFilledPainter(QPainter* painter, const QColor& color, bool highlighted,
                                          bool dimmed)
{
    if (highlighted) {
        painter->setPen(cosmeticPen(color));
        painter->setBrush(solidBrush(ViewerApp::instance()->highlightColor));
    } else {
        static const QPen outline(kOutlineGrey, 0);
        static const QPen dimmedOutline(kDimmedOutlineGrey, 0);
        painter->setPen(dimmed ? dimmedOutline : outline);
        painter->setBrush(solidBrush(color));
    }
}

bool paintRectangle::filledPixels(QRgb own, bool highlighted, bool dimmed, QRgb& outline,
                                  QRgb& inside)
{
    if (highlighted) {
        outline = own;
        return DirectCanvas::plainColor(ViewerApp::instance()->highlightColor, inside);
    }
    outline = (dimmed ? kDimmedOutlineGrey : kOutlineGrey).rgba();
    inside = own;
    return true;
}

ObjectDescription paintRectangle::describeGeometry() const
{
    ObjectDescription parts;
    parts.lead = {QStringLiteral("Rectangle"), QString::asprintf("%f %f", x1, y1),
                  QString::asprintf("%f %f", x2, y2)};
    return parts;
}

QIcon paintRectangle::icon() const
{
    return colorIcon(4, 8);
}

QString paintRectangle::briefText() const
{
    return QString::asprintf("%f %f\n%f %f", x1, y1, x2, y2);
}

// Halved before adding so that corners near the largest doubles do not overflow.
QPointF paintRectangle::anchorPoint() const
{
    return QPointF(x1 * 0.5 + x2 * 0.5, y1 * 0.5 + y2 * 0.5);
}

void paintRectangle::preparePainter(QPainter* painter) const
{
    prepareFilledPainter(painter, color(), highlighted, dimmed);
}

QRect paintRectangle::pixelRect() const
{
    const ViewerApp* app = ViewerApp::instance();
    return QRect(QPoint(app->pixelX(x1), app->pixelY(y2)),
                 QPoint(app->pixelX(x2), app->pixelY(y1)));
}

void paintRectangle::paint(QPainter* painter) const
{
    drawOutlinedRect(painter, pixelRect());
}

bool paintRectangle::paintDirect(DirectCanvas& canvas) const
{
    QRgb own, outline, inside;
    return plainColor(own) && filledPixels(own, highlighted, dimmed, outline, inside) &&
           canvas.fillOutlinedRect(pixelRect(), outline, inside);
}

void paintRectangle::parse(std::string_view geometryAndProperties)
{
    WordReader words(geometryAndProperties);
    words.readDouble(x1);
    words.readDouble(y1);
    words.readDouble(x2);
    words.readDouble(y2);
    words.readWord(colorName);
    readPropertyPairs(words);
}

// The corners are taken as the record gives them: a record with x1 > x2 has an inverted box and
// is then never picked, as the record's author asked for.
void paintRectangle::computeBounds()
{
    minX = x1;
    minY = y1;
    maxX = x2;
    maxY = y2;
}
