#include "app/qwgtdisplay.h"

#include "app/viewerapp.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"

#include <QMouseEvent>
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
// visited. The test is made in world units against the device rectangle widened by the largest
// reach of a marker or pen beyond an object's box, and by a pixel for truncation; clamping far
// coordinates only moves them along the same side of the device, so skipped objects would have
// drawn nothing there. Boxes are taken corner-wise (a rectangle given from its larger corner is
// still drawn), and a NaN box is never skipped.
void QwgtDisplay::paintLayer(QPainter* painter, int layer) const
{
    DrawingModel* model = DrawingModel::instance();
    const DrawingModel::ObjectList& objects = model->objects;
    const std::vector<DrawingModel::Bounds>& bounds = model->boundsOfObjects();
    const std::optional<DrawingModel::Bounds> area = visibleWorldArea(painter);
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (area) {
            const DrawingModel::Bounds& b = bounds[i];
            const bool outside = (b.maxX < area->minX && b.minX < area->minX) ||
                                 (b.minX > area->maxX && b.maxX > area->maxX) ||
                                 (b.maxY < area->minY && b.minY < area->minY) ||
                                 (b.minY > area->maxY && b.maxY > area->maxY);
            if (outside)
                continue;
        }
        const paintObject* object = objects[i];
        if (object->visible && static_cast<int>(object->highlighted) == layer) {
            object->preparePainter(painter);
            object->paint(painter);
        }
    }
}

// The world rectangle that can put pixels on the painter's device; none when the painter is
// transformed (then every object is painted).
std::optional<DrawingModel::Bounds> QwgtDisplay::visibleWorldArea(const QPainter* painter)
{
    if (!painter->device() || painter->transform().type() != QTransform::TxNone)
        return std::nullopt;
    QRect device(0, 0, painter->device()->width(), painter->device()->height());
    if (painter->hasClipping())
        device &= painter->clipBoundingRect().toAlignedRect();
    const ViewerApp* app = ViewerApp::instance();
    const double reach = 2.0 + std::min(static_cast<double>(app->pointSize), ViewerApp::kPixelLimit) +
                         std::min(static_cast<double>(app->lineWidth), ViewerApp::kPixelLimit);
    const double left = device.left() - reach, right = device.right() + 1 + reach;
    const double top = device.top() - reach, bottom = device.bottom() + 1 + reach;
    return DrawingModel::Bounds{(left - app->originX) / app->ratio,
                                (app->originY - bottom) / app->ratio,
                                (right - app->originX) / app->ratio,
                                (app->originY - top) / app->ratio};
}

// The outline of the background is drawn with the painter's initial pen: on the canvas, the
// widget's foreground colour.
void QwgtDisplay::paintScene(QPainter* painter, const QSize& size) const
{
    painter->setBrush(QBrush(QColor(255, 255, 255)));
    painter->drawRect(QRect(QPoint(0, 0), QPoint(size.width() - 1, size.height() - 1)));
    paintLayer(painter, 0);
    paintLayer(painter, 1);
}

void QwgtDisplay::paintEvent(QPaintEvent*)
{
    const ViewerApp* app = ViewerApp::instance();
    QPainter painter(this);
    paintScene(&painter, size());

    if (app->mode == 1) {
        const int* band = app->pickRect;
        painter.setPen(QPen(QColor(0, 0, 0)));
        painter.setBrush(QBrush(kRubberBandFill));
        painter.drawRect(QRect(QPoint(band[0], band[1]), QPoint(band[2], band[3])));
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

// Only objects wholly inside the band, edges included, are picked. An object whose box is
// inverted (no geometry, or corners given the wrong way round) is never wholly inside anything.
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
    const std::vector<DrawingModel::Bounds>& bounds = model->boundsOfObjects();
    for (std::size_t i = 0; i < bounds.size(); ++i) {
        const DrawingModel::Bounds& b = bounds[i];
        if (b.minX <= b.maxX && b.minY <= b.maxY && b.minX >= xmin && b.minY >= ymin &&
            b.maxX <= xmax && b.maxY <= ymax && model->objects[i]->visible)
            app->pickedList.push_back(model->objects[i]);
    }
}
