#pragma once

#include "model/objectdescription.h"
#include "render/directcanvas.h"
#include "render/sharedstyles.h"

#include <QBrush>
#include <QIcon>
#include <QMap>
#include <QPen>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

class QPainter;
class WordReader;

// Abstract base of the six drawable kinds. It holds what every object has besides its geometry
// and fixes the operations through which the canvas, the explorer, the pick commands and the
// loader use an object without knowing its kind.
class paintObject
{
public:
    using PropertyMap = QMap<QString, QString>;

    virtual ~paintObject() = default;

    // Objects live in the object arena; deleting one through a base pointer passes the size of
    // its whole class.
    static void* operator new(std::size_t bytes);
    static void operator delete(void* memory, std::size_t bytes);

    // Several lines: the kind's header line, its coordinates, then the properties and comments;
    // describe().text(), the same for every kind.
    virtual QString description() const;
    // A small pixmap of the kind's own size filled with the object's colour.
    virtual QIcon icon() const = 0;
    // One to three lines for the explorer list.
    virtual QString briefText() const = 0;
    // The world point that "move to object" brings to the fix position.
    virtual QPointF anchorPoint() const = 0;
    // Sets pen and brush; always called right before paint().
    virtual void preparePainter(QPainter* painter) const = 0;
    virtual void paint(QPainter* painter) const = 0;
    // Writes what preparePainter() and paint() would paint on the canvas's painter straight into
    // its pixels; false leaves the object to them.
    virtual bool paintDirect(DirectCanvas& canvas) const = 0;
    // Reads the geometry fields, the colour word and the property pairs of a record.
    virtual void parse(std::string_view geometryAndProperties) = 0;
    // Sets minX..maxY from the geometry.
    virtual void computeBounds() = 0;

    // Fills the object from the text after its type keyword: properties start as a copy of the
    // type's declared defaults, then the record's geometry, pairs, related searches, comments.
    void readRecord(std::string_view record, const PropertyMap& defaults);
    // Reads NAME VALUE pairs until a read fails; a name without a value is dropped. Within
    // readRecord the pairs are only noted here and read at its end.
    void readPropertyPairs(WordReader& words);
    // "name=value" lines in name order, joined with "\n".
    QString propertiesText() const;
    // The description as its parts: its first lines and its line count without building the rest,
    // and the whole text when asked for, also after the object is gone.
    ObjectDescription describe() const;

    // The colour word of the record, resolved by colorOf() whenever the object is drawn.
    std::string colorName;
    // Draws the object in the second pass, in the highlight colour. Set through
    // DrawingModel::setHighlighted(), which counts the highlighted objects.
    bool highlighted = false;
    // Hidden objects are neither drawn nor picked by the rubber band. (Next to the other flag,
    // so that the two share one word.) Kept by the drawing model as "no bit of `hiddenBy` set".
    bool visible = true;
    // Why the object is hidden (DrawingModel::HiddenBy bits: its kind's button, its colour, the
    // display filter, the changes shown) and why it is drawn dimmed (DrawingModel::DimmedBy bits),
    // with `dimmed` kept as "some bit of `dimmedBy` set"; set through the drawing model only. In
    // the padding after the two flags, so an object is no larger for them.
    std::uint8_t hiddenBy = 0;
    bool dimmed = false;
    std::uint8_t dimmedBy = 0;
    QStringList comments;
    QStringList relatedSearches;
    PropertyMap properties;
    // Bounding box in world units; inverted (empty) until computeBounds() sets it.
    double minX = std::numeric_limits<double>::max();
    double minY = std::numeric_limits<double>::max();
    double maxX = -std::numeric_limits<double>::max();
    double maxY = -std::numeric_limits<double>::max();

    // The pixel that painting it in its own colour (dimmed or not) writes, when that colour is
    // plain (DirectCanvas::plainColor).
    bool plainColor(QRgb& pixel) const;
    // How a dimmed object's colours are drawn, its fill and its outline alike: a quarter of
    // their distance from white, still told apart but behind whatever is drawn in full.
    static QColor paled(const QColor& color);

protected:
    // What describe() takes from the kind: the lead (header and coordinate lines, "%f" each) and
    // the vertices of paths and polygons.
    virtual ObjectDescription describeGeometry() const = 0;
    // A pixmap of the given size in the object's colour, for icon(); one per colour and size.
    QIcon colorIcon(int width, int height) const;
    // The colour the object is painted in: its colour word as colorOf() resolves it, paled
    // towards white while the display filter dims the object.
    QColor color() const;
    // Which rule chooses an object's pen and brush from its colour (DirectCanvas::Style::kind):
    // a stroke pen; a grey outline and a brush (rectangles, circles, polygons); a marker's outline
    // and brush; a cross marker's stroke pen.
    enum DirectStyle : std::uint8_t { StrokedStyle, FilledStyle, MarkerStyle, CrossStyle };
    // The object's style for the direct canvas; false when its colour is not plain.
    bool directStyle(DirectStyle kind, DirectCanvas::Style& style) const;
    // What the direct canvas records of an object's shape: the object painted alone, with its own
    // pen and brush.
    void paintAlone(QPainter* painter) const
    {
        preparePainter(painter);
        paint(painter);
    }
    // Writes the shape through the whole-pixel points (DirectCanvas::drawShape()) in the object's
    // style; false when its colour or the shape does not allow it.
    bool drawDirectShape(DirectCanvas& canvas, DirectStyle style, DirectCanvas::Shape shape,
                         const QPoint* points, int count) const;
    // The colour's shared styles (see SharedStyles): the same object for the same colour.
    static const QBrush& solidBrush(const QColor& color) { return SharedStyles::solidBrush(color); }
    static const QPen& cosmeticPen(const QColor& color) { return SharedStyles::cosmeticPen(color); }
    // The pen of lines, paths and crosses, lineWidth pixels wide.
    static const QPen& strokePen(const QColor& color);

private:
    // Reads NAME VALUE pairs until a read fails, into the map as it is.
    static void readPairs(WordReader& words, PropertyMap& into);
};
