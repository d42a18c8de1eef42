#pragma once

#include "canvas/framerenderer.h"
#include "canvas/measureoverlay.h"
#include "canvas/pancache.h"
#include "canvas/undercursor.h"
#include "canvas/viewnavigator.h"
#include "canvas/zoombox.h"
#include "model/drawingmodel.h"

#include <QWidget>

#include <cstddef>

class QMenu;
class QMouseEvent;

// The canvas: shows the drawing model's objects in the controller's view, painted through the pan
// cache's scene painter, with the rubber band, the rulers, the zoom box and the fix marker on top,
// and turns mouse input into panning, rubber-band picking, setting the fix position, zooming (by
// the wheel or a zoom box), measuring and listing what is under the pointer.
class QwgtDisplay : public QWidget
{
public:
    explicit QwgtDisplay(QWidget* parent);

    // A band over more objects picks the first this many, in load order: a list of millions of
    // entries would keep the window waiting for seconds and take hundreds of megabytes.
    static constexpr std::size_t kMostPicked = 100000;

    // Replaces the picked list with the visible objects wholly inside the rubber band, at most
    // kMostPicked; returns how many lie inside it.
    std::size_t pickInRect() const;
    // The keys and the history that move the view.
    ViewNavigator& navigator() { return *viewNavigator; }
    // Adds the canvas's own commands to the View menu.
    void addViewActions(QMenu* view) const;
    // Repaints after the origin moved by whole pixels: the last picture is shifted and only what
    // came into view is painted.
    void repaintShifted();
    // Measure mode and the rulers.
    MeasureOverlay& measure() { return *measureOverlay; }
    // Esc outside pick mode: drops the zoom box or the ruler being dragged, or else the rulers.
    void cancelGesture();
    // Whether the canvas's picture is the exact scene at the controller's view (and not a
    // preview while the exact one is painted in the background).
    bool showsExactFrame() const;
    // From how much painting work on the drawing model the scene is painted in the background,
    // the canvas showing a preview meanwhile; below it, every paint is made at once. The work is
    // one for each object and one for each vertex of a path or polygon, so that one path of a
    // million vertices counts as what it costs.
    static void setBackgroundPaintFrom(std::size_t work) { backgroundPaintFrom = work; }
    static std::size_t backgroundPaintThreshold() { return backgroundPaintFrom; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // The status bar's pointer position goes with the pointer: it names no place off the canvas.
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Starts what a left press does in move mode besides panning: a ruler in measure mode,
    // else with Shift the zoom box, with Ctrl what is under the pointer. False for a plain
    // press, which pans.
    bool startGesture(const QMouseEvent* event);
    // Fits the view to the zoom box as it is released, as one step of the history.
    void finishZoomBox();
    // Moves the origin so that the picture follows the mouse since the left press.
    void dragOrigin(double x, double y) const;
    // The painting work of the drawing (see setBackgroundPaintFrom), counted again when the
    // scene changed.
    std::size_t paintingWork();
    // Takes a frame painted in the background as the picture when it shows the view and scene
    // of now, and repaints.
    void takeFrame();

    // The left button went down on the canvas and has not been released yet.
    bool dragging = false;
    // The controller's origin at the left press, screen pixels.
    double pressOriginX = 0.0;
    double pressOriginY = 0.0;
    // Where the left button went down, screen pixels.
    double pressX = 0.0;
    double pressY = 0.0;
    ZoomBox zoomBox;
    UnderCursor underCursor;
    // Set while repaintShifted() repaints.
    bool shifting = false;
    PanCache panCache;
    static inline std::size_t backgroundPaintFrom = 100000;
    std::size_t work = 0;
    unsigned long long workCountedAt = ~0ull;
    // Children of the canvas.
    ViewNavigator* viewNavigator;
    MeasureOverlay* measureOverlay;
    FrameRenderer* frameRenderer;
};
