#pragma once

#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "canvas/scenepainter.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>

// Scenes and reference pictures for the tests of the canvas's faster paths.
namespace scenes
{

// Objects of every kind, highlighted and hidden ones, wide strokes, and objects that cross the
// canvas edges or lie far beyond them, at a view where pans bring them in and out.
inline const QByteArray kEveryKind =
    "endheader\n"
    "rect -50 -30 30 40 teal\nrect 20 20 60 60 yellow\n"
    "line -1000 5 1000 7 red\nline 10 -1e12 12 1e12 blue\n"
    "path 4 -20 -20 10 30 40 -5 80 25 navy\npolygon 5 0 0 30 10 25 40 5 45 -10 20 olive\n"
    "circle 50 10 12 purple\ncircle -3 -3 8 lime\n"
    "pt 5 5 black 0\npt 15 5 black 1\npt 25 5 black 2\npt 35 5 black 3\n"
    "pt 45 5 black 4\npt 55 5 black 7\npt -0.3 2 red 1\npt 3 -0.2 red 0\n"
    "line 0.25 0.25 70 -20 maroon\nrect 1e15 1e15 2e15 2e15 gray\n";

// Objects well inside the canvas, as after fitting: every pan step can move the picture.
inline const QByteArray kInside =
    "endheader\n"
    "rect 10 10 30 25 teal\nline 5 5 50 40 red\ncircle 40 20 6 purple\n"
    "path 3 8 30 20 35 45 12 navy\npolygon 4 30 5 50 8 45 20 28 15 olive\n"
    "pt 15 15 black 0\npt 20 15 black 2\npt 25 15 black 6\n";

// The scene painted whole at the current view, as the canvas paints it outside a pan.
inline QImage paintedWhole()
{
    const QwgtDisplay* display = ViewerApp::instance()->display;
    QImage image(display->size(), QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setPen(display->palette().color(display->foregroundRole()));
    ScenePainter().paintScene(&painter, ViewerApp::instance()->sceneView(display->size()));
    return image;
}

// Plain painting: every visible object in load order, the highlighted ones in a second pass,
// with nothing skipped.
inline void paintEveryObject(QPainter& painter)
{
    for (const bool highlighted : {false, true}) {
        for (const paintObject* object : DrawingModel::instance()->objects) {
            if (object->visible && object->highlighted == highlighted) {
                object->preparePainter(&painter);
                object->paint(&painter);
            }
        }
    }
}

// The picture of paintedWhole() by plain painting. Painted on a 24-bit image, which small shapes
// are not stamped on: every shape is Qt's own.
inline QImage paintedPlainly()
{
    const QwgtDisplay* display = ViewerApp::instance()->display;
    QImage image(display->size(), QImage::Format_RGB888);
    QPainter painter(&image);
    painter.setPen(display->palette().color(display->foregroundRole()));
    painter.setBrush(QBrush(QColor(255, 255, 255)));
    painter.drawRect(QRect(QPoint(0, 0), QPoint(image.width() - 1, image.height() - 1)));
    paintEveryObject(painter);
    painter.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace scenes
