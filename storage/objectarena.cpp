#include "storage/objectarena.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
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

void ObjectArena::BlockFree::operator()(std::byte* block) const
{
    std::free(block);
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
    if (generation.usedInLastBlock + size > kCellBytes) {
        // Not zeroed: every object is constructed in place before use.
        auto* block = static_cast<std::byte*>(std::aligned_alloc(kBlockBytes, kBlockBytes));
        if (!block)
            throw std::bad_alloc();
        generation.blocks.emplace_back(block);
        new (block + kCellBytes) BlockHeader{&generation};
        generation.usedInLastBlock = 0;
    }
    void* memory = generation.blocks.back().get() + generation.usedInLastBlock;
    generation.usedInLastBlock += size;
    ++generation.liveObjects;
    return memory;
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
    const auto blockStart = reinterpret_cast<std::uintptr_t>(memory) & ~(kBlockBytes - 1);
    Generation* generation = reinterpret_cast<BlockHeader*>(blockStart + kCellBytes)->generation;
    if (--generation->liveObjects == 0) {
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
