#pragma once

#include <cstddef>
#include <optional>
#include <vector>

// Where the view stands: the values that Back and Forward put back.
struct ViewPlace {
    // Screen pixels of world (0, 0).
    double originX = 0.0;
    double originY = 0.0;
    // Pixels per world unit.
    double ratio = 1.0;
    // The fix position, screen pixels.
    double fixX = 0.0;
    double fixY = 0.0;

    bool operator==(const ViewPlace& other) const
    {
        return originX == other.originX && originY == other.originY && ratio == other.ratio &&
               fixX == other.fixX && fixY == other.fixY;
    }
    bool operator!=(const ViewPlace& other) const { return !(*this == other); }
};

// The places the view went through, as a browser keeps pages. A jump (fit, goto, zoom box, a
// factor zoom, moving to an object) records the place before and the place after it. A run of
// pans, or of zoom steps, counts as one step: its start is recorded when it begins, its end
// when something else follows (a jump, a run of the other kind, Back or Forward). Recording a
// place drops the places ahead of the current one. Holds at most kMaxPlaces, the oldest go.
class ViewHistory
{
public:
    enum class Run { None, Pan, Zoom };
    static constexpr std::size_t kMaxPlaces = 1000;

    // The view moved from `from` to `to` in one step.
    void jump(const ViewPlace& from, const ViewPlace& to);
    // A change of the kind is about to move the view from `current`.
    void continueRun(Run kind, const ViewPlace& current);
    // The place to show for Back (or Forward) when the view is at `current`; none at either
    // end. A view moved since its last recorded place goes back to that place first, and is
    // kept so that Forward returns to it.
    std::optional<ViewPlace> back(const ViewPlace& current);
    std::optional<ViewPlace> forward(const ViewPlace& current);
    // Forgets every place.
    void clear();
    std::size_t size() const { return places.size(); }

private:
    // Records the place unless the history stands on it already.
    void record(const ViewPlace& place);

    std::vector<ViewPlace> places;
    // The index of the place the view last arrived at; meaningless while places is empty.
    std::size_t at = 0;
    Run running = Run::None;
};
