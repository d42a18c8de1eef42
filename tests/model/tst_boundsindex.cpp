#include "model/boundsindex.h"
#include "model/paintrectangle.h"

#include <QtTest>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <random>

namespace
{

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kLargest = std::numeric_limits<double>::max();

// Coordinates that stress the grid: its edges, values just beside them, far and odd values.
double coordinate(std::mt19937_64& random)
{
    static const double special[] = {0.0,    -0.0,     1.0,  -1.0,  1e-300, 5e-324, 1e300,
                                     -1e300, kLargest, kInf, -kInf, kNaN,   100.0,  100.0000001};
    if (random() % 3 == 0)
        return special[random() % std::size(special)];
    return std::uniform_real_distribution<double>(-1000.0, 1000.0)(random);
}

// The exact tests that the index must never contradict: corner-wise, NaN never skipped.
bool boxMeets(const paintObject& b, const BoundsIndex::WorldBox& a)
{
    return !((b.maxX < a.minX && b.minX < a.minX) || (b.minX > a.maxX && b.maxX > a.maxX) ||
             (b.maxY < a.minY && b.minY < a.minY) || (b.minY > a.maxY && b.maxY > a.maxY));
}

// As the rubber band picks: both corners, whichever way round; a NaN lies within nothing.
bool boxLiesWithin(const paintObject& b, const BoundsIndex::WorldBox& a)
{
    return BoundsIndex::boxLiesWithin({b.minX, b.minY, b.maxX, b.maxY}, a);
}

// Corner-wise, as a picture shift requires of the objects it moves.
bool boxLiesStrictlyInside(const paintObject& b, const BoundsIndex::WorldBox& a)
{
    const double lowX = std::min(b.minX, b.maxX), highX = std::max(b.minX, b.maxX);
    const double lowY = std::min(b.minY, b.maxY), highY = std::max(b.minY, b.maxY);
    return lowX > a.minX && highX < a.maxX && lowY > a.minY && highY < a.maxY;
}

} // namespace

class TestBoundsIndex : public QObject
{
    Q_OBJECT

private slots:
    // Whatever the boxes and areas, an object that meets or lies within an area exactly is never
    // dropped by the compact test, and one that the compact test puts inside an area surely is
    // inside; the extent is the plain minimum and maximum.
    void neverDropsWhatTheExactTestKeeps_data()
    {
        QTest::addColumn<bool>("plainGrid");
        QTest::newRow("grid over ordinary boxes") << true;
        QTest::newRow("grid stretched by far and odd boxes") << false;
    }

    void neverDropsWhatTheExactTestKeeps()
    {
        QFETCH(bool, plainGrid);
        std::mt19937_64 random(plainGrid ? 7 : 11);
        std::vector<std::unique_ptr<paintRectangle>> owned;
        std::vector<paintObject*> objects;
        BoundsIndex::WorldBox extent{kLargest, kLargest, -kLargest, -kLargest};
        for (int i = 0; i < 400; ++i) {
            auto& rect = owned.emplace_back(std::make_unique<paintRectangle>());
            const auto value = [&] {
                return plainGrid ? std::uniform_real_distribution<double>(-10, 10)(random)
                                 : coordinate(random);
            };
            rect->minX = value();
            rect->minY = value();
            rect->maxX = value();
            rect->maxY = value();
            objects.push_back(rect.get());
            extent = {std::min(extent.minX, rect->minX), std::min(extent.minY, rect->minY),
                      std::max(extent.maxX, rect->maxX), std::max(extent.maxY, rect->maxY)};
        }
        BoundsIndex index;
        index.rebuild(objects);
        QCOMPARE(index.size(), objects.size());
        QCOMPARE(index.extent().minX, extent.minX);
        QCOMPARE(index.extent().maxY, extent.maxY);
        for (int round = 0; round < 400; ++round) {
            BoundsIndex::WorldBox area{coordinate(random), coordinate(random), coordinate(random),
                                       coordinate(random)};
            // Areas whose edges are some box's corners exactly, where rounding matters most.
            if (round % 2 == 0) {
                const paintObject* a = objects[random() % objects.size()];
                const paintObject* b = objects[random() % objects.size()];
                area = {a->minX, a->minY, b->maxX, b->maxY};
            }
            const BoundsIndex::Cells meet = index.meetQuery(area);
            const BoundsIndex::Cells within = index.withinQuery(area);
            const BoundsIndex::Cells surelyInside = index.insideQuery(area);
            for (std::size_t i = 0; i < objects.size(); ++i) {
                if (boxMeets(*objects[i], area))
                    QVERIFY(BoundsIndex::mayMeet(index.cells()[i], meet));
                if (boxLiesWithin(*objects[i], area))
                    QVERIFY(BoundsIndex::mayLieWithin(index.cells()[i], within));
                if (BoundsIndex::mayLieWithin(index.cells()[i], surelyInside))
                    QVERIFY(boxLiesStrictlyInside(*objects[i], area));
            }
        }
    }

