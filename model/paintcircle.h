#pragma once

#include "model/paintobject.h"

// A circle given by centre and radius in world units, filled and outlined like a rectangle.
class paintCircle : public paintObject
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

    double cx = 0.0;
    double cy = 0.0;
    double radius = 0.0;

protected:
    ObjectDescription describeGeometry() const override;

private:
    // The rectangle whose ellipse paints the circle; radius, centre and their pixels are clamped
    // so that its corners stay within an int.
    QRect pixelRect() const;
};
