#pragma once

#include "model/paintobject.h"

// A segment between two world points, stroked with the viewer-wide line width.
class paintLine : public paintObject
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

    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;

protected:
    ObjectDescription describeGeometry() const override;
};

// The pixel that the object's stroke pen (a line's, a path's) writes when it is one pixel wide
// and of a plain colour, its own (paled when it is dimmed) or the highlight colour; false
// otherwise. Such strokes are drawn
// by the direct canvas's line rasterizer (DirectCanvas::drawThinLines()).
bool thinStrokePixel(const paintObject& object, QRgb& pixel);
