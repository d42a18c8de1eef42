#include "canvas/scenepainter.h"

#include "app/viewerapp.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "render/directcanvas.h"
#include "render/paintstop.h"
#include "render/shapestamps.h"
#include "render/sharedstyles.h"

#include <QPainter>

#include <algorithm>
#include <numeric>

namespace
{

// Makes the controller show the view for as long as it lives, for the drawable kinds that read
// the view from there, and then puts back the view it showed before.
class ControllerViewFrame
{
public:
    explicit ControllerViewFrame(const SceneView& view)
        : app(*ViewerApp::instance()), saved(app.sceneView(view.size))
    {
        show(view);
    }
    ~ControllerViewFrame() { show(saved); }
    ControllerViewFrame(const ControllerViewFrame&) = delete;
    ControllerViewFrame& operator=(const ControllerViewFrame&) = delete;

private:
    void show(const SceneView& view)
    {
        app.originX = view.originX;
        app.originY = view.originY;
        app.ratio = view.ratio;
        app.pointSize = view.pointSize;
        app.lineWidth = view.lineWidth;
        app.highlightColor = view.highlightColor;
    }

    ViewerApp& app;
    const SceneView saved;
};

// How far beyond its box (and its truncated pixels) an object may draw: a marker's size or a
// pen's width, and a pixel for truncation.
double reachInPixels(const SceneView& view)
{
    return 2.0 + std::min(static_cast<double>(view.pointSize), ViewerApp::kPixelLimit) +
           std::min(static_cast<double>(view.lineWidth), ViewerApp::kPixelLimit);
}

// The world box of the pixel box from (left, top) to (right, bottom), edges as real numbers.
DrawingModel::Bounds worldBox(const SceneView& view, double left, double top, double right,
                              double bottom)
{
    return {view.worldX(left), view.worldY(bottom), view.worldX(right), view.worldY(top)};
}

// Writes objects straight into the painter's image where it can: while the highlight colour paints
// as its 8-bit value and the line width is one that shapes are stamped at. The shapes it
// remembers stand for the pixels under this line width and highlight colour.
DirectCanvas directCanvasOn(QPainter& painter)
{
    const ViewerApp* app = ViewerApp::instance();
    QRgb highlight;
    const bool enabled = app->lineWidth <= DirectCanvas::kWidestPen &&
                         DirectCanvas::plainColor(app->highlightColor, highlight);
    return DirectCanvas(painter, enabled,
                        enabled ? std::uint64_t(highlight) | std::uint64_t(app->lineWidth) << 32
                                : 0);
}

// Paints the object on the painter, directly into its pixels where the canvas can.
void paintObjectOn(QPainter* painter, DirectCanvas& direct, const paintObject& object)
{
    if (object.paintDirect(direct))
        return;
    object.preparePainter(painter);
    object.paint(painter);
}

// Frames whose fixed part would cover more than this share of the drawing's area at the view are
// no longer read as marks: they merge into one green field.
constexpr double kMostFramedShare = 0.5;
// The veil over the drawing when the changes are drawn instead of framed: the unchanged colours
// show a quarter of their own, as Dim Unchanged pales them.
const QColor kChangeVeil(255, 255, 255, 191);

// Whether frames around the visible added objects would bury the drawing at the view's ratio:
// the squares of 2 * margin + 4 pixels that each frame adds around its object (the pen included),
// laid side by side, cover more than kMostFramedShare of the drawing's extent. The choice reads
// neither the origin nor the clip, so that every strip of a pan and the picture it shifts agree.
bool framesCrowd(const ChangeSet& changes, int margin)
{
    const double ratio = ViewerApp::instance()->ratio;
    const BoundsIndex::WorldBox& extent = DrawingModel::instance()->boundsIndex().extent();
    const double width = (extent.maxX - extent.minX) * ratio + 2.0 * margin;
    const double height = (extent.maxY - extent.minY) * ratio + 2.0 * margin;
    if (!(width > 0.0 && height > 0.0))
        return false;
    const auto framed = std::count_if(changes.added.begin(), changes.added.end(),
                                      [](const paintObject* object) { return object->visible; });
    const double mark = 2.0 * margin + 4.0;
    return double(framed) * mark * mark > kMostFramedShare * width * height;
}

} // namespace

