#include "canvas/undercursor.h"

#include "app/viewerapp.h"
#include "canvas/scenepainter.h"
#include "canvas/viewnavigator.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"

#include <QImage>
#include <QListWidget>
#include <QPainter>

#include <algorithm>

namespace
{

// Room around the pixels looked at: Qt's stroker may leave out the corner of an outline that it
// cuts at the device's edge, so the edge is kept away from them.
constexpr int kMargin = 16;
constexpr int kCentre = UnderCursor::kReach + kMargin;

// Whether the object sets a pixel within kReach of the image's centre, painted alone with the
// painter's origin moved to the image's top-left canvas pixel.
bool paintsNear(const paintObject& object, QImage& image, const QPoint& topLeft)
{
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.translate(-topLeft);
        object.preparePainter(&painter);
        object.paint(&painter);
    }
    constexpr int reach = UnderCursor::kReach;
    for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
            if (dx * dx + dy * dy <= reach * reach &&
                qAlpha(image.pixel(kCentre + dx, kCentre + dy)))
                return true;
        }
    }
    return false;
}

} // namespace

// The compact bounds keep the painting to the objects that can reach the pixels, markers and
// pens included; painting order is load order, the highlighted objects after the others, so the
// objects are looked at from the last highlighted one down.
UnderCursor::Stack UnderCursor::objectsAt(const QPoint& pixel)
{
    const ViewerApp* app = ViewerApp::instance();
    const QRect area(pixel - QPoint(kReach, kReach), QSize(2 * kReach + 1, 2 * kReach + 1));
    const QRect painted = area.adjusted(-kMargin, -kMargin, kMargin, kMargin);
    DrawingModel* model = DrawingModel::instance();
    const BoundsIndex& index = model->boundsIndex();
    const BoundsIndex::Cells query =
        index.meetQuery(ScenePainter::worldAreaOf(app->sceneView(area.size()), area));
    const std::vector<BoundsIndex::Cells>& cells = index.cells();
    QImage image(painted.size(), QImage::Format_ARGB32_Premultiplied);
    const ViewerApp::PaintColors colors;
    Stack stack;
    std::size_t paints = 0;
    for (const bool highlighted : {true, false}) {
        for (std::size_t i = cells.size(); i-- > 0;) {
            paintObject* object = model->objects[i];
            if (object->highlighted != highlighted || !object->visible ||
                !BoundsIndex::mayMeet(cells[i], query))
                continue;
            if (paints == kMostPainted) {
                stack.moreNotShown = true;
                return stack;
            }
            ++paints;
            if (paintsNear(*object, image, painted.topLeft()))
                stack.topmostFirst.push_back(object);
        }
    }
    return stack;
}

void UnderCursor::click(const QPoint& pixel)
{
    ViewerApp* app = ViewerApp::instance();
    QListWidget* list = app->itemList;
    const ViewPlace view = ViewNavigator::currentPlace();
    if (!listed.empty() && pixel == clickedPixel && view == clickedView &&
        app->listedName == "picked" && app->pickedList == listed &&
        list->count() == static_cast<int>(listed.size())) {
        list->setCurrentRow((list->currentRow() + 1) % list->count());
        return;
    }
    const Stack stack = objectsAt(pixel);
    listed = stack.topmostFirst;
    clickedPixel = pixel;
    clickedView = view;
    app->pickedList = listed;
    app->listedName.clear();
    app->commands.doListPicked();
    if (!listed.empty())
        list->setCurrentRow(0);
    QString message = listed.size() == 1
                          ? QStringLiteral("1 object under the pointer")
                          : QStringLiteral("%1 objects under the pointer").arg(listed.size());
    if (stack.moreNotShown)
        message += QStringLiteral(", more not shown");
    app->showMessage(message);
}
