#pragma once

class QPainter;
class QRect;

// Draws the rectangle exactly as QPainter::drawRects() does with the painter's pen and brush.
// Small rectangles are what large files are made of, and for them the general path (a fill, then
// the outline traced as a path by the stroker) costs several times the pixels it sets. Where the
// painter paints plainly with both a pen and a brush, and the outline lies on the device, the same
// pixels are set by two solid fills: the outline's colour over the box the outline encloses, the
// brush's inside it.
void drawOutlinedRect(QPainter* painter, const QRect& rect);
