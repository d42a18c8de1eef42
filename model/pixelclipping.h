#pragma once

#include "model/vertexlist.h"

#include <QLine>
#include <QPoint>

#include <vector>

// Whole-pixel geometry for shapes that may reach far beyond the screen. A pixel position beyond
// ViewerApp::kPixelLimit cannot be truncated to an int as it is; moving each such coordinate to
// the limit on its own would turn a far-reaching line, and so the part of it on screen. Here a
// shape that reaches beyond the limit is cut to the limit's square first, in double precision:
// what lies within the square, and so everything on any screen, keeps its place. Shapes within
// the square map exactly as ViewerApp::pixelX() and pixelY() map their points.

// The segment between two world points, in whole pixels; false when no part of it lies within
// the limit's square.
bool pixelSegment(QPointF from, QPointF to, QLine& segment);

// The segments between consecutive vertices, in whole pixels, leaving out those wholly beyond the
// limit's square. One buffer serves every call: painting is single-threaded, and a shape is
// drawn before the next one is mapped.
const std::vector<QLine>& pixelSegments(const VertexList& vertices);

// The polygon of the vertices in whole pixels, cut to the limit's square where it reaches beyond
// it, in a buffer that the next call reuses. Cut, it fills the same pixels within the square
// under either fill rule.
const std::vector<QPoint>& pixelPolygon(const VertexList& vertices);
