#include "storage/objectarena.h"

#include <algorithm>
#include <iterator>
#include <new>

#ifdef __GLIBC__
#include <malloc.h>
#endif

ObjectArena& ObjectArena::instance()
{
    // Never destroyed: the drawing model is destroyed at exit after any function-local static
    // made later, and still frees its objects into the arena then.
    static ObjectArena* const arena = new ObjectArena;
    return *arena;
}

std::size_t ObjectArena::roundedSize(std::size_t bytes)
{
    return (bytes + kAlignment - 1) / kAlignment * kAlignment;
}

void* ObjectArena::allocate(std::size_t bytes)
{
    const std::size_t size = roundedSize(bytes);
    if (size > kLargestSize)
        return ::operator new(bytes);
    return instance().allocateCell(size);
}

void* ObjectArena::allocateCell(std::size_t size)
{
    const std::lock_guard<std::mutex> guard(lock);
    Generation& generation = *current;
    FreeCell*& reusable = generation.freeCells[size / kAlignment];
    if (reusable) {
        FreeCell* cell = reusable;
        reusable = cell->next;
        ++generation.liveObjects;
        return cell;
    }
    if (generation.usedInLastBlock + size > kBlockBytes) {
        blockIndex.reserve(blockIndex.size() + 1);
        // Not zeroed: every object is constructed in place before use.
        generation.blocks.push_back(std::unique_ptr<std::byte[]>(new std::byte[kBlockBytes]));
        const std::byte* start = generation.blocks.back().get();
        blockIndex.insert(std::upper_bound(blockIndex.begin(), blockIndex.end(), start,
                                           [](const std::byte* address, const BlockEntry& entry) {
                                               return address < entry.start;
                                           }),
                          BlockEntry{start, &generation});
        generation.usedInLastBlock = 0;
    }
    void* memory = generation.blocks.back().get() + generation.usedInLastBlock;
    generation.usedInLastBlock += size;
    ++generation.liveObjects;
    return memory;
}

ObjectArena::Generation* ObjectArena::generationOf(const void* cell) const
{
    const auto* address = static_cast<const std::byte*>(cell);
    const auto after = std::upper_bound(
        blockIndex.begin(), blockIndex.end(), address,
        [](const std::byte* wanted, const BlockEntry& entry) { return wanted < entry.start; });
    return std::prev(after)->generation;
}

void ObjectArena::dropBlocks(Generation& generation)
{
    blockIndex.erase(std::remove_if(blockIndex.begin(), blockIndex.end(),
                                    [&generation](const BlockEntry& entry) {
                                        return entry.generation == &generation;
                                    }),
                     blockIndex.end());
    generation.blocks.clear();
}

void ObjectArena::release(void* memory, std::size_t bytes)
{
    if (!memory)
        return;
    const std::size_t size = roundedSize(bytes);
    if (size > kLargestSize) {
        ::operator delete(memory);
        return;
    }
    instance().releaseCell(memory, size);
}

void ObjectArena::releaseCell(void* memory, std::size_t size)
{
    const std::lock_guard<std::mutex> guard(lock);
    Generation* generation = generationOf(memory);
    if (--generation->liveObjects == 0) {
        dropBlocks(*generation);
        if (generation == current.get()) {
            *current = Generation();
        } else {
            older.erase(std::find_if(older.begin(), older.end(),
                                     [generation](const std::unique_ptr<Generation>& kept) {
                                         return kept.get() == generation;
                                     }));
        }
        return;
    }
    FreeCell*& reusable = generation->freeCells[size / kAlignment];
    reusable = new (memory) FreeCell{reusable};
}

void ObjectArena::startGeneration()
{
    ObjectArena& arena = instance();
    const std::lock_guard<std::mutex> guard(arena.lock);
    if (arena.current->liveObjects == 0)
        return;
    arena.older.push_back(std::move(arena.current));
    arena.current = std::make_unique<Generation>();
}

void ObjectArena::tuneProcessAllocator()
{
#ifdef __GLIBC__
    // Each load frees the previous file's objects: millions of small blocks. With glibc's fast
    // bins they pile up unmerged and are merged later in long passes over memory that has left the
    // cache; without them each block is merged as it is freed, while its neighbours are at hand.
    mallopt(M_MXFAST, 0);
#endif
}
