#pragma once

#include "model/paintobject.h"

#include <QRect>

#include <array>

// A single world position drawn as a marker of fixed pixel size (pointSize) whatever the zoom.
class paintPoint : public paintObject
{
public:
    QIcon icon() const override;
    QString briefText() const override;
    QPointF anchorPoint() const override;
    void preparePainter(QPainter* painter) const override;
    void paint(QPainter* painter) const override;
    bool paintDirect(DirectCanvas& canvas) const override;
    void parse(std::string_view geometryAndProperties) override;
    void computeBounds() override;
    QString shapeName() const;

    // World position; y grows upward.
    double x = 0.0;
    double y = 0.0;
    // Marker code: 0 circle, 1 square, 2 cross, 3 triangle, n >= 4 a regular n-gon, negative none.
    int shape = 0;

protected:
    ObjectDescription describeGeometry() const override;

private:
    // The marker's centre and half size in pixels, and the pixels of its shapes.
    struct Marker {
        int sx;
        int sy;
        int s;
        // The rectangle of the circle's ellipse; the square; the ends of the cross's horizontal
        // and vertical strokes; the triangle's corners.
        QRect circleRect() const;
        QRect square() const;
        std::array<QPoint, 4> crossEnds() const;
        std::array<QPoint, 3> triangle() const;
    };
    Marker marker() const;
};
