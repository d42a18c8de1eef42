#include "app/qwgtdisplay.h"

#include "app/viewerapp.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "render/shapestamps.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <QWheelEvent>

#include <algorithm>
#include <optional>

namespace
{

// Half-diagonal of the fix marker's diamond, pixels.
constexpr int kFixMarkerSize = 5;
// The rubber band: translucent yellow with a black outline.
const QColor kRubberBandFill(255, 255, 0, 60);

} // namespace

QwgtDisplay::QwgtDisplay(QWidget* parent) : QWidget(parent)
{
}

// Objects that cannot touch the painter's device (or its clip) are skipped without being
// visited. The test is made in world units against the device rectangles widened by the largest
// reach of a marker or pen beyond an object's box, and by a pixel for truncation; clamping far
// coordinates only moves them along the same side of the device, so skipped objects would have
// drawn nothing there. Boxes are taken corner-wise (a rectangle given from its larger corner is
// still drawn), and a NaN box is never skipped. The test reads the compact bounds, which may keep
// an object that cannot reach the device (it then draws nothing there) but never drops one that
// can. The visible objects that remain are collected in load order into `candidates`.
void QwgtDisplay::collectCandidates(const std::vector<DrawingModel::Bounds>& areas) const
{
    DrawingModel* model = DrawingModel::instance();
    const DrawingModel::ObjectList& objects = model->objects;
    const BoundsIndex& index = model->boundsIndex();
    const std::vector<BoundsIndex::Cells>& cells = index.cells();
    for (std::vector<const paintObject*>& layer : candidates)
        layer.clear();
    const auto take = [this](const paintObject* object) {
        if (object->visible)
            candidates[object->highlighted ? 1 : 0].push_back(object);
    };
    if (areas.empty()) {
        for (const paintObject* object : objects)
            take(object);
        return;
    }
    std::vector<BoundsIndex::Cells> queries;
    for (const DrawingModel::Bounds& area : areas)
        queries.push_back(index.meetQuery(area));
    // First the objects that may reach an area, by the compact bounds alone; then their flags,
    // with each object fetched from memory a few objects ahead of its turn.
    reaching.clear();
    if (queries.size() == 1) {
        const BoundsIndex::Cells query = queries.front();
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (BoundsIndex::mayMeet(cells[i], query))
                reaching.push_back(i);
        }
    } else {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const BoundsIndex::Cells& box = cells[i];
            if (std::any_of(queries.begin(), queries.end(),
                            [&box](const BoundsIndex::Cells& query) {
                                return BoundsIndex::mayMeet(box, query);
                            }))
                reaching.push_back(i);
        }
    }
    constexpr std::size_t kFetchAhead = 16;
    for (std::size_t k = 0; k < reaching.size(); ++k) {
        if (k + kFetchAhead < reaching.size())
            __builtin_prefetch(objects[reaching[k + kFetchAhead]]);
        take(objects[reaching[k]]);
    }
}

void QwgtDisplay::paintCandidates(QPainter* painter, int layer) const
{
    const ViewerApp::PaintColors colors;
    // Objects set only pen and brush.
    const ShapeStamps::Session stamps(*painter);
    // Each object is fetched from memory a few objects ahead of its turn: the cache lines of its
    // first 256 bytes, which hold every member of the drawable kinds.
    const std::vector<const paintObject*>& objects = candidates[layer];
    constexpr std::size_t kFetchAhead = 6;
    for (std::size_t k = 0; k < objects.size(); ++k) {
        if (k + kFetchAhead < objects.size()) {
            const char* ahead = reinterpret_cast<const char*>(objects[k + kFetchAhead]);
            for (int line = 0; line < 4; ++line)
                __builtin_prefetch(ahead + 64 * line);
        }
        const paintObject* object = objects[k];
        object->preparePainter(painter);
        object->paint(painter);
    }
}

void QwgtDisplay::paintLayer(QPainter* painter, int layer) const
{
    collectCandidates(visibleWorldAreas(painter));
    paintCandidates(painter, layer);
}

