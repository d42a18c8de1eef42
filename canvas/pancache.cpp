#include "canvas/pancache.h"

#include "model/drawingmodel.h"
#include "model/paintobject.h"

#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <cstring>

bool PanCache::PictureState::sameButOrigin(const PictureState& other) const
{
    return view.sameButOrigin(other.view) && sceneGeneration == other.sceneGeneration;
}

bool PanCache::PictureState::sameAs(const PictureState& other) const
{
    return view == other.view && sceneGeneration == other.sceneGeneration;
}

PanCache::PictureState PanCache::stateOf(const SceneView& view)
{
    return {view, DrawingModel::instance()->sceneGeneration};
}

// Painting on the kept image rather than the widget also lets the painting code write the pixels
// of small shapes straight into an image it knows (see ShapeStamps).
// A kept picture is whole and exact for its state (a shift is made only where it is exact), and
// every change that the picture shows changes the state.
const QImage& PanCache::exactScene(const SceneView& view, const QPen& outline,
                                   const QRegion& region)
{
    if (painted && painted->sameAs(stateOf(view)))
        return image;
    const QRect all(QPoint(0, 0), view.size);
    if (QRegion(all).subtracted(region).isEmpty()) {
        painted = stateOf(view);
        paintAnew(view, outline);
    } else {
        painted.reset();
        paintAnew(view, outline, region & all);
    }
    return image;
}

void PanCache::paintAnew(const SceneView& view, const QPen& outline,
                         const std::optional<QRegion>& within)
{
    if (image.size() != view.size)
        image = QImage(view.size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setPen(outline);
    if (within)
        painter.setClipRegion(*within);
    scenePainter.paintScene(&painter, view);
}

std::optional<QPoint> PanCache::shiftTo(const SceneView& view) const
{
    if (!painted || !stateOf(view).sameButOrigin(*painted))
        return std::nullopt;
    const double dx = view.originX - painted->view.originX;
    const double dy = view.originY - painted->view.originY;
    if (dx != std::trunc(dx) || dy != std::trunc(dy) || std::fabs(dx) >= view.size.width() ||
        std::fabs(dy) >= view.size.height())
        return std::nullopt;
    return QPoint(static_cast<int>(dx), static_cast<int>(dy));
}

bool PanCache::holds(const SceneView& view) const
{
    return painted && painted->sameAs(stateOf(view));
}

QImage PanCache::adopt(QImage picture, const SceneView& view, unsigned long long sceneGeneration)
{
    std::swap(image, picture);
    painted = PictureState{view, sceneGeneration};
    return picture;
}

// World point p lies at pixel origin + ratio * p (y mirrored) in either view, so a kept pixel q
// moves to origin + (q - keptOrigin) * ratio / keptRatio.
void PanCache::paintPreview(QPainter* painter, const SceneView& view, const QPen& outline) const
{
    const QRect canvas(QPoint(0, 0), view.size);
    // Beyond a millionfold the kept picture shows nothing useful, and the transform loses range.
    constexpr double kMaxPreviewScale = 1e6;
    const double scale = painted ? view.ratio / painted->view.ratio : 0.0;
    if (scale <= kMaxPreviewScale && scale >= 1.0 / kMaxPreviewScale) {
        const SceneView& kept = painted->view;
        const QPointF offset(view.originX - kept.originX * scale,
                             view.originY - kept.originY * scale);
        // The kept picture is opaque: only the pixels that it may not cover whole are cleared.
        const QRectF covered(offset, QSizeF(image.size()) * scale);
        // Clamped to just beyond the canvas, where the picture's edges cannot overflow an int.
        const auto pixel = [](double edge, int extent) {
            return static_cast<int>(std::clamp(edge, -1.0, extent + 1.0));
        };
        const QRect inner(QPoint(pixel(std::ceil(covered.left()), canvas.width()),
                                 pixel(std::ceil(covered.top()), canvas.height())),
                          QPoint(pixel(std::floor(covered.right()), canvas.width()) - 1,
                                 pixel(std::floor(covered.bottom()), canvas.height()) - 1));
        for (const QRect& uncovered : QRegion(canvas) - QRegion(inner & canvas))
            painter->fillRect(uncovered, Qt::white);
        painter->save();
        // Unscaled, the picture is copied rather than resampled.
        if (scale != 1.0) {
            painter->translate(offset);
            painter->scale(scale, scale);
            painter->drawImage(0, 0, image);
        } else {
            painter->drawImage(offset, image);
        }
        painter->restore();
    } else {
        painter->fillRect(canvas, Qt::white);
    }
    painter->setPen(outline);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRect(QPoint(0, 0), view.size - QSize(1, 1)));
}

