#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// Cells of one size for many small objects that come and go together, as the entries of one
// listing do: a listing of ten million entries makes ten million allocations, and emptying it
// frees them all at once. Taken from large blocks without the general allocator's per-cell
// header and bookkeeping; freed cells are reused, and the blocks go back when the last cell is
// freed. For one thread only.
class CellPool
{
public:
    explicit CellPool(std::size_t cellBytes);

    void* allocate();
    void release(void* cell);
    std::size_t liveCells() const { return live; }

private:
    static constexpr std::size_t kBlockBytes = std::size_t(1) << 16;

    struct FreeCell {
        FreeCell* next;
    };

    const std::size_t cellBytes;
    const std::size_t blockBytes;
    std::vector<std::unique_ptr<std::byte[]>> blocks;
    std::size_t usedInLastBlock;
    FreeCell* freeCells = nullptr;
    std::size_t live = 0;
};
