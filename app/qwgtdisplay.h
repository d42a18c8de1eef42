#pragma once

#include "model/drawingmodel.h"

#include <QWidget>

#include <optional>

class QPainter;

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
    // with its outline, then both layers. Used for the screen and for exported pictures.
    void paintScene(QPainter* painter, const QSize& size) const;
    // Replaces the picked list with the visible objects wholly inside the rubber band.
    void pickInRect() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    static std::optional<DrawingModel::Bounds> visibleWorldArea(const QPainter* painter);
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
};