// Objects that cannot touch the painter's device (or its clip) are skipped without being
// visited. The test is made in world units against the device rectangles widened by the largest
// reach of a marker or pen beyond an object's box, and by a pixel for truncation; clamping far
// coordinates only moves them along the same side of the device, so skipped objects would have
// drawn nothing there. Boxes are taken corner-wise (a rectangle given from its larger corner is
// still drawn), and a NaN box is never skipped. The test reads the compact bounds, which may keep
// an object that cannot reach the device (it then draws nothing there) but never drops one that
// can. The objects that remain are noted in load order; their flags are read as they are painted.
void ScenePainter::collectReaching(const std::vector<DrawingModel::Bounds>& areas, std::size_t from,
                                   std::size_t to)
{
    reaching.clear();
    if (areas.empty()) {
        reaching.resize(to - from);
        std::iota(reaching.begin(), reaching.end(), from);
        return;
    }
    const BoundsIndex& index = DrawingModel::instance()->boundsIndex();
    std::vector<BoundsIndex::Cells> queries;
    for (const DrawingModel::Bounds& area : areas)
        queries.push_back(index.meetQuery(area));
    index.collectMayMeet(queries, from, to, reaching, marks, stopFlag);
}

// Fetching an object from memory costs more than painting most of them, so each is read once,
// a few objects ahead of its turn: the cache lines of its first 256 bytes, which hold every
// member of the drawable kinds.
void ScenePainter::paintPlainLayer(QPainter* painter, bool paintPlain)
{
    const DrawingModel::ObjectList& objects = DrawingModel::instance()->objects;
    const ViewerApp::PaintColors colors;
    const PaintStop::Scope stopScope(stopFlag);
    // Objects set only pen and brush.
    const ShapeStamps::Session stamps(*painter);
    DirectCanvas direct = directCanvasOn(*painter);
    highlighted.clear();
    constexpr std::size_t kFetchAhead = 6;
    for (std::size_t k = 0; k < reaching.size(); ++k) {
        // Looked at before every object: one of them may be a long path.
        if (stopFlag && stopFlag->load(std::memory_order_relaxed))
            return;
        // Where few objects reach the device, their pointers lie apart too: each is asked for
        // twice as far ahead, so that it is there when its object is asked for.
        if (k + 2 * kFetchAhead < reaching.size())
            __builtin_prefetch(&objects[reaching[k + 2 * kFetchAhead]]);
        if (k + kFetchAhead < reaching.size()) {
            const char* ahead = reinterpret_cast<const char*>(objects[reaching[k + kFetchAhead]]);
            for (int line = 0; line < 4; ++line)
                __builtin_prefetch(ahead + 64 * line);
        }
        const paintObject* object = objects[reaching[k]];
        if (!object->visible)
            continue;
        if (object->highlighted) {
            highlighted.push_back(object);
        } else if (paintPlain) {
            paintObjectOn(painter, direct, *object);
        }
    }
}

void ScenePainter::paintHighlighted(QPainter* painter) const
{
    const ViewerApp::PaintColors colors;
    const PaintStop::Scope stopScope(stopFlag);
    const ShapeStamps::Session stamps(*painter);
    DirectCanvas direct = directCanvasOn(*painter);
    for (const paintObject* object : highlighted) {
        if (stopFlag && stopFlag->load(std::memory_order_relaxed))
            return;
        paintObjectOn(painter, direct, *object);
    }
}

void ScenePainter::paintLayer(QPainter* painter, const SceneView& view, int layer)
{
    const ControllerViewFrame frame(view);
    collectReaching(visibleWorldAreas(painter, view), 0, DrawingModel::instance()->objects.size());
    paintPlainLayer(painter, layer == 0);
    if (layer != 0)
        paintHighlighted(painter);
}

DrawingModel::Bounds ScenePainter::worldAreaOf(const SceneView& view, const QRect& pixels)
{
    const double reach = reachInPixels(view);
    return worldBox(view, pixels.left() - reach, pixels.top() - reach, pixels.right() + 1 + reach,
                    pixels.bottom() + 1 + reach);
}

std::optional<DrawingModel::Bounds> ScenePainter::worldInteriorOf(const SceneView& view,
                                                                  const QRect& pixels)
{
    const double reach = reachInPixels(view);
    const double left = pixels.left() + reach, right = pixels.right() - reach;
    const double top = pixels.top() + reach, bottom = pixels.bottom() - reach;
    if (left > right || top > bottom)
        return std::nullopt;
    return worldBox(view, left, top, right, bottom);
}

std::vector<DrawingModel::Bounds> ScenePainter::visibleWorldAreas(const QPainter* painter,
                                                                  const SceneView& view)
{
    std::vector<DrawingModel::Bounds> areas;
    if (!painter->device() || painter->transform().type() != QTransform::TxNone)
        return areas;
    const QRect device(0, 0, painter->device()->width(), painter->device()->height());
    if (!painter->hasClipping()) {
        areas.push_back(worldAreaOf(view, device));
        return areas;
    }
    for (const QRect& clip : painter->clipRegion()) {
        const QRect visible = clip & device;
        if (!visible.isEmpty())
            areas.push_back(worldAreaOf(view, visible));
    }
    // A clip that leaves nothing visible still must not turn culling off.
    if (areas.empty())
        areas.push_back({1.0, 1.0, -1.0, -1.0});
    return areas;
}