namespace
{

// How far beyond its box (and its truncated pixels) an object may draw: a marker's size or a
// pen's width, and a pixel for truncation.
double reachInPixels()
{
    const ViewerApp* app = ViewerApp::instance();
    return 2.0 + std::min(static_cast<double>(app->pointSize), ViewerApp::kPixelLimit) +
           std::min(static_cast<double>(app->lineWidth), ViewerApp::kPixelLimit);
}

// The world box of the pixel box from (left, top) to (right, bottom), edges as real numbers.
DrawingModel::Bounds worldBox(double left, double top, double right, double bottom)
{
    const ViewerApp* app = ViewerApp::instance();
    return {(left - app->originX) / app->ratio, (app->originY - bottom) / app->ratio,
            (right - app->originX) / app->ratio, (app->originY - top) / app->ratio};
}

} // namespace

DrawingModel::Bounds QwgtDisplay::worldAreaOf(const QRect& pixels)
{
    const double reach = reachInPixels();
    return worldBox(pixels.left() - reach, pixels.top() - reach, pixels.right() + 1 + reach,
                    pixels.bottom() + 1 + reach);
}

std::optional<DrawingModel::Bounds> QwgtDisplay::worldInteriorOf(const QRect& pixels)
{
    const double reach = reachInPixels();
    const double left = pixels.left() + reach, right = pixels.right() - reach;
    const double top = pixels.top() + reach, bottom = pixels.bottom() - reach;
    if (left > right || top > bottom)
        return std::nullopt;
    return worldBox(left, top, right, bottom);
}

// The world rectangles that can put pixels on the painter's device, one per rectangle of its
// clip; none when the painter is transformed (then every object is painted).
std::vector<DrawingModel::Bounds> QwgtDisplay::visibleWorldAreas(const QPainter* painter)
{
    std::vector<DrawingModel::Bounds> areas;
    if (!painter->device() || painter->transform().type() != QTransform::TxNone)
        return areas;
    const QRect device(0, 0, painter->device()->width(), painter->device()->height());
    if (!painter->hasClipping()) {
        areas.push_back(worldAreaOf(device));
        return areas;
    }
    for (const QRect& clip : painter->clipRegion()) {
        const QRect visible = clip & device;
        if (!visible.isEmpty())
            areas.push_back(worldAreaOf(visible));
    }
    // A clip that leaves nothing visible still must not turn culling off.
    if (areas.empty())
        areas.push_back({1.0, 1.0, -1.0, -1.0});
    return areas;
}

// The outline of the background is drawn with the painter's initial pen: on the canvas, the
// widget's foreground colour.
void QwgtDisplay::paintScene(QPainter* painter, const QSize& size,
                             const std::vector<QRect>& reached) const
{
    painter->setBrush(QBrush(QColor(255, 255, 255)));
    painter->drawRect(QRect(QPoint(0, 0), QPoint(size.width() - 1, size.height() - 1)));
    std::vector<DrawingModel::Bounds> areas;
    for (const QRect& rect : reached)
        areas.push_back(worldAreaOf(rect));
    collectCandidates(reached.empty() ? visibleWorldAreas(painter) : areas);
    paintCandidates(painter, 0);
    paintCandidates(painter, 1);
}

void QwgtDisplay::paintEvent(QPaintEvent* event)
{
    const ViewerApp* app = ViewerApp::instance();
    QPainter painter(this);
    // The scene is painted on an image that is kept: while the left button pans, the image
    // follows the drag, so that each step repaints only what came into view.
    if (dragging && app->mode == 0) {
        painter.drawImage(0, 0, panCache.scene(*this, size(), painter.pen()));
    } else {
        painter.drawImage(0, 0, panCache.freshScene(*this, size(), painter.pen(), event->region()));
    }

    if (app->mode == 1) {
        const int* band = app->pickRect;
        painter.setPen(QPen(QColor(0, 0, 0)));
        painter.setBrush(QBrush(kRubberBandFill));
        // The outline runs along the band's edges, on the pixels that the pick still takes in.
        painter.drawRect(QRect(band[0], band[3], band[2] - band[0], band[1] - band[3]));
    }

    const auto corner = [app](double dx, double dy) {
        return QPoint(ViewerApp::toPixel(app->fixX + dx), ViewerApp::toPixel(app->fixY + dy));
    };
    const QPoint diamond[] = {
        corner(kFixMarkerSize, 0),
        corner(0, -kFixMarkerSize),
        corner(-kFixMarkerSize, 0),
        corner(0, kFixMarkerSize),
    };
    painter.setPen(QPen(QColor(0, 0, 0)));
    painter.setBrush(QBrush(QColor(0, 0, 0)));
    painter.drawConvexPolygon(diamond, 4);
}

