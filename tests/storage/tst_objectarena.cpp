#include "storage/objectarena.h"

#include <QtTest>

#include <atomic>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

namespace
{

// A cell of the given size filled with its own mark, so that a cell handed out twice, or written
// by a neighbour, shows.
struct Cell {
    void* memory;
    std::size_t bytes;
    unsigned char mark;
};

Cell makeCell(std::size_t bytes, unsigned char mark)
{
    Cell cell{ObjectArena::allocate(bytes), bytes, mark};
    std::memset(cell.memory, mark, bytes);
    return cell;
}

bool intact(const Cell& cell)
{
    const auto* bytes = static_cast<const unsigned char*>(cell.memory);
    for (std::size_t i = 0; i < cell.bytes; ++i) {
        if (bytes[i] != cell.mark)
            return false;
    }
    return true;
}

} // namespace

class TestObjectArena : public QObject
{
    Q_OBJECT

private slots:
    void generationsShareTheArenaAcrossThreads_data();
    void generationsShareTheArenaAcrossThreads();
};

void TestObjectArena::generationsShareTheArenaAcrossThreads_data()
{
    QTest::addColumn<bool>("batched");
    QTest::addColumn<bool>("ownGeneration");
    QTest::newRow("each cell put back at once") << false << false;
    // As the release thread frees a replaced drawing: the cells go back thousands at a time.
    QTest::newRow("cells put back in batches") << true << false;
    // As a loading thread does, which takes cells without a lock while others may free some.
    QTest::newRow("cells made in a thread's own generation") << false << true;
}

// As a load in the background does: one thread makes a new generation's cells while another
// frees the previous generation's and makes a few of its own. Every cell keeps what was written
// into it; under ThreadSanitizer, an arena without its lock fails here.
void TestObjectArena::generationsShareTheArenaAcrossThreads()
{
    QFETCH(bool, batched);
    QFETCH(bool, ownGeneration);
    constexpr int kCells = 60000;
    std::vector<Cell> previous;
    for (int i = 0; i < kCells; ++i)
        previous.push_back(makeCell(8 + 8 * (i % 40), 0x11));
    ObjectArena::startGeneration();

    // With a generation of its own, the loader's first half is freed here while it makes the
    // second.
    std::vector<Cell> loaded(kCells);
    std::atomic<bool> halfMade{false};
    std::thread loader([&loaded, &halfMade, ownGeneration] {
        std::optional<ObjectArena::ThreadGeneration> own;
        if (ownGeneration)
            own.emplace();
        for (int i = 0; i < kCells; ++i) {
            loaded[i] = makeCell(16 + 8 * (i % 30), 0x22);
            if (i % 7 == 0) {
                ObjectArena::release(loaded[i].memory, loaded[i].bytes);
                loaded[i] = makeCell(16, 0x22);
            }
            if (i == kCells / 2)
                halfMade.store(true, std::memory_order_release);
        }
    });
    std::size_t freedEarly = 0;
    if (ownGeneration) {
        while (!halfMade.load(std::memory_order_acquire))
            std::this_thread::yield();
        for (; freedEarly < kCells / 2; ++freedEarly)
            ObjectArena::release(loaded[freedEarly].memory, loaded[freedEarly].bytes);
    }
    std::vector<Cell> made;
    {
        std::optional<ObjectArena::ReleaseBatch> batch;
        if (batched)
            batch.emplace();
        for (int i = 0; i < kCells; ++i) {
            QVERIFY(intact(previous[i]));
            ObjectArena::release(previous[i].memory, previous[i].bytes);
            if (i % 4 == 0)
                made.push_back(makeCell(24, 0x33));
        }
    }
    loader.join();
    loaded.erase(loaded.begin(), loaded.begin() + static_cast<std::ptrdiff_t>(freedEarly));
    for (const Cell& cell : loaded)
        QVERIFY(intact(cell));
    for (const Cell& cell : made)
        QVERIFY(intact(cell));
    for (const std::vector<Cell>* cells : {&loaded, &made}) {
        for (const Cell& cell : *cells)
            ObjectArena::release(cell.memory, cell.bytes);
    }
}

QTEST_APPLESS_MAIN(TestObjectArena)
#include "tst_objectarena.moc"
