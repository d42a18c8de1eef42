#pragma once

#include <QColor>
#include <QImage>
#include <QPen>
#include <QRegion>

#include "model/drawingmodel.h"

#include <optional>

class QwgtDisplay;

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
    // The scene at the controller's current view on an image of the given size; outline is the
    // pen that the canvas border is drawn with.
    const QImage& scene(const QwgtDisplay& display, const QSize& size, const QPen& outline);
    // The scene painted anew within the region (the whole scene when the region covers it),
    // kept as the picture that a pan then shifts.
    const QImage& freshScene(const QwgtDisplay& display, const QSize& size, const QPen& outline,
                             const QRegion& region);
    // Forgets the image: the next scene is painted whole.
    void clear();

private:
    // What a picture depends on besides the objects' own state and the origin.
    struct View {
        double originX, originY, ratio;
        int pointSize, lineWidth;
        QColor highlight;
        QSize size;
        unsigned long long sceneGeneration;

        bool sameButOrigin(const View& other) const;
    };

    static View currentView(const QSize& size);
    // Whether moving the origin by (dx, dy) pixels from the painted view moves every visible
    // object's pixels by exactly (dx, dy).
    bool shiftIsExact(int dx, int dy) const;
    static DrawingModel::Bounds unite(const DrawingModel::Bounds& a, const DrawingModel::Bounds& b);
    // Moves the image content by (dx, dy) pixels; what moves in from outside is left as it was.
    void scroll(int dx, int dy);
    // Paints the scene on the image of the given size, within the region if there is one.
    void paintAnew(const QwgtDisplay& display, const QPen& outline, const QSize& size,
                   const std::optional<QRegion>& within = std::nullopt);

    QImage image;
    std::optional<View> painted;
};
