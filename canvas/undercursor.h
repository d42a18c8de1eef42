#pragma once

#include "canvas/viewhistory.h"

#include <QPoint>

#include <vector>

class paintObject;

// What is under the pointer: Ctrl and a left click in move mode list in the Item Explorer the
// visible objects whose painted pixels come within kReach pixels of the click, topmost (last
// painted) first, and select the first; another such click at the same pixel and view selects
// the next one, round to the first. The list replaces the pick, as a rubber band's would.
class UnderCursor
{
public:
    // Pixels, as the distance between pixel centres.
    static constexpr int kReach = 3;

    // The visible objects that paint a pixel within kReach of the canvas pixel in the view the
    // controller shows, topmost first. Each is painted alone on a few pixels around the point,
    // so an object counts only where it sets pixels: not inside an open path, not in the gap
    // of a cross.
    static std::vector<paintObject*> objectsAt(const QPoint& pixel);
    // The click: lists and selects, or selects the next one (see the class comment).
    void click(const QPoint& pixel);

private:
    // The last click that listed, and what it listed.
    QPoint clickedPixel;
    ViewPlace clickedView;
    std::vector<paintObject*> listed;
};
