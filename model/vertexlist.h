#pragma once

#include "storage/objectarena.h"

#include <QPointF>
#include <QString>

#include <string_view>
#include <vector>

class paintObject;

// The world vertices of a path or polygon, kept in the object arena next to their object.
using VertexList = std::vector<QPointF, ArenaAllocator<QPointF>>;

// What paths and polygons share: both are a counted run of world vertices followed by the colour
// word and property pairs, listed one vertex a line, bounded by their vertices and drawn through
// the same world-to-pixel mapping.

// Reads "n x1 y1 ... xn yn COLOUR NAME VALUE ..." into vertices, the object's colour word and its
// properties. A count of 0, a negative one or none gives no vertices. Only pairs read in full are
// kept: when the count promises more numbers than the record holds, the vertices read so far
// stay, and the colour and properties are lost with the failed read.
void readVertexRecord(std::string_view text, paintObject& object, VertexList& vertices);

// The bounding box of the vertices; with none the box stays inverted (empty), so that the object
// adds nothing to fit-to-view.
void setVertexBounds(paintObject& object, const VertexList& vertices);

// Appends the description line of the vertex with the given index: "[%2d] %f %f" as
// QString::asprintf writes it, without a line feed.
void appendVertexLine(QString& text, int index, const QPointF& vertex);

// First vertex, the middle line, last vertex; zeros stand in for the ends when there are none.
QString endVerticesText(const VertexList& vertices, const QString& middleLine);
