#pragma once

#include <QColor>
#include <QSize>

// What a picture of the drawing depends on besides the objects themselves: where world (0, 0)
// lies, the zoom, the device size and the marker, pen and highlight settings. A value, so that a
// picture can be painted in a view other than the one the controller shows.
struct SceneView {
    // Pixels of world (0, 0).
    double originX = 0.0;
    double originY = 0.0;
    // Pixels per world unit; positive.
    double ratio = 1.0;
    // The device painted on, pixels; the background covers it.
    QSize size;
    // Marker half-size in pixels; at least 1.
    int pointSize = 3;
    // Pen width of lines and paths in pixels; at least 1.
    int lineWidth = 1;
    QColor highlightColor{255, 128, 0};

    // Whether a picture at the other view would be the same but for where world (0, 0) lies.
    bool sameButOrigin(const SceneView& other) const
    {
        return ratio == other.ratio && size == other.size && pointSize == other.pointSize &&
               lineWidth == other.lineWidth && highlightColor == other.highlightColor;
    }
    bool operator==(const SceneView& other) const
    {
        return sameButOrigin(other) && originX == other.originX && originY == other.originY;
    }

    // Pixel to world, the inverse of the controller's pixelX() and pixelY() at this view.
    double worldX(double px) const { return (px - originX) / ratio; }
    double worldY(double py) const { return (originY - py) / ratio; }
};