const QImage& PanCache::scene(const SceneView& view, const QPen& outline)
{
    if (const QImage* shifted = shiftedScene(view, outline))
        return *shifted;
    painted = stateOf(view);
    paintAnew(view, outline);
    return image;
}

const QImage* PanCache::shiftedScene(const SceneView& view, const QPen& outline)
{
    const QSize& size = view.size;
    const std::optional<QPoint> shift = shiftTo(view);
    if (!shift || !shiftIsExact(view, shift->x(), shift->y()))
        return nullptr;
    const int sx = shift->x(), sy = shift->y();
    painted = stateOf(view);
    if (sx == 0 && sy == 0)
        return &image;
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
    scenePainter.paintScene(&painter, view, strips);
    return &image;
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
bool PanCache::shiftIsExact(const SceneView& now, int dx, int dy) const
{
    const QRect canvas(QPoint(0, 0), now.size);
    const QRect before = canvas.translated(dx, dy);
    const DrawingModel::Bounds seen =
        unite(ScenePainter::worldAreaOf(now, canvas), ScenePainter::worldAreaOf(now, before));
    const std::optional<DrawingModel::Bounds> insideNow =
        ScenePainter::worldInteriorOf(now, canvas);
    const std::optional<DrawingModel::Bounds> insideBefore =
        ScenePainter::worldInteriorOf(now, before);
    DrawingModel* model = DrawingModel::instance();
    const BoundsIndex& index = model->boundsIndex();
    // A drawing that lies wholly inside both interiors, as a drawing smaller than the canvas
    // does, settles without a look at any object.
    if (insideNow && insideBefore && BoundsIndex::boxLiesWithin(index.cornerExtent(), *insideNow) &&
        BoundsIndex::boxLiesWithin(index.cornerExtent(), *insideBefore))
        return true;
    const BoundsIndex::Cells query = index.meetQuery(seen);
    // Cells that settle without a look at the object that it lies inside both interiors.
    const BoundsIndex::Cells surelyNow = index.insideQuery(insideNow);
    const BoundsIndex::Cells surelyBefore = index.insideQuery(insideBefore);
    const std::vector<BoundsIndex::Cells>& cells = index.cells();
    // A box that meets what is seen but none of the strips of it outside both interiors lies
    // inside both: only the objects that may meet those strips are looked at.
    std::vector<BoundsIndex::Cells> strips;
    for (const DrawingModel::Bounds& strip : outsideBoth(seen, insideNow, insideBefore))
        strips.push_back(index.meetQuery(strip));
    index.collectMayMeet(strips, 0, cells.size(), nearEdges, marks);
    for (const std::size_t i : nearEdges) {
        if (!BoundsIndex::mayMeet(cells[i], query) ||
            (BoundsIndex::mayLieWithin(cells[i], surelyNow) &&
             BoundsIndex::mayLieWithin(cells[i], surelyBefore)))
            continue;
        const paintObject* object = model->objects[i];
        const DrawingModel::Bounds b{object->minX, object->minY, object->maxX, object->maxY};
        if (!BoundsIndex::boxesMeet(b, seen))
            continue;
        const bool inside = insideNow && insideBefore &&
                            BoundsIndex::boxLiesWithin(b, *insideNow) &&
                            BoundsIndex::boxLiesWithin(b, *insideBefore);
        if (!inside && object->visible)
            return false;
    }
    return true;
}

std::vector<DrawingModel::Bounds>
PanCache::outsideBoth(const DrawingModel::Bounds& seen,
                      const std::optional<DrawingModel::Bounds>& insideNow,
                      const std::optional<DrawingModel::Bounds>& insideBefore)
{
    if (!insideNow || !insideBefore)
        return {seen};
    const DrawingModel::Bounds inner{std::max({seen.minX, insideNow->minX, insideBefore->minX}),
                                     std::max({seen.minY, insideNow->minY, insideBefore->minY}),
                                     std::min({seen.maxX, insideNow->maxX, insideBefore->maxX}),
                                     std::min({seen.maxY, insideNow->maxY, insideBefore->maxY})};
    if (!(inner.minX <= inner.maxX && inner.minY <= inner.maxY))
        return {seen};
    return {{seen.minX, seen.minY, inner.minX, seen.maxY},
            {inner.maxX, seen.minY, seen.maxX, seen.maxY},
            {inner.minX, seen.minY, inner.maxX, inner.minY},
            {inner.minX, inner.maxY, inner.maxX, seen.maxY}};
}

DrawingModel::Bounds PanCache::unite(const DrawingModel::Bounds& a, const DrawingModel::Bounds& b)
{
    return {std::min(a.minX, b.minX), std::min(a.minY, b.minY), std::max(a.maxX, b.maxX),
            std::max(a.maxY, b.maxY)};
}