void QwgtDisplay::dragOrigin(double x, double y) const
{
    ViewerApp* app = ViewerApp::instance();
    app->originX = x - pressX + pressOriginX;
    app->originY = y - pressY + pressOriginY;
}

void QwgtDisplay::mousePressEvent(QMouseEvent* event)
{
    ViewerApp* app = ViewerApp::instance();
    const double x = event->position().x();
    const double y = event->position().y();
    if (event->button() == Qt::LeftButton) {
        if (!dragging) {
            dragging = true;
            pressX = x;
            pressY = y;
            pressOriginX = app->originX;
            pressOriginY = app->originY;
        }
        if (app->mode == 0)
            dragOrigin(x, y);
        else
            app->resetPick();
        app->mouseX = x;
        app->mouseY = y;
    } else if (event->button() == Qt::RightButton) {
        app->fixX = x;
        app->fixY = y;
    } else {
        return;
    }
    repaint();
    app->updateInfo();
}

void QwgtDisplay::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging)
        return;
    ViewerApp* app = ViewerApp::instance();
    const double x = event->position().x();
    const double y = event->position().y();
    if (app->mode == 0) {
        dragOrigin(x, y);
    } else {
        const int px = ViewerApp::toPixel(pressX);
        const int py = ViewerApp::toPixel(pressY);
        const int ix = ViewerApp::toPixel(x);
        const int iy = ViewerApp::toPixel(y);
        app->pickRect[0] = std::min(px, ix);
        app->pickRect[1] = std::max(py, iy);
        app->pickRect[2] = std::max(px, ix);
        app->pickRect[3] = std::min(py, iy);
    }
    app->mouseX = x;
    app->mouseY = y;
    repaint();
    app->updateInfo();
}

void QwgtDisplay::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    ViewerApp* app = ViewerApp::instance();
    dragging = false;
    if (app->mode == 1) {
        pickInRect();
        app->listedName.clear();
        app->commands.doListPicked();
    }
    app->setMode(0);
    repaint();
}

void QwgtDisplay::wheelEvent(QWheelEvent* event)
{
    const QPoint delta = event->angleDelta();
    const int steps = delta.y() != 0 ? delta.y() : delta.x();
    ViewerApp* app = ViewerApp::instance();
    if (steps >= 1)
        app->commands.doZoomin();
    else
        app->commands.doZoomout();
}

// Only objects wholly inside the band, edges included, are picked: both corners of the box, so
// that a rectangle given larger corner first is picked as it is drawn, and not picked by a band
// inside it. An object without geometry keeps the empty box, whose corners are the largest
// doubles: no band holds them.
void QwgtDisplay::pickInRect() const
{
    ViewerApp* app = ViewerApp::instance();
    app->pickedList.clear();
    const int* band = app->pickRect;
    const double xmin = (band[0] - app->originX) / app->ratio;
    const double xmax = (band[2] - app->originX) / app->ratio;
    const double ymin = (app->originY - band[1]) / app->ratio;
    const double ymax = (app->originY - band[3]) / app->ratio;
    DrawingModel* model = DrawingModel::instance();
    const BoundsIndex& index = model->boundsIndex();
    const BoundsIndex::Cells query = index.withinQuery({xmin, ymin, xmax, ymax});
    const std::vector<BoundsIndex::Cells>& cells = index.cells();
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (!BoundsIndex::mayLieWithin(cells[i], query))
            continue;
        paintObject* object = model->objects[i];
        if (object->visible &&
            boxLiesWithin({object->minX, object->minY, object->maxX, object->maxY},
                          {xmin, ymin, xmax, ymax}))
            app->pickedList.push_back(object);
    }
}