const ChangeSet* ScenePainter::shownChanges()
{
    const DrawingModel* model = DrawingModel::instance();
    return model->changesShown() ? model->changes() : nullptr;
}

// The outline of the background is drawn with the painter's initial pen: on the canvas, the
// widget's foreground colour.
void ScenePainter::paintBackground(QPainter* painter, const QSize& size)
{
    painter->setBrush(QBrush(QColor(255, 255, 255)));
    painter->drawRect(QRect(QPoint(0, 0), QPoint(size.width() - 1, size.height() - 1)));
    if (const ChangeSet* changes = shownChanges())
        paintRemovedGhosts(painter, *changes);
}

void ScenePainter::paintScene(QPainter* painter, const SceneView& view,
                              const std::vector<QRect>& reached)
{
    const ControllerViewFrame frame(view);
    paintBackground(painter, view.size);
    std::vector<DrawingModel::Bounds> areas;
    for (const QRect& rect : reached)
        areas.push_back(worldAreaOf(view, rect));
    collectReaching(reached.empty() ? visibleWorldAreas(painter, view) : areas, 0,
                    DrawingModel::instance()->objects.size());
    paintPlainLayer(painter, true);
    paintHighlighted(painter);
    if (const ChangeSet* changes = shownChanges())
        paintAddedMarks(painter, *changes);
}

bool ScenePainter::paintPartBelow(QPainter* painter, const SceneView& view, const Part& part)
{
    const ControllerViewFrame frame(view);
    if (part.index == 0)
        paintBackground(painter, view.size);
    const std::size_t total = DrawingModel::instance()->objects.size();
    collectReaching(visibleWorldAreas(painter, view), total * part.index / part.count,
                    total * (part.index + 1) / part.count);
    paintPlainLayer(painter, true);
    return !highlighted.empty();
}

void ScenePainter::paintPartAbove(QPainter* painter, const SceneView& view)
{
    const ControllerViewFrame frame(view);
    paintHighlighted(painter);
}

void ScenePainter::paintAddedMarks(QPainter* painter, const SceneView& view)
{
    const ControllerViewFrame frame(view);
    if (const ChangeSet* changes = shownChanges())
        paintAddedMarks(painter, *changes);
}

// Each kind paints with the painter's pen and brush, which preparePainter() would set to the
// object's own; left at the ghost pen and no brush, the kinds draw their outlines in it (a cross
// marker keeps its own colour). The removed objects are not in the bounds index; the painter's
// clip bounds what they put on the device.
void ScenePainter::paintRemovedGhosts(QPainter* painter, const ChangeSet& changes)
{
    const ViewerApp::PaintColors colors;
    const ShapeStamps::Session stamps(*painter);
    const QColor ghost = DrawingModel::instance()->changeColors().removed;
    for (const std::unique_ptr<paintObject>& object : changes.removed) {
        painter->setPen(SharedStyles::cosmeticPen(ghost));
        painter->setBrush(Qt::NoBrush);
        object->paint(painter);
    }
}

// Dimmed or hidden, the unchanged objects already set the added ones apart, and at a fitted view
// of many changes the frames would cover the canvas: only Marks Only draws them. Where even its
// frames would crowd the view (framesCrowd), a veil pales everything drawn, and the removed
// outlines and the added objects (in the mark colour, widened to two pixels) are drawn over it.
void ScenePainter::paintAddedMarks(QPainter* painter, const ChangeSet& changes)
{
    if (DrawingModel::instance()->unchangedLook() != DrawingModel::UnchangedLook::Plain)
        return;
    const ViewerApp* app = ViewerApp::instance();
    // Inside the reach of an object (2 + pointSize + lineWidth pixels beyond its box): the frame
    // lies pointSize + 1 beyond it, and its pen of two pixels adds one.
    const int margin = app->pointSize + 1;
    const QColor added = DrawingModel::instance()->changeColors().added;
    if (framesCrowd(changes, margin)) {
        if (const QPaintDevice* device = painter->device())
            painter->fillRect(QRect(0, 0, device->width(), device->height()), kChangeVeil);
        paintRemovedGhosts(painter, changes);
        const ViewerApp::PaintColors colors;
        const ShapeStamps::Session stamps(*painter);
        for (const paintObject* object : changes.added) {
            if (!object->visible)
                continue;
            painter->setPen(QPen(added, 2));
            painter->setBrush(added);
            object->paint(painter);
        }
        return;
    }
    painter->setPen(QPen(added, 2));
    painter->setBrush(Qt::NoBrush);
    for (const paintObject* object : changes.added) {
        if (!object->visible)
            continue;
        const QRect box(QPoint(app->pixelX(object->minX), app->pixelY(object->maxY)),
                        QPoint(app->pixelX(object->maxX), app->pixelY(object->minY)));
        painter->drawRect(box.normalized().adjusted(-margin, -margin, margin, margin));
    }
}
