#pragma once

#include <cstddef>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

// The memory of drawable objects. A file of a million objects makes a million small allocations
// of a few sizes; taking them from large blocks in load order saves the allocator's per-object
// overhead and keeps objects that are drawn one after another next to each other in memory.
// Freed objects go to a list per size for reuse.
//
// Objects come in generations, one per load: a file loaded in the background is made while the
// drawing it replaces is still shown, and each generation's blocks are returned when its last
// object is freed, so the replaced drawing's memory goes back once it is disposed of, instead of
// lingering as free cells. Safe to use from several threads: one lock, which a thread making
// cells in a generation of its own does not take but for a new block.
class ObjectArena
{
public:
    // While it lives, the calling thread's cells come from a generation of its own, from which
    // no other thread takes cells: threads that load parts of one file side by side then neither
    // wait for each other's allocations nor write into the same cache lines, and each part's
    // objects lie together in memory. The generation outlives it, as any, until its last cell is
    // freed.
    class ThreadGeneration
    {
    public:
        ThreadGeneration();
        ~ThreadGeneration();
        ThreadGeneration(const ThreadGeneration&) = delete;
        ThreadGeneration& operator=(const ThreadGeneration&) = delete;
    };

    // While it lives, the cells that the calling thread releases are put back up to kBatchCells at
    // a time, under one taking of the arena's lock: a replaced drawing of millions of objects is
    // freed without a lock round trip per object. A cell is reused only once put back, and the
    // last cell of a generation still returns its blocks. Nested, the outer one batches.
    class ReleaseBatch
    {
    public:
        ReleaseBatch();
        ~ReleaseBatch();
        ReleaseBatch(const ReleaseBatch&) = delete;
        ReleaseBatch& operator=(const ReleaseBatch&) = delete;

    private:
        bool installed;
    };

    static void* allocate(std::size_t bytes);
    // Hands the blocks kept from dropped generations back to the system (see kSpareBlocks).
    static void giveBackSpareBlocks();
    static void release(void* memory, std::size_t bytes);
    // Starts a new generation, unless the current one holds no objects: what is allocated from now
    // on lies in blocks of its own. A load calls it before it makes its first object.
    static void startGeneration();
    // Sets up the process's general allocator for what the arena leaves to it: the other parts of
    // millions of objects, freed all at once when a file is replaced. Called before anything is
    // loaded; calling it again changes nothing.
    static void tuneProcessAllocator();

    // Objects are made of pointers and doubles.
    static constexpr std::size_t kAlignment = alignof(double) > alignof(void*) ? alignof(double)
                                                                               : alignof(void*);

private:
    // One huge page where the system has them: a million objects' blocks then take a few hundred
    // page faults instead of a hundred thousand, each of which costs more than clearing its page.
    static constexpr std::size_t kBlockBytes = std::size_t(2) << 20;
    // How far ahead of the cell it hands out the arena asks for the memory of the next ones.
    static constexpr std::size_t kWriteAhead = 512;
    struct BlockRelease {
        void operator()(std::byte* block) const noexcept;
    };
    using Block = std::unique_ptr<std::byte, BlockRelease>;
    // A block of kBlockBytes, aligned to its size; throws std::bad_alloc when there is no memory.
    static Block newBlock();
    // The most blocks of dropped generations kept for later ones: 256 MiB, about a drawing of a
    // million objects.
    static constexpr std::size_t kSpareBlocks = 128;
    // Larger objects come from the general allocator.
    static constexpr std::size_t kLargestSize = 512;

    struct FreeCell {
        FreeCell* next;
    };
    struct Generation {
        std::vector<Block> blocks;
        std::size_t usedInLastBlock = kBlockBytes;
        std::vector<FreeCell*> freeCells = std::vector<FreeCell*>(kLargestSize / kAlignment + 1);
        std::size_t liveObjects = 0;
        // While `attached` (written under the arena's lock), the generation is a thread's own
        // (ThreadGeneration): that thread takes cells from it without a lock, as nothing else
        // touches its free lists, blocks and count meanwhile, and it keeps its blocks even when
        // it holds no object. Once detached it is like any other, guarded by the arena's lock.
        bool attached = false;
        // The cells of an attached generation that other threads released (under the arena's
        // lock): not reused, and taken off the count when the generation is detached.
        std::size_t releasedElsewhere = 0;
    };
    // A block's first byte and its generation.
    struct BlockEntry {
        const std::byte* start;
        Generation* generation;
    };

    static ObjectArena& instance();
    static std::size_t roundedSize(std::size_t bytes);
    void* allocateCell(std::size_t size);
    void* allocateOwnCell(Generation& generation, std::size_t size);
    // Takes a cell from the generation's free list or its last block; null when neither has one.
    static void* takeCell(Generation& generation, std::size_t size);
    void releaseCell(void* memory, std::size_t size);
    // As releaseCell(), with the arena's lock held.
    void releaseLockedCell(void* memory, std::size_t size);
    struct PendingCell {
        void* memory;
        std::size_t size;
    };
    static constexpr std::size_t kBatchCells = 4096;
    // A thread's cells released under a ReleaseBatch, not yet put back.
    struct PendingCells {
        PendingCell cells[kBatchCells];
        std::size_t count = 0;
    };
    void releaseCells(PendingCells& pending);
    // Forgets the generation, which holds no object and from which no thread takes cells.
    void dropGeneration(Generation& generation);
    // The generation whose block holds the cell.
    Generation* generationOf(const void* cell) const;
    // Returns the generation's blocks and forgets them.
    void dropBlocks(Generation& generation);
    // Gives the generation a block to take cells from, with the arena's lock held.
    void addBlock(Generation& generation);

    std::mutex lock;
    // Where objects are made now, and the older generations that still have objects.
    std::unique_ptr<Generation> current = std::make_unique<Generation>();
    std::vector<std::unique_ptr<Generation>> older;
    // Every block, by address: a freed cell's generation is found by a binary search, a few
    // hundred blocks a drawing of a million objects.
    std::vector<BlockEntry> blockIndex;
    // Blocks of dropped generations, for the next ones to take first.
    std::vector<Block> spareBlocks;
};

// The arena's memory for a standard container that an object owns, so that what the object holds
// lies next to it: a path's vertices are read right after the path is made, and painting then
// finds both in the same few cache lines. Larger arrays come from the general allocator, as
// larger objects do.
template <typename T> class ArenaAllocator
{
public:
    using value_type = T;
    static_assert(alignof(T) <= ObjectArena::kAlignment);

    ArenaAllocator() = default;
    template <typename Other> ArenaAllocator(const ArenaAllocator<Other>&) noexcept {}

    T* allocate(std::size_t count)
    {
        if (count > std::numeric_limits<std::size_t>::max() / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(ObjectArena::allocate(bytesOf(count)));
    }
    void deallocate(T* memory, std::size_t count) noexcept
    {
        ObjectArena::release(memory, bytesOf(count));
    }

    friend bool operator==(const ArenaAllocator&, const ArenaAllocator&) { return true; }
    friend bool operator!=(const ArenaAllocator&, const ArenaAllocator&) { return false; }

private:
    // Never zero bytes: every allocation is a cell of its own.
    static std::size_t bytesOf(std::size_t count) { return count == 0 ? 1 : count * sizeof(T); }
};
