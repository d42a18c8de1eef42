#include "storage/cellpool.h"

#include <algorithm>
#include <new>
#include <utility>

namespace
{

constexpr std::size_t kCellAlignment = alignof(std::max_align_t);

} // namespace

// Every cell is aligned as new would align it and holds at least a free-list link.
CellPool::CellPool(std::size_t cellBytes)
    : cellBytes((std::max(cellBytes, sizeof(FreeCell)) + kCellAlignment - 1) / kCellAlignment *
                kCellAlignment)
{
}

void* CellPool::allocate()
{
    ++live;
    if (freeCells)
        return std::exchange(freeCells, freeCells->next);
    if (usedInLastBlock + cellBytes > kBlockBytes) {
        blocks.push_back(std::unique_ptr<std::byte[]>(new std::byte[kBlockBytes]));
        usedInLastBlock = 0;
    }
    void* cell = blocks.back().get() + usedInLastBlock;
    usedInLastBlock += cellBytes;
    return cell;
}

void CellPool::release(void* cell)
{
    if (--live == 0) {
        blocks.clear();
        usedInLastBlock = kBlockBytes;
        freeCells = nullptr;
        return;
    }
    freeCells = new (cell) FreeCell{freeCells};
}
