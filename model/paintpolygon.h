#pragma once

#include "model/paintobject.h"
#include "model/vertexlist.h"

#include <QPointF>

#include <vector>

// A closed polygon (no vertex repeated to close it), filled odd-even and outlined in grey.
class paintPolygon : public paintObject
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

    // Corners in record order, world units.
    VertexList vertices;

protected:
    ObjectDescription describeGeometry() const override;
};
