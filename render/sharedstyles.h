#pragma once

#include <QBrush>
#include <QIcon>
#include <QPen>

class QColor;
class QString;

// Pens, brushes and icons made once per colour (and width or size) and then shared: the same
// style object for the same colour. A painter given the pen or brush it already has keeps its
// prepared setting instead of setting it up again, and a million listed objects hold an icon per
// colour instead of one each. Files use a handful of colours; a table that fills up starts afresh,
// so a returned style is for use at once (a painter copies it): a later call for the same kind of
// style may replace it. Each thread has tables of its own.
class SharedStyles
{
public:
    static const QBrush& solidBrush(const QColor& color);
    // A cosmetic (zero-width) pen: one pixel wide on the canvas, and still one device pixel, not a
    // world unit, when the painting is scaled for print.
    static const QPen& cosmeticPen(const QColor& color);
    // A pen with a solid brush of the colour, `width` pixels wide, square caps and bevel joins.
    static const QPen& strokePen(const QColor& color, int width);
    // A pixmap of width x height pixels (a few each way) filled with the colour.
    static QIcon colorIcon(const QColor& color, int width, int height);
    // The picture of a resource path such as ":/icon/zoomin.png", with the versions at two and
    // three times its size that the resources hold beside it (zoomin@2x.png, zoomin@3x.png), so
    // that a screen that scales by more than one shows a sharp icon.
    static QIcon resourceIcon(const QString& path);
};
