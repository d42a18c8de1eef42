#include "storage/objectarena.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <new>

#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace
{
// The calling thread's own generation (ObjectArena::ThreadGeneration), or null.
thread_local void* threadGeneration = nullptr;
// The calling thread's cells released under an ObjectArena::ReleaseBatch, or null.
thread_local void* pendingReleases = nullptr;
} // namespace

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
    if (threadGeneration)
        return instance().allocateOwnCell(*static_cast<Generation*>(threadGeneration), size);
    return instance().allocateCell(size);
}

void* ObjectArena::takeCell(Generation& generation, std::size_t size)
{
    FreeCell*& reusable = generation.freeCells[size / kAlignment];
    if (reusable) {
        FreeCell* cell = reusable;
        reusable = cell->next;
        ++generation.liveObjects;
        return cell;
    }
    if (generation.usedInLastBlock + size > kBlockBytes)
        return nullptr;
    std::byte* const memory = generation.blocks.back().get() + generation.usedInLastBlock;
    generation.usedInLastBlock += size;
    // The cells made next are written before long: their cache lines are asked for now, for
    // writing, so that the stores that fill them do not wait for memory.
    if (generation.usedInLastBlock + kWriteAhead < kBlockBytes)
        __builtin_prefetch(memory + size + kWriteAhead, 1);
    ++generation.liveObjects;
    return memory;
}

// The arena's lock is taken only for a new block (once per block), to list it.
void* ObjectArena::allocateOwnCell(Generation& generation, std::size_t size)
{
    if (void* cell = takeCell(generation, size))
        return cell;
    {
        const std::lock_guard<std::mutex> guard(lock);
        addBlock(generation);
    }
    return takeCell(generation, size);
}

void* ObjectArena::allocateCell(std::size_t size)
{
    const std::lock_guard<std::mutex> guard(lock);
    Generation& generation = *current;
    if (void* cell = takeCell(generation, size))
        return cell;
    addBlock(generation);
    return takeCell(generation, size);
}

// A spare block if there is one, else a new one. Not zeroed: every object is constructed in place
// before use.
void ObjectArena::addBlock(Generation& generation)
{
    generation.blocks.reserve(generation.blocks.size() + 1);
    blockIndex.reserve(blockIndex.size() + 1);
    Block block;
    if (spareBlocks.empty()) {
        block = newBlock();
    } else {
        block = std::move(spareBlocks.back());
        spareBlocks.pop_back();
    }
    const std::byte* start = block.get();
    blockIndex.insert(std::upper_bound(blockIndex.begin(), blockIndex.end(), start,
                                       [](const std::byte* address, const BlockEntry& entry) {
                                           return address < entry.start;
                                       }),
                      BlockEntry{start, &generation});
    generation.blocks.push_back(std::move(block));
    generation.usedInLastBlock = 0;
}

void ObjectArena::giveBackSpareBlocks()
{
    ObjectArena& arena = instance();
    std::vector<Block> spare;
    {
        const std::lock_guard<std::mutex> guard(arena.lock);
        spare.swap(arena.spareBlocks);
    }
}

