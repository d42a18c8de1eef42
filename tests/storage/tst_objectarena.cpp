#include "storage/objectarena.h"

#include <QtTest>

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
    QTest::newRow("each cell put back at once") << false;
    // As the release thread frees a replaced drawing: the cells go back thousands at a time.
    QTest::newRow("cells put back in batches") << true;
}

// As a load in the background does: one thread makes a new generation's cells while another
// frees the previous generation's and makes a few of its own. Every cell keeps what was written
// into it; under ThreadSanitizer, an arena without its lock fails here.
void TestObjectArena::generationsShareTheArenaAcrossThreads()
{
    QFETCH(bool, batched);
    constexpr int kCells = 60000;
    std::vector<Cell> previous;
    for (int i = 0; i < kCells; ++i)
        previous.push_back(makeCell(8 + 8 * (i % 40), 0x11));
    ObjectArena::startGeneration();

    std::vector<Cell> loaded;
    std::thread loader([&loaded] {
        for (int i = 0; i < kCells; ++i)
            loaded.push_back(makeCell(16 + 8 * (i % 30), 0x22));
    });
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
