#include "model/boundsindex.h"

#include "model/paintobject.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <system_error>
#include <thread>

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
    boxes.resize(objects.size());
    // Each object's box is read from the object, wherever in memory it lies: at millions of
    // objects the pass waits on memory, so ranges of them are read on several threads.
    struct Range {
        std::size_t begin, end;
        WorldBox corners;
        bool anyNaN;
    };
    const std::size_t cores = std::max(1U, std::thread::hardware_concurrency());
    const std::size_t threads =
        std::clamp<std::size_t>(objects.size() / kObjectsPerThread, 1, cores);
    std::vector<Range> ranges(threads);
    for (std::size_t i = 0; i < threads; ++i)
        ranges[i] = {objects.size() * i / threads, objects.size() * (i + 1) / threads,
                     emptyExtent(), false};
    const auto index = [this, &objects](Range& range) {
        for (std::size_t i = range.begin; i < range.end; ++i) {
            const paintObject* object = objects[i];
            Cells& cells = boxes[i];
            xAxis.span(object->minX, object->maxX, cells.lowX, cells.highX);
            yAxis.span(object->minY, object->maxY, cells.lowY, cells.highY);
            WorldBox& corners = range.corners;
            corners.minX = std::min({corners.minX, object->minX, object->maxX});
            corners.minY = std::min({corners.minY, object->minY, object->maxY});
            corners.maxX = std::max({corners.maxX, object->minX, object->maxX});
            corners.maxY = std::max({corners.maxY, object->minY, object->maxY});
            range.anyNaN = range.anyNaN || std::isnan(object->minX) || std::isnan(object->minY) ||
                           std::isnan(object->maxX) || std::isnan(object->maxY);
        }
    };
    std::vector<std::thread> helpers;
    for (std::size_t i = 1; i < threads; ++i) {
        try {
            helpers.emplace_back(index, std::ref(ranges[i]));
        } catch (const std::system_error&) {
            // This thread reads the range instead.
            index(ranges[i]);
        }
    }
    index(ranges[0]);
    for (std::thread& helper : helpers)
        helper.join();
    WorldBox corners = emptyExtent();
    bool anyNaN = false;
    for (const Range& range : ranges) {
        corners.minX = std::min(corners.minX, range.corners.minX);
        corners.minY = std::min(corners.minY, range.corners.minY);
        corners.maxX = std::max(corners.maxX, range.corners.maxX);
        corners.maxY = std::max(corners.maxY, range.corners.maxY);
        anyNaN = anyNaN || range.anyNaN;
    }
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    cornersExtent = anyNaN ? WorldBox{kNaN, kNaN, kNaN, kNaN} : corners;
    buildTiles();
}

// A counting sort by tile, which keeps load order within each tile.
void BoundsIndex::buildTiles()
{
    std::vector<std::uint32_t>().swap(tileStarts);
    std::vector<std::uint32_t>().swap(tiled);
    std::vector<std::uint32_t>().swap(untiled);
    if (boxes.size() > std::numeric_limits<std::uint32_t>::max())
        return;
    const auto tileOf = [](const Cells& box) -> int {
        const int lowX = box.lowX >> kTileShift, lowY = box.lowY >> kTileShift;
        if ((box.highX >> kTileShift) - lowX > 1 || (box.highY >> kTileShift) - lowY > 1)
            return -1;
        return lowY * kTilesPerSide + lowX;
    };
    std::vector<std::uint32_t> starts(kTilesPerSide * kTilesPerSide + 1, 0);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const int tile = tileOf(boxes[i]);
        if (tile < 0)
            untiled.push_back(static_cast<std::uint32_t>(i));
        else
            ++starts[static_cast<std::size_t>(tile) + 1];
    }
    for (std::size_t tile = 1; tile < starts.size(); ++tile)
        starts[tile] += starts[tile - 1];
    tiled.resize(starts.back());
    std::vector<std::uint32_t> next(starts.begin(), starts.end() - 1);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const int tile = tileOf(boxes[i]);
        if (tile >= 0)
            tiled[next[static_cast<std::size_t>(tile)]++] = static_cast<std::uint32_t>(i);
    }
    tileStarts = std::move(starts);
}

