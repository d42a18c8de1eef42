#pragma once

#include "model/paintobject.h"
#include "model/vertexlist.h"

#include <QPointF>

#include <vector>

// An open polyline, stroked with the viewer-wide line width, each segment capped on its own.
class paintPath : public paintObject
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
