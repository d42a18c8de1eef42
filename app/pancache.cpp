#include "app/pancache.h"

#include "app/qwgtdisplay.h"
#include "app/viewerapp.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"

#include <QPainter>
#include <QRegion>

#include <cmath>
#include <cstring>

bool PanCache::View::sameButOrigin(const View& other) const
{
    return ratio == other.ratio && pointSize == other.pointSize && lineWidth == other.lineWidth &&
           highlight == other.highlight && size == other.size &&
           sceneGeneration == other.sceneGeneration;
}

PanCache::View PanCache::currentView(const QSize& size)
{
    const ViewerApp* app = ViewerApp::instance();
    return {
        app->originX,   app->originY,        app->ratio, app->pointSize,
        app->lineWidth, app->highlightColor, size,       DrawingModel::instance()->sceneGeneration};
}

void PanCache::clear()
{
    image = QImage();
    painted.reset();
}

// Painting on the kept image rather than the widget also lets the painting code write the pixels
// of small shapes straight into an image it knows (see ShapeStamps).
const QImage& PanCache::freshScene(const QwgtDisplay& display, const QSize& size,
                                   const QPen& outline, const QRegion& region)
{
    const QRect all(QPoint(0, 0), size);
    if (QRegion(all).subtracted(region).isEmpty()) {
        painted = currentView(size);
        paintAnew(display, outline, size);
    } else {
        painted.reset();
        paintAnew(display, outline, size, region & all);
    }
    return image;
}

void PanCache::paintAnew(const QwgtDisplay& display, const QPen& outline, const QSize& size,
                         const std::optional<QRegion>& within)
{
    if (image.size() != size)
        image = QImage(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setPen(outline);
    if (within)
        painter.setClipRegion(*within);
    display.paintScene(&painter, size);
}

const QImage& PanCache::scene(const QwgtDisplay& display, const QSize& size, const QPen& outline)
{
    const View view = currentView(size);
    const double dx = view.originX - (painted ? painted->originX : 0.0);
    const double dy = view.originY - (painted ? painted->originY : 0.0);
    const bool shiftable = painted && view.sameButOrigin(*painted) && dx == std::trunc(dx) &&
                           dy == std::trunc(dy) && std::fabs(dx) < size.width() &&
                           std::fabs(dy) < size.height();
    if (!shiftable || !shiftIsExact(static_cast<int>(dx), static_cast<int>(dy))) {
        painted = view;
        paintAnew(display, outline, size);
        return image;
    }
    const int sx = static_cast<int>(dx), sy = static_cast<int>(dy);
    painted = view;
    if (sx == 0 && sy == 0)
        return image;
    scroll(sx, sy);

    // What came into view, and the border: both where it is drawn now and where the shift
    // carried the old one. No object reaches the border lines (every one lies inside the
    // canvas), so only objects that reach the strips are painted. The clip is never a single
    // rectangle: its bounds stay the canvas, which the rasterizer cuts shapes at.
    const int w = size.width(), h = size.height();
    const QRect canvas(0, 0, w, h);
    std::vector<QRect> strips;
    if (sx != 0)
        strips.push_back(sx > 0 ? QRect(0, 0, sx, h) : QRect(w + sx, 0, -sx, h));
    if (sy != 0)
        strips.push_back(sy > 0 ? QRect(0, 0, w, sy) : QRect(0, h + sy, w, -sy));
    QRegion fresh;
    for (const QRect& strip : strips)
        fresh += strip;
    for (const int x : {0, w - 1, sx, w - 1 + sx})
        fresh += QRect(x, 0, 1, h);
    for (const int y : {0, h - 1, sy, h - 1 + sy})
        fresh += QRect(0, y, w, 1);
    fresh &= canvas;

    QPainter painter(&image);
    painter.setClipRegion(fresh);
    painter.setPen(outline);
    display.paintScene(&painter, size, strips);
    return image;
}

void PanCache::scroll(int dx, int dy)
{
    const int w = image.width(), h = image.height();
    const int bytesPerPixel = image.depth() / 8;
    const int columns = w - std::abs(dx);
    const int fromX = dx > 0 ? 0 : -dx, toX = dx > 0 ? dx : 0;
    // Rows are copied in the order that never overwrites a row still to be read.
    for (int i = 0; i < h - std::abs(dy); ++i) {
        const int toY = dy > 0 ? h - 1 - i : i;
        const int fromY = toY - dy;
        std::memmove(image.scanLine(toY) + toX * bytesPerPixel,
                     image.constScanLine(fromY) + fromX * bytesPerPixel,
                     static_cast<std::size_t>(columns) * bytesPerPixel);
    }
}

// Qt's rasterizer places the pixels of a shape that the device edge cuts relative to that edge,
// and truncation toward zero rounds differently on either side of zero: a picture moves exactly
// only when every visible object that may be seen lies wholly inside the canvas, with the reach
// of its markers and pens, both before and after the move. Whatever is wholly outside both
// times puts no pixel on the canvas.
bool PanCache::shiftIsExact(int dx, int dy) const
{
    const QRect canvas(QPoint(0, 0), painted->size);
    const QRect before = canvas.translated(dx, dy);
    const DrawingModel::Bounds seen =
        unite(QwgtDisplay::worldAreaOf(canvas), QwgtDisplay::worldAreaOf(before));
    const std::optional<DrawingModel::Bounds> insideNow = QwgtDisplay::worldInteriorOf(canvas);
    const std::optional<DrawingModel::Bounds> insideBefore = QwgtDisplay::worldInteriorOf(before);
    DrawingModel* model = DrawingModel::instance();
    const BoundsIndex& index = model->boundsIndex();
    const BoundsIndex::Cells query = index.meetQuery(seen);
    // Cells that settle without a look at the object that it lies inside both interiors.
    const BoundsIndex::Cells surelyNow = index.insideQuery(insideNow);
    const BoundsIndex::Cells surelyBefore = index.insideQuery(insideBefore);
    const std::vector<BoundsIndex::Cells>& cells = index.cells();
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (!BoundsIndex::mayMeet(cells[i], query) ||
            (BoundsIndex::mayLieWithin(cells[i], surelyNow) &&
             BoundsIndex::mayLieWithin(cells[i], surelyBefore)))
            continue;
        const paintObject* object = model->objects[i];
        const DrawingModel::Bounds b{object->minX, object->minY, object->maxX, object->maxY};
        if (!QwgtDisplay::boxesMeet(b, seen))
            continue;
        const bool inside = insideNow && insideBefore &&
                            QwgtDisplay::boxLiesWithin(b, *insideNow) &&
                            QwgtDisplay::boxLiesWithin(b, *insideBefore);
        if (!inside && object->visible)
            return false;
    }
    return true;
}

DrawingModel::Bounds PanCache::unite(const DrawingModel::Bounds& a, const DrawingModel::Bounds& b)
{
    return {std::min(a.minX, b.minX), std::min(a.minY, b.minY), std::max(a.maxX, b.maxX),
            std::max(a.maxY, b.maxY)};
}
