#include "storage/textkeyedtable.h"

#include <QtTest>

#include <string>

namespace
{

// What a user of the table does with a text it comes across: look for it, and offer its value
// when it is not there.
void sight(TextKeyedTable<int>& table, const void* context, const std::string& text, int value)
{
    if (!table.find(context, text) && table.admits(context, text))
        table.insert(context, text, value);
}

} // namespace

class TestTextKeyedTable : public QObject
{
    Q_OBJECT

private slots:
    // Every stored text finds its own value, however the texts resemble each other: equal heads
    // with different tails, equal texts under different contexts, the empty text, a full table.
    void findsExactlyWhatWasStored()
    {
        constexpr std::uint32_t kCapacity = 3000;
        TextKeyedTable<int> table(kCapacity);
        const std::string head(40, 'x');
        int contexts[2];
        std::vector<std::pair<const void*, std::string>> keys;
        keys.emplace_back(nullptr, "");
        for (int i = 0; keys.size() < kCapacity; ++i) {
            keys.emplace_back(&contexts[i % 2], head + std::to_string(i / 2));
            keys.emplace_back(nullptr, std::to_string(i));
        }
        keys.resize(kCapacity);
        // Each text comes twice: remembered the first time, stored the second.
        for (std::size_t i = 0; i < keys.size(); ++i) {
            for (int sighting = 0; sighting < 2; ++sighting) {
                QVERIFY(!table.find(keys[i].first, keys[i].second));
                sight(table, keys[i].first, keys[i].second, static_cast<int>(i));
            }
        }
        // Full: what comes now is not kept, and what was kept stays.
        QVERIFY(table.full());
        sight(table, nullptr, "late", -1);
        sight(table, nullptr, "late", -1);
        QVERIFY(!table.find(nullptr, "late"));
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const int* found = table.find(keys[i].first, keys[i].second);
            QVERIFY(found);
            QCOMPARE(*found, static_cast<int>(i));
        }
        QVERIFY(!table.find(&contexts[1], head + "0x"));
        table.clear();
        QVERIFY(!table.find(keys[1].first, keys[1].second));
    }

    // Only texts that come back are stored: a stream of texts seen once (a cell's own name) leaves
    // the room to the texts that repeat.
    void keepsOnlyTextsThatRepeat()
    {
        TextKeyedTable<int> table(4);
        sight(table, nullptr, "net a", 1);
        QVERIFY(!table.find(nullptr, "net a"));
        for (int i = 0; i < 100000; ++i) {
            sight(table, nullptr, "cell u" + std::to_string(i), i);
            if (i % 1000 == 0)
                sight(table, nullptr, "net b", 2);
        }
        QVERIFY(table.find(nullptr, "net b"));
        for (int i = 0; i < 100000; i += 997)
            QVERIFY(!table.find(nullptr, "cell u" + std::to_string(i)));
        // The one-off texts left room: a text that comes back now is still stored.
        sight(table, nullptr, "net a", 1);
        sight(table, nullptr, "net a", 1);
        QVERIFY(table.find(nullptr, "net a"));
        QCOMPARE(*table.find(nullptr, "net a"), 1);
    }

    // Texts that keep coming back in the same order are all stored in the end, even more of them
    // than there are places to remember sightings: texts that share a place must not keep taking
    // it from each other.
    void storesTextsThatComeBackInTurn()
    {
        constexpr int kTexts = 20000;
        TextKeyedTable<int> table(65536);
        int stored = 0;
        for (int round = 0; round < 12 && stored < kTexts; ++round) {
            for (int i = 0; i < kTexts; ++i)
                sight(table, nullptr, "net n" + std::to_string(i), i);
            stored = 0;
            for (int i = 0; i < kTexts; ++i)
                stored += table.find(nullptr, "net n" + std::to_string(i)) != nullptr ? 1 : 0;
        }
        QCOMPARE(stored, kTexts);
    }

    // A text too long to keep is left to be parsed each time.
    void doesNotKeepLongTexts()
    {
        TextKeyedTable<int> table(8);
        const std::string longest(TextKeyedTable<int>::kLongestText, 'a');
        for (int sighting = 0; sighting < 2; ++sighting) {
            sight(table, nullptr, longest, 1);
            sight(table, nullptr, longest + "a", 2);
        }
        QVERIFY(table.find(nullptr, longest));
        QVERIFY(!table.find(nullptr, longest + "a"));
    }
};

QTEST_MAIN(TestTextKeyedTable)
#include "tst_textkeyedtable.moc"
