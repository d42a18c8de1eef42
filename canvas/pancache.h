#pragma once

#include "canvas/scenepainter.h"
#include "canvas/sceneview.h"
#include "model/drawingmodel.h"

#include <QImage>
#include <QPen>
#include <QPoint>
#include <QRegion>

#include <cstdint>
#include <optional>
#include <vector>

// The scene of a pan in progress: the last picture shifted by the whole pixels the origin moved,
// with only what came into view painted anew; the whole scene when a shift would not be exact
// (docs/DESIGN.md, "Caches").
class QPainter;

class PanCache
{
public:
    // The scene at the view on an image of the view's size; outline is the pen that the canvas
    // border is drawn with.
    const QImage& scene(const SceneView& view, const QPen& outline);
    // The scene at the view, exact: the kept picture when it shows this very view of the scene
    // (after a pan has come to rest, say), otherwise painted anew within the region (the whole
    // scene when the region covers it) and kept as the picture that a pan then shifts.
    const QImage& exactScene(const SceneView& view, const QPen& outline, const QRegion& region);
    // Whether the kept picture is the exact scene at the view.
    bool holds(const SceneView& view) const;
    // Keeps a picture painted elsewhere as the exact scene at the view, as of the scene
    // generation given; returns the picture kept before.
    QImage adopt(QImage picture, const SceneView& view, unsigned long long sceneGeneration);
    // The scene at the view made by shifting the kept picture, when that is exact (see scene());
    // null otherwise, with nothing changed.
    const QImage* shiftedScene(const SceneView& view, const QPen& outline);
    // What to show while the exact picture of the view is being painted: the kept picture moved
    // and scaled to the view, on white with the border in the outline pen.
    void paintPreview(QPainter* painter, const SceneView& view, const QPen& outline) const;

private:
    // What a picture depends on: the view, and the objects' state as of the model's scene
    // generation.
    struct PictureState {
        SceneView view;
        unsigned long long sceneGeneration;

        bool sameButOrigin(const PictureState& other) const;
        bool sameAs(const PictureState& other) const;
    };

    static PictureState stateOf(const SceneView& view);
    // Whether moving the origin by (dx, dy) pixels from the painted view to the view now moves
    // every visible object's pixels by exactly (dx, dy).
    bool shiftIsExact(const SceneView& now, int dx, int dy) const;
    // The whole-pixel move from the kept picture to the view, when the rest of the view is the
    // same and the move is less than the picture's size.
    std::optional<QPoint> shiftTo(const SceneView& view) const;
    static DrawingModel::Bounds unite(const DrawingModel::Bounds& a, const DrawingModel::Bounds& b);
    // The seen box less the box inside both interiors, as four strips that include the inner
    // box's edges; the seen box whole when there is no inner box.
    static std::vector<DrawingModel::Bounds>
    outsideBoth(const DrawingModel::Bounds& seen,
                const std::optional<DrawingModel::Bounds>& insideNow,
                const std::optional<DrawingModel::Bounds>& insideBefore);
    // Moves the image content by (dx, dy) pixels; what moves in from outside is left as it was.
    void scroll(int dx, int dy);
    // Paints the scene on the image of the view's size, within the region if there is one.
    void paintAnew(const SceneView& view, const QPen& outline,
                   const std::optional<QRegion>& within = std::nullopt);

    QImage image;
    std::optional<PictureState> painted;
    ScenePainter scenePainter;
    // Scratch memory of shiftIsExact(): the objects near the canvas edges, and the bounds
    // index's marks.
    mutable std::vector<std::size_t> nearEdges;
    mutable std::vector<std::uint64_t> marks;
};
