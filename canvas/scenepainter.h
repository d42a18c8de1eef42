#pragma once

#include "canvas/sceneview.h"
#include "model/drawingmodel.h"

#include <QRect>

#include <atomic>
#include <cstddef>
#include <optional>
#include <vector>

class QPainter;
class paintObject;

// Paints the drawing model's objects in a given view onto any painter: the canvas's picture, a
// printer's page, an exported file. The drawable kinds read the view from the controller, so for
// the length of each paint the controller shows the given view, and afterwards again the one it
// showed before. Objects that cannot reach the painter's device (or its clip) are skipped
// without being visited.
class ScenePainter
{
public:
    // The drawing as the canvas shows it on a device of the view's size: the white background
    // outlined with the painter's pen, then both layers. Given pixel rectangles, only objects that
    // can reach them are painted: the painter's clip must then show nothing that other objects
    // could draw.
    void paintScene(QPainter* painter, const SceneView& view,
                    const std::vector<QRect>& reached = {});
    // Paints every visible object whose highlighted flag equals the layer (0 or 1), in load
    // order, on no background; the printer paints layer 0, then layer 1. The painter's device
    // bounds what is painted; the view's size is not used.
    void paintLayer(QPainter* painter, const SceneView& view, int layer);

    // Painting the scene in parts, each on a thread and an image of its own: part `index` of
    // `count` takes an equal share of the objects in load order. The lower layer of a part holds
    // the visible objects of its share that are not highlighted (part 0 also the background and,
    // under its objects, the removed ghosts), the upper layer its highlighted ones. The lower
    // layers laid over each other in part order, then the upper ones, then the added marks, give
    // what paintScene() paints, where every pixel that a part lays over the others is one it
    // painted opaque on a transparent image (FrameRenderer checks that).
    struct Part {
        std::size_t index;
        std::size_t count;
    };
    // The part's lower layer; true when the part has highlighted objects for its upper layer.
    bool paintPartBelow(QPainter* painter, const SceneView& view, const Part& part);
    // The part's upper layer: the highlighted objects that its lower layer set aside.
    void paintPartAbove(QPainter* painter, const SceneView& view);
    // The frames around the added objects, when changes are shown.
    static void paintAddedMarks(QPainter* painter, const SceneView& view);

    // A flag that, once set (from any thread), makes the paint in progress stop within some
    // thousand objects, leaving the picture unfinished; none: every paint runs to its end.
    void setStopFlag(const std::atomic<bool>* flag) { stopFlag = flag; }

    // The world box that can put pixels into the pixel rectangle at the view.
    static DrawingModel::Bounds worldAreaOf(const SceneView& view, const QRect& pixels);
    // The world box in which an object's box keeps everything it draws, markers and pens
    // included, inside the pixel rectangle at the view; none when the reach leaves no room.
    static std::optional<DrawingModel::Bounds> worldInteriorOf(const SceneView& view,
                                                               const QRect& pixels);

private:
    // The world rectangles that can put pixels on the painter's device, one per rectangle of its
    // clip; none when the painter is transformed (then every object is painted).
    static std::vector<DrawingModel::Bounds> visibleWorldAreas(const QPainter* painter,
                                                               const SceneView& view);
    // Notes in `reaching` the objects among [from, to) whose compact bounds may meet one of the
    // world areas (all of them when there are no areas), in load order, without reading the
    // objects themselves.
    void collectReaching(const std::vector<DrawingModel::Bounds>& areas, std::size_t from,
                         std::size_t to);
    // The white background of a device of the size, outlined with the painter's pen, and the
    // removed ghosts over it when changes are shown.
    static void paintBackground(QPainter* painter, const QSize& size);
    // Goes through the reaching objects in load order, reading each once: paints the visible ones
    // that are not highlighted when `paintPlain` is set, and sets the visible highlighted ones
    // aside in `highlighted`, for paintHighlighted().
    void paintPlainLayer(QPainter* painter, bool paintPlain);
    void paintHighlighted(QPainter* painter) const;
    // The model's changes, when shown: thin outlines of the removed objects (under the drawing),
    // and, while the unchanged objects are drawn plainly, a frame around each visible added
    // object (over it), kept within the reach of a marker and a pen beyond the object's box, as
    // every painted pixel is.
    static void paintRemovedGhosts(QPainter* painter, const ChangeSet& changes);
    static void paintAddedMarks(QPainter* painter, const ChangeSet& changes);
    // The model's changes when they are shown, or null.
    static const ChangeSet* shownChanges();

    // The indices of the objects whose compact bounds may reach the painted area, and the
    // visible highlighted ones among them, in load order; kept to reuse their memory from one
    // paint to the next.
    std::vector<std::size_t> reaching;
    std::vector<const paintObject*> highlighted;
    // Scratch memory of the bounds index's collectMayMeet().
    std::vector<std::uint64_t> marks;
    const std::atomic<bool>* stopFlag = nullptr;
};
