#include "canvas/viewhistory.h"

void ViewHistory::record(const ViewPlace& place)
{
    if (!places.empty() && places[at] == place)
        return;
    if (!places.empty())
        places.resize(at + 1);
    if (places.size() == kMaxPlaces)
        places.erase(places.begin());
    places.push_back(place);
    at = places.size() - 1;
}

void ViewHistory::jump(const ViewPlace& from, const ViewPlace& to)
{
    record(from);
    record(to);
    running = Run::None;
}

void ViewHistory::continueRun(Run kind, const ViewPlace& current)
{
    if (kind == running)
        return;
    record(current);
    running = kind;
}

std::optional<ViewPlace> ViewHistory::back(const ViewPlace& current)
{
    record(current);
    running = Run::None;
    if (at == 0)
        return std::nullopt;
    return places[--at];
}

std::optional<ViewPlace> ViewHistory::forward(const ViewPlace& current)
{
    record(current);
    running = Run::None;
    if (at + 1 >= places.size())
        return std::nullopt;
    return places[++at];
}

void ViewHistory::clear()
{
    places.clear();
    at = 0;
    running = Run::None;
}
