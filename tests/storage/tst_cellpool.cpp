#include "storage/cellpool.h"

#include <QtTest>

#include <cstdint>
#include <cstring>
#include <vector>

class TestCellPool : public QObject
{
    Q_OBJECT

private slots:
    void cellsNeverOverlapAcrossReuse_data();
    void cellsNeverOverlapAcrossReuse();
};

void TestCellPool::cellsNeverOverlapAcrossReuse_data()
{
    QTest::addColumn<int>("cellBytes");
    QTest::addColumn<int>("cellCount");
    QTest::newRow("many cells a block") << 40 << 20000;
    QTest::newRow("cells larger than a block") << 100000 << 8;
}

// Cells are marked with their index: a cell handed out twice, or overlapping a neighbour, loses
// its mark. Freeing every other cell, then all, then starting again covers reuse from the free
// list and from returned blocks.
void TestCellPool::cellsNeverOverlapAcrossReuse()
{
    QFETCH(int, cellBytes);
    QFETCH(int, cellCount);
    const auto bytes = static_cast<std::size_t>(cellBytes);
    const auto count = static_cast<std::uint32_t>(cellCount);
    CellPool pool(bytes);
    for (int round = 0; round < 2; ++round) {
        std::vector<void*> cells;
        std::size_t misaligned = 0, damaged = 0;
        const auto take = [&cells, &pool, &misaligned, bytes] {
            void* cell = pool.allocate();
            misaligned += reinterpret_cast<std::uintptr_t>(cell) % alignof(std::max_align_t) != 0;
            const auto mark = static_cast<std::uint32_t>(cells.size());
            for (std::size_t at = 0; at + sizeof mark <= bytes; at += sizeof mark)
                std::memcpy(static_cast<char*>(cell) + at, &mark, sizeof mark);
            cells.push_back(cell);
        };
        for (std::uint32_t i = 0; i < count; ++i)
            take();
        for (std::uint32_t i = 0; i < count; i += 2)
            pool.release(cells[i]);
        for (std::uint32_t i = 0; i < count; i += 2)
            cells[i] = nullptr;
        for (std::uint32_t i = 0; i < count / 2; ++i)
            take();
        QCOMPARE(pool.liveCells(), std::size_t(count));
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (!cells[i])
                continue;
            for (std::size_t at = 0; at + 4 <= bytes; at += 4) {
                std::uint32_t mark;
                std::memcpy(&mark, static_cast<const char*>(cells[i]) + at, sizeof mark);
                damaged += mark != i;
            }
        }
        QCOMPARE(misaligned, std::size_t(0));
        QCOMPARE(damaged, std::size_t(0));
        for (void* cell : cells)
            if (cell)
                pool.release(cell);
        QCOMPARE(pool.liveCells(), std::size_t(0));
    }
}

QTEST_APPLESS_MAIN(TestCellPool)
#include "tst_cellpool.moc"
