#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// The memory of drawable objects. A file of a million objects makes a million small allocations
// of a few sizes; taking them from large blocks in load order saves the allocator's per-object
// overhead and keeps objects that are drawn one after another next to each other in memory.
// Freed objects go to a list per size for reuse; when the last object is freed, the blocks are
// returned. Used from the GUI thread only.
class ObjectArena
{
public:
    static void* allocate(std::size_t bytes);
    static void release(void* memory, std::size_t bytes);

private:
    // Objects are made of pointers and doubles.
    static constexpr std::size_t kAlignment = alignof(double) > alignof(void*) ? alignof(double)
                                                                               : alignof(void*);
    static constexpr std::size_t kBlockBytes = std::size_t(1) << 20;
    // Larger objects come from the general allocator.
    static constexpr std::size_t kLargestSize = 512;

    struct FreeCell {
        FreeCell* next;
    };

    static ObjectArena& instance();
    static std::size_t roundedSize(std::size_t bytes);

    std::vector<std::unique_ptr<std::byte[]>> blocks;
    std::size_t usedInLastBlock = kBlockBytes;
    std::vector<FreeCell*> freeCells = std::vector<FreeCell*>(kLargestSize / kAlignment + 1);
    std::size_t liveObjects = 0;
};
