#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

class paintObject;

// The objects' bounding boxes in the compact form that the scans over every object read: each
// box as the range of cells it covers on a grid of 32,767 x 32,767 cells laid over the objects'
// extent, 8 bytes per object instead of 32, in load order. A cell range always covers its box,
// so a scan that skips the objects whose cells fail a test skips only objects whose exact box
// fails it too; the objects that remain are then tested exactly. Corners outside the grid, and
// infinite ones, fall into its border cells; a box with a NaN corner covers every cell.
class BoundsIndex
{
public:
    // A box in world units.
    struct WorldBox {
        double minX, minY, maxX, maxY;
    };
    // Cells from low to high, both included, on each axis.
    struct Cells {
        std::uint16_t lowX, lowY, highX, highY;
    };

    // Exact tests on world boxes, which the cell tests below only ever widen: a box that meets
    // an area passes mayMeet() with its meetQuery(), one that lies within an area passes
    // mayLieWithin() with its withinQuery().
    //
    // Whether two boxes, taken corner-wise, overlap (edges included).
    static bool boxesMeet(const WorldBox& box, const WorldBox& area)
    {
        return !((box.maxX < area.minX && box.minX < area.minX) ||
                 (box.minX > area.maxX && box.maxX > area.maxX) ||
                 (box.maxY < area.minY && box.minY < area.minY) ||
                 (box.minY > area.maxY && box.maxY > area.maxY));
    }
    // Whether both corners of the box lie within the area (edges included), whichever way round
    // the box's corners were given. A NaN corner lies within nothing.
    static bool boxLiesWithin(const WorldBox& box, const WorldBox& area)
    {
        const auto between = [](double value, double low, double high) {
            return value >= low && value <= high;
        };
        return between(box.minX, area.minX, area.maxX) && between(box.maxX, area.minX, area.maxX) &&
               between(box.minY, area.minY, area.maxY) && between(box.maxY, area.minY, area.maxY);
    }

    // Notes an object appended to the list that the next rebuild() indexes, while its bounds are
    // at hand: the extent then need not be found in a pass of its own.
    void noteAppended(const paintObject& object);
    // Indexes the objects' boxes, and finds their extent.
    void rebuild(const std::vector<paintObject*>& objects);
    // Forgets every box; the list is empty from now on.
    void clear();
    std::size_t size() const { return boxes.size(); }
    const std::vector<Cells>& cells() const { return boxes; }
    // The smallest of the objects' minX and minY and the largest of their maxX and maxY, NaN
    // ignored; inverted (largest double as minimum) with no objects.
    const WorldBox& extent() const { return objectsExtent; }
    // The box that holds both corners of every object, whichever way round they were given:
    // every object's box lies within it. NaN when an object has a NaN corner (its box lies
    // within nothing), inverted with no objects.
    const WorldBox& cornerExtent() const { return cornersExtent; }

    // The cells to test boxes against with mayMeet().
    Cells meetQuery(const WorldBox& area) const;
    // False only when the box that the cells come from cannot meet the area of the query: both
    // of its corners left of it, or both right of it, or both below, or both above. That is,
    // lowX <= query.highX, lowY <= query.highY, highX >= query.lowX and highY >= query.lowY.
    static bool mayMeet(const Cells& box, const Cells& query)
    {
        return lanesAtMost(packed(box) ^ highLanes(),
                           packed({query.highX, query.highY, query.lowX, query.lowY}) ^
                               highLanes());
    }
    // The objects among [from, to) whose cells pass mayMeet() with one of the queries, in load
    // order, into `found`. Where the queries cover a small part of the grid, only the objects
    // whose boxes start near them are tested (see the tiles below); otherwise every object is.
    // `marks` is the caller's scratch memory, kept to reuse from one call to the next. A scan of
    // every object asks `stop` (when given) every kStopCheckRun objects, and ends as soon as it is
    // set, with only some of the objects in `found`: a frame being painted in the background
    // gives up within a fraction of a millisecond, as a user's next step asks it to.
    void collectMayMeet(const std::vector<Cells>& queries, std::size_t from, std::size_t to,
                        std::vector<std::size_t>& found, std::vector<std::uint64_t>& marks,
                        const std::atomic<bool>* stop = nullptr) const;
    static constexpr std::size_t kStopCheckRun = std::size_t(1) << 16;
    // A rebuild reads at least this many objects' boxes on each of its threads, one a core.
    static constexpr std::size_t kObjectsPerThread = std::size_t(1) << 17;

