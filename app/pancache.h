#pragma once

#include "app/scenepainter.h"
#include "app/sceneview.h"
#include "model/drawingmodel.h"

#include <QImage>
#include <QPen>
#include <QRegion>

#include <optional>

// The scene of a pan in progress. A pan moves the origin by whole pixels; the picture then only
// moves, so the last image is shifted and only what came into view (and the canvas border) is
// painted anew, with the very painting code of a full repaint clipped to those pixels.
//
// Shifting is exact for objects that lie wholly inside the canvas before and after the move:
// the world-to-pixel mapping commutes with a whole-pixel move of the origin there, and so does
// Qt's rasterizer. Before shifting, the objects that may be seen are checked; if one crosses the
// canvas edge, the whole scene is painted instead.
class PanCache
{
public:
    // The scene at the view on an image of the view's size; outline is the pen that the canvas
    // border is drawn with.
    const QImage& scene(const SceneView& view, const QPen& outline);
    // The scene painted anew within the region (the whole scene when the region covers it),
    // kept as the picture that a pan then shifts.
    const QImage& freshScene(const SceneView& view, const QPen& outline, const QRegion& region);
    // Forgets the image: the next scene is painted whole.
    void clear();

private:
    // What a picture depends on: the view, and the objects' state as of the model's scene
    // generation.
    struct PictureState {
        SceneView view;
        unsigned long long sceneGeneration;

        bool sameButOrigin(const PictureState& other) const;
    };

    static PictureState stateOf(const SceneView& view);
    // Whether moving the origin by (dx, dy) pixels from the painted view to the view now moves
    // every visible object's pixels by exactly (dx, dy).
    bool shiftIsExact(const SceneView& now, int dx, int dy) const;
    static DrawingModel::Bounds unite(const DrawingModel::Bounds& a, const DrawingModel::Bounds& b);
    // Moves the image content by (dx, dy) pixels; what moves in from outside is left as it was.
    void scroll(int dx, int dy);
    // Paints the scene on the image of the view's size, within the region if there is one.
    void paintAnew(const SceneView& view, const QPen& outline,
                   const std::optional<QRegion>& within = std::nullopt);

    QImage image;
    std::optional<PictureState> painted;
    ScenePainter scenePainter;
};
