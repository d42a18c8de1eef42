#include "canvas/qwgtdisplay.h"

#include "app/viewerapp.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "model/paintpath.h"
#include "model/paintpolygon.h"

#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QPolygon>
#include <QWheelEvent>

#include <algorithm>

namespace
{

// Half-diagonal of the fix marker's diamond, pixels.
constexpr int kFixMarkerSize = 5;
// The rubber band: translucent yellow with a black outline.
const QColor kRubberBandFill(255, 255, 0, 60);

// The vertices of every object of the type, whose objects are all of the kind.
template <class Kind> std::size_t verticesOf(const DrawingModel& model, const std::string& keyword)
{
    std::size_t count = 0;
    const auto listed = model.objectsByType.find(keyword);
    if (listed != model.objectsByType.end()) {
        for (const paintObject* object : listed->second)
            count += static_cast<const Kind*>(object)->vertices.size();
    }
    return count;
}

} // namespace

QwgtDisplay::QwgtDisplay(QWidget* parent)
    : QWidget(parent), viewNavigator(new ViewNavigator(this)),
      measureOverlay(new MeasureOverlay(this)), frameRenderer(new FrameRenderer(this))
{
    // A click on the canvas takes the keys back from the explorer's lists and text.
    setFocusPolicy(Qt::StrongFocus);
    // Every paint covers the whole canvas with a scene or a preview: filling it with the
    // background first would be a pass over every pixel for nothing.
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(frameRenderer, &FrameRenderer::frameReady, this, &QwgtDisplay::takeFrame);
    // The frame in progress stops reading the model before the model changes.
    DrawingModel::instance()->setBeforeSceneChange(
        [renderer = QPointer<FrameRenderer>(frameRenderer)] {
            if (renderer)
                renderer->stop();
        });
}

bool QwgtDisplay::showsExactFrame() const
{
    return panCache.holds(ViewerApp::instance()->sceneView(size()));
}

// A frame of an older view or scene is dropped; the repaint then asks for the one of now.
void QwgtDisplay::takeFrame()
{
    if (std::optional<FrameRenderer::Frame> frame = frameRenderer->takeFrame()) {
        if (frame->view == ViewerApp::instance()->sceneView(size()) &&
            frame->sceneGeneration == DrawingModel::instance()->sceneGeneration)
            frameRenderer->recycle(
                panCache.adopt(std::move(frame->image), frame->view, frame->sceneGeneration));
        update();
    }
}

// Only paths and polygons have vertices: their type lists are walked, not every object.
std::size_t QwgtDisplay::paintingWork()
{
    const DrawingModel* model = DrawingModel::instance();
    if (workCountedAt != model->sceneGeneration) {
        workCountedAt = model->sceneGeneration;
        work = model->objects.size() + verticesOf<paintPath>(*model, "path") +
               verticesOf<paintPolygon>(*model, "polygon");
    }
    return work;
}

void QwgtDisplay::addViewActions(QMenu* view) const
{
    view->addSeparator();
    viewNavigator->addActionsTo(view);
    view->addSeparator();
    measureOverlay->addActionsTo(view);
}

void QwgtDisplay::repaintShifted()
{
    shifting = true;
    repaint();
    shifting = false;
}