    // The cells to test boxes against with mayLieWithin().
    Cells withinQuery(const WorldBox& area) const;
    // False only when the box that the cells come from cannot lie within the area of the query,
    // both corners of it, whichever way round they were given (a box with a NaN corner lies
    // within nothing).
    static bool mayLieWithin(const Cells& box, const Cells& query)
    {
        return lanesAtMost(packed(query) ^ highLanes(), packed(box) ^ highLanes());
    }

    // The cells to test boxes against with mayLieWithin() to learn that a box surely lies within
    // the area: a box that passes has both corners strictly inside it. Without an area, or with
    // NaN edges, no box passes.
    Cells insideQuery(const std::optional<WorldBox>& area) const;

private:
    // Cells have 15 bits, so that four of them compare at once within one 64-bit word.
    static constexpr std::uint16_t kLastCell = 32767;

    // The four cells as the four 16-bit lanes of one word.
    static std::uint64_t packed(const Cells& cells)
    {
        std::uint64_t word;
        std::memcpy(&word, &cells, sizeof word);
        return word;
    }
    // The lanes of the high cells, all ones: a high cell xor this is kLastCell minus it, which
    // turns each of the tests "high >= limit" into a test "low <= limit" like the others.
    static std::uint64_t highLanes() { return packed({0, 0, kLastCell, kLastCell}); }
    // Whether each lane of `a` is at most the same lane of `b`: setting each lane's top bit in
    // `b` keeps the subtraction within the lane, and the bit survives where b >= a.
    static bool lanesAtMost(std::uint64_t a, std::uint64_t b)
    {
        constexpr std::uint64_t kTopBits = 0x8000800080008000ull;
        return (((b | kTopBits) - a) & kTopBits) == kTopBits;
    }

    // One axis of the grid: world coordinate -> position in cells.
    struct Axis {
        double origin = 0.0;
        double cellsPerUnit = 0.0;
        // Without a grid every value but NaN is at 0 (an infinity times 0 would be NaN).
        double position(double value) const
        {
            if (cellsPerUnit == 0.0)
                return value == value ? 0.0 : value;
            return (value - origin) * cellsPerUnit;
        }
        // The cell of the value, rounded down or up; NaN gives the first or the last cell.
        std::uint16_t lowCell(double value) const;
        std::uint16_t highCell(double value) const;
        // The cells that the two corners span, both rounded outward; all with a NaN corner.
        void span(double a, double b, std::uint16_t& low, std::uint16_t& high) const;
        static Axis over(double low, double high);
    };

    // The grid in tiles of 512 x 512 cells, 64 each way. An object whose cells span at most two
    // tiles each way is listed under the tile of its low corner, so a box that meets a query
    // starts in one of the query's tiles or in the tile before it, each way; the others (large
    // boxes, NaN corners) are listed apart. Both lists are in load order.
    static constexpr int kTileShift = 9;
    static constexpr int kTilesPerSide = 64;
    // Where each tile's objects start in `tiled`, row by row, and where the last ends; empty when
    // the objects are too many to list by 32-bit index.
    std::vector<std::uint32_t> tileStarts;
    std::vector<std::uint32_t> tiled;
    std::vector<std::uint32_t> untiled;
    void buildTiles();
    // Whether a scan given the flag is asked to end.
    static bool stopAsked(const std::atomic<bool>* stop)
    {
        return stop && stop->load(std::memory_order_relaxed);
    }
    // The linear way of collectMayMeet().
    void scanMayMeet(const std::vector<Cells>& queries, std::size_t from, std::size_t to,
                     std::vector<std::size_t>& found, const std::atomic<bool>* stop) const;

    Axis xAxis, yAxis;
    std::vector<Cells> boxes;
    WorldBox objectsExtent = emptyExtent();
    WorldBox cornersExtent = emptyExtent();
    // The extent of the objects noted since the last clear(), and their number.
    WorldBox notedExtent = emptyExtent();
    std::size_t notedObjects = 0;

    static WorldBox emptyExtent();
    static void extend(WorldBox& extent, const paintObject& object);
};
