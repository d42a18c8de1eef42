#include "model/boundsindex.h"

#include "model/paintobject.h"

#include <algorithm>
#include <cmath>
#include <limits>

// Rounding a position and clamping it to the grid never reverses the order of two values, so a
// box's cells keep every relation to a query's cells that the box has to the query's area.
std::uint16_t BoundsIndex::Axis::lowCell(double value) const
{
    const double at = position(value);
    if (!(at > 0.0))
        return 0;
    if (at >= kLastCell)
        return kLastCell;
    return static_cast<std::uint16_t>(std::floor(at));
}

std::uint16_t BoundsIndex::Axis::highCell(double value) const
{
    const double at = position(value);
    if (!(at < kLastCell))
        return kLastCell;
    if (at <= 0.0)
        return 0;
    return static_cast<std::uint16_t>(std::ceil(at));
}

void BoundsIndex::Axis::span(double a, double b, std::uint16_t& low, std::uint16_t& high) const
{
    if (std::isnan(a) || std::isnan(b)) {
        low = 0;
        high = kLastCell;
        return;
    }
    low = lowCell(std::min(a, b));
    high = highCell(std::max(a, b));
}

// A grid that cannot be laid over the range (nothing finite, or no width) puts every box into
// cell 0: every scan then tests every object exactly.
BoundsIndex::Axis BoundsIndex::Axis::over(double low, double high)
{
    Axis axis;
    const double width = high - low;
    if (std::isfinite(low) && std::isfinite(width) && width > 0.0) {
        axis.origin = low;
        axis.cellsPerUnit = kLastCell / width;
    }
    return axis;
}

BoundsIndex::WorldBox BoundsIndex::emptyExtent()
{
    constexpr double kLargest = std::numeric_limits<double>::max();
    return {kLargest, kLargest, -kLargest, -kLargest};
}

void BoundsIndex::extend(WorldBox& extent, const paintObject& object)
{
    extent.minX = std::min(extent.minX, object.minX);
    extent.minY = std::min(extent.minY, object.minY);
    extent.maxX = std::max(extent.maxX, object.maxX);
    extent.maxY = std::max(extent.maxY, object.maxY);
}

void BoundsIndex::noteAppended(const paintObject& object)
{
    extend(notedExtent, object);
    ++notedObjects;
}

// The noted extent serves when the objects are exactly those noted, which the count tells as long
// as objects are only appended between clears; otherwise the extent takes a pass of its own.
void BoundsIndex::rebuild(const std::vector<paintObject*>& objects)
{
    WorldBox extent = notedExtent;
    if (notedObjects != objects.size()) {
        extent = emptyExtent();
        for (const paintObject* object : objects)
            extend(extent, *object);
    }
    objectsExtent = extent;
    xAxis = Axis::over(extent.minX, extent.maxX);
    yAxis = Axis::over(extent.minY, extent.maxY);
    boxes.clear();
    boxes.shrink_to_fit();
    boxes.reserve(objects.size());
    for (const paintObject* object : objects) {
        Cells& cells = boxes.emplace_back();
        xAxis.span(object->minX, object->maxX, cells.lowX, cells.highX);
        yAxis.span(object->minY, object->maxY, cells.lowY, cells.highY);
    }
}

void BoundsIndex::clear()
{
    std::vector<Cells>().swap(boxes);
    objectsExtent = notedExtent = emptyExtent();
    notedObjects = 0;
}

// A box meets the area when its larger corner reaches the area's low edge and its smaller corner
// its high edge: so the low edge is rounded up, the high edge down. A NaN edge admits every box.
BoundsIndex::Cells BoundsIndex::meetQuery(const WorldBox& area) const
{
    const auto low = [](const Axis& axis, double value) {
        return std::isnan(value) ? std::uint16_t(0) : axis.highCell(value);
    };
    const auto high = [](const Axis& axis, double value) {
        return std::isnan(value) ? kLastCell : axis.lowCell(value);
    };
    return {low(xAxis, area.minX), low(yAxis, area.minY), high(xAxis, area.maxX),
            high(yAxis, area.maxY)};
}

// A box lies within the area when its smaller corner is at or above the low edge and its larger
// corner at or below the high edge: the edges are rounded as the boxes' corners are.
BoundsIndex::Cells BoundsIndex::withinQuery(const WorldBox& area) const
{
    return {xAxis.lowCell(area.minX), yAxis.lowCell(area.minY), xAxis.highCell(area.maxX),
            yAxis.highCell(area.maxY)};
}

// A box's cell at or after the one after the low edge's cell (rounded up) lies after the edge: a
// value at or before the edge could not have a later cell. Likewise at the high edge.
BoundsIndex::Cells BoundsIndex::insideQuery(const std::optional<WorldBox>& area) const
{
    constexpr Cells kNoBox{kLastCell, kLastCell, 0, 0};
    if (!area || std::isnan(area->minX) || std::isnan(area->minY) || std::isnan(area->maxX) ||
        std::isnan(area->maxY))
        return kNoBox;
    const Cells edges = meetQuery(*area);
    if (edges.lowX >= kLastCell || edges.lowY >= kLastCell || edges.highX == 0 || edges.highY == 0)
        return kNoBox;
    return {static_cast<std::uint16_t>(edges.lowX + 1), static_cast<std::uint16_t>(edges.lowY + 1),
            static_cast<std::uint16_t>(edges.highX - 1),
            static_cast<std::uint16_t>(edges.highY - 1)};
}
