#include "model/changeset.h"

#include <QtTest>

using Indices = std::vector<std::size_t>;
Q_DECLARE_METATYPE(ChangeSet::Hashes)
// Indices is ChangeSet::Hashes where size_t is 64 bits wide.
static_assert(std::is_same_v<Indices, ChangeSet::Hashes>);

class TestChangeSet : public QObject
{
    Q_OBJECT

private slots:
    void comparesAsMultisets_data();
    void comparesAsMultisets();
};

void TestChangeSet::comparesAsMultisets_data()
{
    QTest::addColumn<ChangeSet::Hashes>("before");
    QTest::addColumn<ChangeSet::Hashes>("after");
    QTest::addColumn<Indices>("removed");
    QTest::addColumn<Indices>("added");
    QTest::newRow("same") << ChangeSet::Hashes{1, 2, 3} << ChangeSet::Hashes{1, 2, 3} << Indices{}
                          << Indices{};
    QTest::newRow("reordered") << ChangeSet::Hashes{1, 2, 3} << ChangeSet::Hashes{3, 1, 2}
                               << Indices{} << Indices{};
    QTest::newRow("a repeat more")
        << ChangeSet::Hashes{5, 7, 5} << ChangeSet::Hashes{5, 5, 7, 5} << Indices{} << Indices{3};
    QTest::newRow("a repeat fewer")
        << ChangeSet::Hashes{5, 7, 5, 5} << ChangeSet::Hashes{7, 5} << Indices{2, 3} << Indices{};
    QTest::newRow("replaced") << ChangeSet::Hashes{1, 2, 3} << ChangeSet::Hashes{1, 9, 3}
                              << Indices{1} << Indices{1};
    QTest::newRow("removed, then added back")
        << ChangeSet::Hashes{4, 8} << ChangeSet::Hashes{8, 4, 4} << Indices{} << Indices{2};
    QTest::newRow("from nothing") << ChangeSet::Hashes{} << ChangeSet::Hashes{6, 6} << Indices{}
                                  << Indices{0, 1};
    QTest::newRow("to nothing") << ChangeSet::Hashes{6, 2} << ChangeSet::Hashes{} << Indices{0, 1}
                                << Indices{};
}

void TestChangeSet::comparesAsMultisets()
{
    QFETCH(ChangeSet::Hashes, before);
    QFETCH(ChangeSet::Hashes, after);
    QFETCH(Indices, removed);
    QFETCH(Indices, added);
    Indices actualRemoved{99}, actualAdded{99};
    ChangeSet::compare(before, after, actualRemoved, actualAdded);
    QCOMPARE(actualRemoved, removed);
    QCOMPARE(actualAdded, added);
}

QTEST_MAIN(TestChangeSet)
#include "tst_changeset.moc"
