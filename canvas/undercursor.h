#pragma once

#include "canvas/viewhistory.h"

#include <QPoint>

#include <cstddef>
#include <vector>

class paintObject;

// What is under the pointer: Ctrl and a left click in move mode list in the Item Explorer the
// visible objects whose painted pixels come within kReach pixels of the click, topmost (last
// painted) first, and select the first; another such click at the same pixel and view selects
// the next one, round to the first. The list replaces the pick, as a rubber band's would.
// Only the topmost kMostPainted objects whose boxes reach the click are looked at, so that a
// click over a million stacked objects answers at once; the status bar then says that more lie
// below.
class UnderCursor
{
public:
    // Pixels, as the distance between pixel centres.
    static constexpr int kReach = 3;
    // Each costs a paint of its own, a few tens of microseconds.
    static constexpr std::size_t kMostPainted = 500;

    struct Stack {
        std::vector<paintObject*> topmostFirst;
        // Objects below the ones painted may reach the click too.
        bool moreNotShown = false;
    };
    // The visible objects that paint a pixel within kReach of the canvas pixel in the view the
    // controller shows, topmost first, among the topmost kMostPainted whose boxes reach it. Each
    // is painted alone on a few pixels around the point, so an object counts only where it sets
    // pixels: not inside an open path, not in the gap of a cross.
    static Stack objectsAt(const QPoint& pixel);
    // The click: lists and selects, or selects the next one (see the class comment).
    void click(const QPoint& pixel);

private:
    // The last click that listed, and what it listed.
    QPoint clickedPixel;
    ViewPlace clickedView;
    std::vector<paintObject*> listed;
};
