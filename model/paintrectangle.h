#pragma once

#include "model/paintobject.h"

// An axis-aligned rectangle from its smaller corner (x1, y1) to its larger corner (x2, y2),
// taken as given; filled with its colour and outlined in grey.
class paintRectangle : public paintObject
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

    // Pen and brush of the filled kinds (rectangles, circles, polygons): a grey outline around the
    // own colour, the grey paled as the colour is when the object is dimmed; highlighted, an
    // outline in the own colour around the highlight colour.
    static void prepareFilledPainter(QPainter* painter, const QColor& color, bool highlighted,
                                     bool dimmed);
    // The colours of that pen and brush as pixels, for an object of the plain colour `own`; false
    // when the highlight colour is not plain.
    static bool filledPixels(QRgb own, bool highlighted, bool dimmed, QRgb& outline, QRgb& inside);

    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;

protected:
    ObjectDescription describeGeometry() const override;

private:
    // Screen y grows downward, so the world top edge y2 gives the upper pixel corner.
    QRect pixelRect() const;
};