// Mapped on its own rather than taken from the general allocator, so that it can be given the
// system's huge pages and goes back to the system as soon as it is freed.
ObjectArena::Block ObjectArena::newBlock()
{
#ifdef __linux__
    // Twice the size is mapped, and what lies outside the aligned block in it is unmapped again.
    void* mapped =
        mmap(nullptr, 2 * kBlockBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    auto* const start = static_cast<std::byte*>(mapped);
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(start);
    auto* const block = start + ((kBlockBytes - address % kBlockBytes) % kBlockBytes);
    if (block != start)
        munmap(start, static_cast<std::size_t>(block - start));
    munmap(block + kBlockBytes,
           static_cast<std::size_t>(start + 2 * kBlockBytes - block) - kBlockBytes);
#ifdef MADV_HUGEPAGE
    madvise(block, kBlockBytes, MADV_HUGEPAGE);
#endif
    return Block(block);
#else
    return Block(static_cast<std::byte*>(::operator new(kBlockBytes)));
#endif
}

void ObjectArena::BlockRelease::operator()(std::byte* block) const noexcept
{
#ifdef __linux__
    munmap(block, kBlockBytes);
#else
    ::operator delete(block);
#endif
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
    // Kept for the next load, up to a limit, rather than handed back and cleared by the system
    // again when the next load asks for memory: a series stepped through frees one drawing while
    // the next takes as much.
    for (Block& block : generation.blocks) {
        if (spareBlocks.size() == kSpareBlocks)
            break;
        spareBlocks.push_back(std::move(block));
    }
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
    if (pendingReleases) {
        auto& pending = *static_cast<PendingCells*>(pendingReleases);
        pending.cells[pending.count++] = {memory, size};
        if (pending.count == kBatchCells)
            instance().releaseCells(pending);
        return;
    }
    instance().releaseCell(memory, size);
}

void ObjectArena::releaseCells(PendingCells& pending)
{
    const std::lock_guard<std::mutex> guard(lock);
    for (std::size_t i = 0; i < pending.count; ++i)
        releaseLockedCell(pending.cells[i].memory, pending.cells[i].size);
    pending.count = 0;
}

// Without the memory for the pending cells, each is put back at once, as without a batch.
ObjectArena::ReleaseBatch::ReleaseBatch()
    : installed(pendingReleases == nullptr &&
                (pendingReleases = new (std::nothrow) PendingCells) != nullptr)
{
}

ObjectArena::ReleaseBatch::~ReleaseBatch()
{
    if (!installed)
        return;
    auto* pending = static_cast<PendingCells*>(pendingReleases);
    pendingReleases = nullptr;
    instance().releaseCells(*pending);
    delete pending;
}

void ObjectArena::releaseCell(void* memory, std::size_t size)
{
    const std::lock_guard<std::mutex> guard(lock);
    releaseLockedCell(memory, size);
}

void ObjectArena::releaseLockedCell(void* memory, std::size_t size)
{
    Generation* generation = generationOf(memory);
    if (generation->attached && generation != threadGeneration) {
        // Its thread is making cells from its lists meanwhile.
        ++generation->releasedElsewhere;
        return;
    }
    if (--generation->liveObjects == 0 && !generation->attached) {
        dropGeneration(*generation);
        return;
    }
    FreeCell*& reusable = generation->freeCells[size / kAlignment];
    reusable = new (memory) FreeCell{reusable};
}

void ObjectArena::dropGeneration(Generation& generation)
{
    dropBlocks(generation);
    if (&generation == current.get()) {
        // Kept, empty, for the cells still to come.
        generation.usedInLastBlock = kBlockBytes;
        std::fill(generation.freeCells.begin(), generation.freeCells.end(), nullptr);
        return;
    }
    older.erase(std::find_if(older.begin(), older.end(),
                             [&generation](const std::unique_ptr<Generation>& kept) {
                                 return kept.get() == &generation;
                             }));
}

ObjectArena::ThreadGeneration::ThreadGeneration()
{
    ObjectArena& arena = instance();
    auto generation = std::make_unique<Generation>();
    generation->attached = true;
    const std::lock_guard<std::mutex> guard(arena.lock);
    arena.older.push_back(std::move(generation));
    threadGeneration = arena.older.back().get();
}

ObjectArena::ThreadGeneration::~ThreadGeneration()
{
    ObjectArena& arena = instance();
    auto* generation = static_cast<Generation*>(threadGeneration);
    threadGeneration = nullptr;
    const std::lock_guard<std::mutex> guard(arena.lock);
    generation->attached = false;
    generation->liveObjects -= generation->releasedElsewhere;
    if (generation->liveObjects == 0)
        arena.dropGeneration(*generation);
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
