#include "storage/objectarena.h"

#include <algorithm>
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
    ObjectArena& arena = instance();
    ++arena.liveObjects;
    FreeCell*& reusable = arena.freeCells[size / kAlignment];
    if (reusable) {
        FreeCell* cell = reusable;
        reusable = cell->next;
        return cell;
    }
    if (arena.usedInLastBlock + size > kBlockBytes) {
        // Not zeroed: every object is constructed in place before use.
        arena.blocks.push_back(std::unique_ptr<std::byte[]>(new std::byte[kBlockBytes]));
        arena.usedInLastBlock = 0;
    }
    void* memory = arena.blocks.back().get() + arena.usedInLastBlock;
    arena.usedInLastBlock += size;
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
    ObjectArena& arena = instance();
    if (--arena.liveObjects == 0) {
        arena.blocks.clear();
        arena.usedInLastBlock = kBlockBytes;
        std::fill(arena.freeCells.begin(), arena.freeCells.end(), nullptr);
        return;
    }
    FreeCell*& reusable = arena.freeCells[size / kAlignment];
    reusable = new (memory) FreeCell{reusable};
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
