#include "model/textkeyedtable.h"

#include <QtTest>

#include <string>

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
        for (std::size_t i = 0; i < keys.size(); ++i) {
            QVERIFY(!table.find(keys[i].first, keys[i].second));
            table.insert(keys[i].first, keys[i].second, static_cast<int>(i));
        }
        // Full: what comes now is not kept, and what was kept stays.
        table.insert(nullptr, "late", -1);
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

    // A text too long to keep is left to be parsed each time.
    void doesNotKeepLongTexts()
    {
        TextKeyedTable<int> table(8);
        const std::string longest(TextKeyedTable<int>::kLongestText, 'a');
        table.insert(nullptr, longest, 1);
        table.insert(nullptr, longest + "a", 2);
        QVERIFY(table.find(nullptr, longest));
        QVERIFY(!table.find(nullptr, longest + "a"));
    }
};

QTEST_MAIN(TestTextKeyedTable)
#include "tst_textkeyedtable.moc"