void BoundsIndex::collectMayMeet(const std::vector<Cells>& queries, std::size_t from,
                                 std::size_t to, std::vector<std::size_t>& found,
                                 std::vector<std::uint64_t>& marks,
                                 const std::atomic<bool>* stop) const
{
    found.clear();
    to = std::min(to, boxes.size());
    if (queries.empty() || from >= to)
        return;
    // An inverted query still passes boxes that span it; tiles would not find them.
    const bool inverted = std::any_of(queries.begin(), queries.end(), [](const Cells& query) {
        return query.lowX > query.highX || query.lowY > query.highY;
    });
    if (inverted || tileStarts.empty()) {
        scanMayMeet(queries, from, to, found, stop);
        return;
    }
    // The tiles of each query, widened by one tile at the low edges, as ranges of columns.
    struct TileSpan {
        int left, top, right, bottom;
    };
    std::vector<TileSpan> spans;
    std::size_t candidates = untiled.size();
    for (const Cells& query : queries) {
        const TileSpan span{std::max(0, (query.lowX >> kTileShift) - 1),
                            std::max(0, (query.lowY >> kTileShift) - 1), query.highX >> kTileShift,
                            query.highY >> kTileShift};
        spans.push_back(span);
        for (int row = span.top; row <= span.bottom && span.left <= span.right; ++row)
            candidates += tileStarts[std::size_t(row * kTilesPerSide + span.right + 1)] -
                          tileStarts[std::size_t(row * kTilesPerSide + span.left)];
    }
    // Reaching an object through its tile costs a few times reading it in order.
    constexpr std::size_t kTiledCost = 4;
    constexpr std::uint32_t kFetchAhead = 16;
    if (candidates * kTiledCost > to - from) {
        scanMayMeet(queries, from, to, found, stop);
        return;
    }
    if (marks.size() < (boxes.size() + 63) / 64)
        marks.assign((boxes.size() + 63) / 64, 0);
    const auto mark = [&](std::uint32_t i) {
        if (i < from || i >= to)
            return;
        for (const Cells& query : queries) {
            if (mayMeet(boxes[i], query)) {
                marks[i / 64] |= std::uint64_t(1) << (i % 64);
                return;
            }
        }
    };
    // Asked once a row of tiles: the tiles are taken only where they hold a small share of the
    // objects.
    for (const TileSpan& span : spans) {
        for (int row = span.top; row <= span.bottom && span.left <= span.right && !stopAsked(stop);
             ++row) {
            const std::uint32_t end = tileStarts[std::size_t(row * kTilesPerSide + span.right + 1)];
            for (std::uint32_t k = tileStarts[std::size_t(row * kTilesPerSide + span.left)];
                 k < end; ++k) {
                // A tile's objects lie apart in the boxes: each box is asked for well ahead.
                if (k + kFetchAhead < end)
                    __builtin_prefetch(&boxes[tiled[k + kFetchAhead]]);
                mark(tiled[k]);
            }
        }
    }
    if (!stopAsked(stop)) {
        for (const std::uint32_t i : untiled)
            mark(i);
    }
    // The marks are read in index order and left all clear for the next call.
    for (std::size_t word = from / 64; word <= (to - 1) / 64; ++word) {
        for (std::uint64_t bits = marks[word]; bits != 0; bits &= bits - 1)
            found.push_back(word * 64 + std::size_t(__builtin_ctzll(bits)));
        marks[word] = 0;
    }
}

// A box that meets one of the queries meets the box around them all: that one test turns most
// objects away when the queries lie together (the strips of a pan, an area and its corners).
void BoundsIndex::scanMayMeet(const std::vector<Cells>& queries, std::size_t from, std::size_t to,
                              std::vector<std::size_t>& found, const std::atomic<bool>* stop) const
{
    Cells around = queries.front();
    for (const Cells& query : queries) {
        around.lowX = std::min(around.lowX, query.lowX);
        around.lowY = std::min(around.lowY, query.lowY);
        around.highX = std::max(around.highX, query.highX);
        around.highY = std::max(around.highY, query.highY);
    }
    for (std::size_t start = from; start < to; start += kStopCheckRun) {
        if (stopAsked(stop))
            return;
        const std::size_t end = std::min(to, start + kStopCheckRun);
        if (queries.size() == 1) {
            for (std::size_t i = start; i < end; ++i) {
                if (mayMeet(boxes[i], around))
                    found.push_back(i);
            }
            continue;
        }
        for (std::size_t i = start; i < end; ++i) {
            const Cells& box = boxes[i];
            if (mayMeet(box, around) &&
                std::any_of(queries.begin(), queries.end(),
                            [&box](const Cells& query) { return mayMeet(box, query); }))
                found.push_back(i);
        }
    }
}

void BoundsIndex::clear()
{
    std::vector<Cells>().swap(boxes);
    std::vector<std::uint32_t>().swap(tileStarts);
    std::vector<std::uint32_t>().swap(tiled);
    std::vector<std::uint32_t>().swap(untiled);
    objectsExtent = notedExtent = cornersExtent = emptyExtent();
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
