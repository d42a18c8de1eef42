#include "storage/cellpool.h"

#include <algorithm>
#include <new>
#include <utility>

namespace
{

constexpr std::size_t kCellAlignment = alignof(std::max_align_t);

} // namespace

// Every cell is aligned as new would align it and holds at least a free-list link; a block holds
// at least one cell.
CellPool::CellPool(std::size_t cellBytes)
    : cellBytes((std::max(cellBytes, sizeof(FreeCell)) + kCellAlignment - 1) / kCellAlignment *
                kCellAlignment),
      blockBytes(std::max(kBlockBytes, this->cellBytes)), usedInLastBlock(blockBytes)
{
}

void* CellPool::allocate()
{
    if (freeCells) {
        ++live;
        return std::exchange(freeCells, freeCells->next);
    }
    if (usedInLastBlock + cellBytes > blockBytes) {
        blocks.push_back(std::unique_ptr<std::byte[]>(new std::byte[blockBytes]));
        usedInLastBlock = 0;
    }
    void* cell = blocks.back().get() + usedInLastBlock;
    usedInLastBlock += cellBytes;
    ++live;
    return cell;
}

void CellPool::release(void* cell)
{
    if (--live == 0) {
        blocks.clear();
        usedInLastBlock = blockBytes;
        freeCells = nullptr;
        return;
    }
    freeCells = new (cell) FreeCell{freeCells};
}
