#pragma once

#include "app/pancache.h"
#include "model/drawingmodel.h"

#include <QWidget>

#include <optional>
#include <vector>

class QPainter;
class paintObject;

// The canvas: paints the drawing model's objects in the controller's view and turns mouse input
// into panning, rubber-band picking, setting the fix position and zooming.
class QwgtDisplay : public QWidget
{
public:
    explicit QwgtDisplay(QWidget* parent);

    // Paints every visible object whose highlighted flag equals the layer (0 or 1), in load
    // order. The screen and the printer both paint layer 0, then layer 1.
    void paintLayer(QPainter* painter, int layer) const;
    // The drawing as the canvas shows it on a device of the given size: the white background
    // with its outline, then both layers. Used for the screen and for exported pictures. Given
    // pixel rectangles, only objects that can reach them are painted: the painter's clip must
    // then show nothing that other objects could draw.
    void paintScene(QPainter* painter, const QSize& size,
                    const std::vector<QRect>& reached = {}) const;
    // Replaces the picked list with the visible objects wholly inside the rubber band.
    void pickInRect() const;
    // Whether two boxes, taken corner-wise, overlap (edges included).
    static bool boxesMeet(const DrawingModel::Bounds& box, const DrawingModel::Bounds& area)
    {
        return !((box.maxX < area.minX && box.minX < area.minX) ||
                 (box.minX > area.maxX && box.maxX > area.maxX) ||
                 (box.maxY < area.minY && box.minY < area.minY) ||
                 (box.minY > area.maxY && box.maxY > area.maxY));
    }
    // Whether both corners of the box lie within the area (edges included), whichever way round
    // the box's corners were given. A NaN corner lies within nothing.
    static bool boxLiesWithin(const DrawingModel::Bounds& box, const DrawingModel::Bounds& area)
    {
        const auto between = [](double value, double low, double high) {
            return value >= low && value <= high;
        };
        return between(box.minX, area.minX, area.maxX) && between(box.maxX, area.minX, area.maxX) &&
               between(box.minY, area.minY, area.maxY) && between(box.maxY, area.minY, area.maxY);
    }
    // The world box that can put pixels into the pixel rectangle at the current view.
    static DrawingModel::Bounds worldAreaOf(const QRect& pixels);
    // The world box in which an object's box keeps everything it draws, markers and pens
    // included, inside the pixel rectangle; none when the reach leaves no room.
    static std::optional<DrawingModel::Bounds> worldInteriorOf(const QRect& pixels);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    static std::vector<DrawingModel::Bounds> visibleWorldAreas(const QPainter* painter);
    // Sorts the visible objects that meet one of the world areas (all of them when there are no
    // areas) into `candidates` by layer, in load order.
    void collectCandidates(const std::vector<DrawingModel::Bounds>& areas) const;
    void paintCandidates(QPainter* painter, int layer) const;
    // Moves the origin so that the picture follows the mouse since the left press.
    void dragOrigin(double x, double y) const;

    // The left button went down on the canvas and has not been released yet.
    bool dragging = false;
    // The controller's origin at the left press, screen pixels.
    double pressOriginX = 0.0;
    double pressOriginY = 0.0;
    // Where the left button went down, screen pixels.
    double pressX = 0.0;
    double pressY = 0.0;
    // The visible objects of the last scan that may reach the device, per layer in load order;
    // kept to reuse their memory from one paint to the next.
    mutable std::vector<const paintObject*> candidates[2];
    // The indices of the objects whose compact bounds may reach the painted area, kept likewise.
    mutable std::vector<std::size_t> reaching;
    PanCache panCache;
};