void QwgtDisplay::paintEvent(QPaintEvent* event)
{
    const ViewerApp* app = ViewerApp::instance();
    QPainter painter(this);
    // The scene is painted on an image that is kept: while the left button pans, the image
    // follows the drag, so that each step repaints only what came into view.
    // A large scene that the kept image does not already hold, or give by a shift, is painted
    // in the background, and the kept image moved and scaled to the view stands in for it.
    const SceneView view = app->sceneView(size());
    const bool following =
        (dragging && app->mode == 0) || shifting || zoomBox.active() || measureOverlay->dragging();
    const QImage* scene = nullptr;
    if (paintingWork() < backgroundPaintFrom)
        scene = following ? &panCache.scene(view, painter.pen())
                          : &panCache.exactScene(view, painter.pen(), event->region());
    else if (panCache.holds(view))
        scene = &panCache.exactScene(view, painter.pen(), event->region());
    else if (following)
        scene = panCache.shiftedScene(view, painter.pen());
    if (scene) {
        // A frame still painted in the background would show an older view.
        frameRenderer->stop();
        painter.drawImage(0, 0, *scene);
    } else {
        frameRenderer->request(view, painter.pen());
        panCache.paintPreview(&painter, view, painter.pen());
    }

    if (app->mode == 1) {
        const int* band = app->pickRect;
        painter.setPen(QPen(QColor(0, 0, 0)));
        painter.setBrush(QBrush(kRubberBandFill));
        // The outline runs along the band's edges, on the pixels that the pick still takes in.
        painter.drawRect(QRect(band[0], band[3], band[2] - band[0], band[1] - band[3]));
    }

    measureOverlay->paint(painter);
    zoomBox.paint(painter);

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
    if (event->button() == Qt::LeftButton && !dragging && app->mode == 0 && startGesture(event))
        return;
    if (event->button() == Qt::LeftButton) {
        if (!dragging) {
            if (app->mode == 0)
                viewNavigator->beginPan();
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

// With mouse tracking, moves without a button arrive too: they only show the position.
void QwgtDisplay::mouseMoveEvent(QMouseEvent* event)
{
    ViewerApp* app = ViewerApp::instance();
    const double x = event->position().x();
    const double y = event->position().y();
    if (zoomBox.active()) {
        zoomBox.extendTo(event->position().toPoint(), size());
        repaint();
    }
    if (measureOverlay->dragging()) {
        measureOverlay->extendTo(event->position());
        repaint();
    }
    if (!dragging) {
        app->showPointer(x, y);
        return;
    }
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
    app->showPointer(x, y);
}

void QwgtDisplay::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    ViewerApp* app = ViewerApp::instance();
    finishZoomBox();
    measureOverlay->finish();
    dragging = false;
    if (app->mode == 1) {
        const std::size_t inside = pickInRect();
        app->listedName.clear();
        app->commands.doListPicked();
        const std::size_t picked = app->pickedList.size();
        if (inside > picked) {
            app->commands.showListedCount("picked", picked, inside);
            app->showMessage(QStringLiteral("first %1 of %2 picked: a band picks at most %1")
                                 .arg(picked)
                                 .arg(inside));
        } else {
            app->showMessage(QStringLiteral("%1 picked").arg(picked));
        }
    }
    app->setMode(0);
    repaint();
}

bool QwgtDisplay::startGesture(const QMouseEvent* event)
{
    if (measureOverlay->measuring()) {
        measureOverlay->begin(event->position());
        return true;
    }
    if (event->modifiers() & Qt::ShiftModifier) {
        zoomBox.begin(event->position().toPoint());
        repaint();
        return true;
    }
    if (event->modifiers() & Qt::ControlModifier) {
        underCursor.click(event->position().toPoint());
        return true;
    }
    return false;
}

void QwgtDisplay::finishZoomBox()
{
    const std::optional<QRect> box = zoomBox.finish();
    if (!box)
        return;
    ViewerApp* app = ViewerApp::instance();
    const BoundsIndex::WorldBox world{app->worldX(box->left()), app->worldY(box->bottom()),
                                      app->worldX(box->right()), app->worldY(box->top())};
    viewNavigator->jump([app, &world, this] {
        if (app->fitBoxTo(world, size()))
            app->updateInfo();
    });
}

void QwgtDisplay::cancelGesture()
{
    if (zoomBox.active())
        zoomBox.cancel();
    else if (!measureOverlay->cancel())
        return;
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

void QwgtDisplay::leaveEvent(QEvent* event)
{
    ViewerApp::instance()->pointerLabel->clear();
    QWidget::leaveEvent(event);
}

// Only objects wholly inside the band, edges included, are picked: both corners of the box, so
// that a rectangle given larger corner first is picked as it is drawn, and not picked by a band
// inside it. An object without geometry keeps the empty box, whose corners are the largest
// doubles: no band holds them. Those beyond kMostPicked are only counted.
std::size_t QwgtDisplay::pickInRect() const
{
    ViewerApp* app = ViewerApp::instance();
    app->pickedList.clear();
    const int* band = app->pickRect;
    const double xmin = app->worldX(band[0]);
    const double xmax = app->worldX(band[2]);
    const double ymin = app->worldY(band[1]);
    const double ymax = app->worldY(band[3]);
    DrawingModel* model = DrawingModel::instance();
    const BoundsIndex& index = model->boundsIndex();
    const BoundsIndex::Cells query = index.withinQuery({xmin, ymin, xmax, ymax});
    const std::vector<BoundsIndex::Cells>& cells = index.cells();
    std::size_t inside = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (!BoundsIndex::mayLieWithin(cells[i], query))
            continue;
        paintObject* object = model->objects[i];
        if (object->visible &&
            BoundsIndex::boxLiesWithin({object->minX, object->minY, object->maxX, object->maxY},
                                       {xmin, ymin, xmax, ymax}) &&
            ++inside <= kMostPicked)
            app->pickedList.push_back(object);
    }
    return inside;
}