    // A drawing large enough to be indexed on several threads gets the cells that each box gets
    // on one (an index of the box alone with the boxes that set the grid), at the ranges' edges
    // too; a NaN corner in the last range still makes the corner extent NaN.
    void cellsDoNotDependOnTheThreadsThatReadThem()
    {
        std::mt19937_64 random(3);
        std::uniform_real_distribution<double> place(-50.0, 50.0);
        const std::size_t count = 3 * BoundsIndex::kObjectsPerThread + 7;
        std::vector<paintRectangle> rects(count);
        std::vector<paintObject*> objects;
        for (paintRectangle& rect : rects) {
            rect.minX = place(random);
            rect.minY = place(random);
            rect.maxX = place(random);
            rect.maxY = place(random);
            objects.push_back(&rect);
        }
        rects[0].minX = rects[0].minY = -100.0;
        rects[0].maxX = rects[0].maxY = 100.0;
        BoundsIndex index;
        index.rebuild(objects);
        QCOMPARE(index.cornerExtent().minX, -100.0);
        QCOMPARE(index.cornerExtent().maxY, 100.0);
        const auto sameCells = [](const BoundsIndex::Cells& a, const BoundsIndex::Cells& b) {
            return a.lowX == b.lowX && a.lowY == b.lowY && a.highX == b.highX && a.highY == b.highY;
        };
        for (std::size_t i = 1; i < count; i += 1 + random() % 3000) {
            // The edges of the ranges on two and on three threads.
            for (const std::size_t at : {i, count / 3 - 1, count / 3, count / 2 - 1, count / 2,
                                         2 * count / 3 - 1, 2 * count / 3, count - 1}) {
                BoundsIndex alone;
                alone.rebuild({objects[0], objects[at]});
                QVERIFY(sameCells(index.cells()[at], alone.cells()[1]));
            }
        }
        rects[count - 2].maxY = kNaN;
        index.rebuild(objects);
        QVERIFY(std::isnan(index.cornerExtent().minX));
    }

    // Collecting through the tiles finds exactly what testing every box finds, in load order,
    // within the range asked for: small boxes with a few large, inverted and NaN ones among them,
    // areas of every size, single and several at once, with and without a stop flag.
    void collectsWhatEveryBoxTestFinds()
    {
        std::mt19937_64 random(5);
        std::uniform_real_distribution<double> place(0.0, 1000.0), size(0.0, 3.0);
        std::vector<std::unique_ptr<paintRectangle>> owned;
        std::vector<paintObject*> objects;
        for (int i = 0; i < 20000; ++i) {
            auto& rect = owned.emplace_back(std::make_unique<paintRectangle>());
            rect->minX = place(random);
            rect->minY = place(random);
            rect->maxX = rect->minX + size(random);
            rect->maxY = rect->minY + size(random);
            if (i % 997 == 0)
                rect->maxX = rect->minX + 400.0;
            if (i % 1999 == 0)
                std::swap(rect->minY, rect->maxY);
            if (i % 4001 == 0)
                rect->minX = kNaN;
            objects.push_back(rect.get());
        }
        BoundsIndex index;
        index.rebuild(objects);
        std::vector<std::size_t> found;
        std::vector<std::uint64_t> marks;
        for (int round = 0; round < 60; ++round) {
            std::vector<BoundsIndex::Cells> queries;
            for (int area = 0; area <= round % 3; ++area) {
                const double x = place(random), y = place(random);
                const double side = round % 4 == 0 ? 600.0 : 2.0 + place(random) / 20.0;
                queries.push_back(index.meetQuery({x, y, x + side, y + side / 2}));
            }
            const std::size_t from = round % 5 == 0 ? 0 : random() % 10000;
            const std::size_t to = round % 5 == 0 ? objects.size() : from + random() % 10000;
            std::vector<std::size_t> expected;
            for (std::size_t i = from; i < to; ++i) {
                if (std::any_of(queries.begin(), queries.end(), [&](const auto& query) {
                        return BoundsIndex::mayMeet(index.cells()[i], query);
                    }))
                    expected.push_back(i);
            }
            // A collection asked to stop gives part of the answer at most, and leaves the
            // scratch marks fit for the next; one that is not asked to gives all of it.
            const std::atomic<bool> stop{round % 3 == 0};
            if (stop) {
                index.collectMayMeet(queries, from, to, found, marks, &stop);
                QVERIFY(
                    std::includes(expected.begin(), expected.end(), found.begin(), found.end()));
            }
            const std::atomic<bool> goOn{false};
            index.collectMayMeet(queries, from, to, found, marks, round % 2 ? &goOn : nullptr);
            QCOMPARE(found, expected);
        }
    }

    // The compact test must also be selective, or every scan visits every object.
    void dropsBoxesFarFromTheArea()
    {
        std::vector<std::unique_ptr<paintRectangle>> owned;
        std::vector<paintObject*> objects;
        for (int i = 0; i < 100; ++i) {
            auto& rect = owned.emplace_back(std::make_unique<paintRectangle>());
            rect->minX = rect->minY = i * 10.0;
            rect->maxX = rect->maxY = i * 10.0 + 1.0;
            objects.push_back(rect.get());
        }
        BoundsIndex index;
        index.rebuild(objects);
        const BoundsIndex::WorldBox area{0.0, 0.0, 25.0, 25.0};
        int meeting = 0, within = 0, surelyInside = 0;
        for (std::size_t i = 0; i < objects.size(); ++i) {
            meeting += BoundsIndex::mayMeet(index.cells()[i], index.meetQuery(area));
            within += BoundsIndex::mayLieWithin(index.cells()[i], index.withinQuery(area));
            surelyInside += BoundsIndex::mayLieWithin(index.cells()[i], index.insideQuery(area));
        }
        QCOMPARE(meeting, 3);
        QCOMPARE(within, 3);
        QCOMPARE(surelyInside, 2);
    }
};

QTEST_MAIN(TestBoundsIndex)
#include "tst_boundsindex.moc"
