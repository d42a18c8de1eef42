#include "storage/sharedrecordparts.h"

#include <QtTest>

#include <optional>
#include <string>

using PropertyMap = SharedRecordParts::PropertyMap;
// A record's search or pair text, or none.
using Text = std::optional<std::string>;

namespace
{

// What a record ends up with, and how many of its parts had to be made rather than shared.
struct Outcome {
    QStringList searches{QStringLiteral("as before")};
    PropertyMap properties;
    int made = 0;
};

QString latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// One record through the three steps, its pairs deferred as the geometry reader meets them.
Outcome readRecord(const PropertyMap& defaults, const Text& searchText, const Text& pairText)
{
    SharedRecordParts& parts = SharedRecordParts::instance();
    parts.beginRecord(defaults,
                      searchText ? std::optional<std::string_view>(*searchText) : std::nullopt);
    if (pairText)
        parts.deferPairs(*pairText);
    parts.fetchEntries();
    Outcome outcome;
    parts.finishRecord(
        outcome.searches, outcome.properties,
        [&outcome](std::string_view text) {
            ++outcome.made;
            return latin1(text).split(QLatin1Char('#'));
        },
        [&outcome](std::string_view text, PropertyMap& into) {
            ++outcome.made;
            into.insert(QStringLiteral("pairs"), latin1(text));
        });
    return outcome;
}

} // namespace

class TestSharedRecordParts : public QObject
{
    Q_OBJECT

private slots:
    void init() { SharedRecordParts::instance().clear(); }

    // A record's parts are the same whether made or shared; they are shared from their text's
    // third sighting on, kept apart by the type's defaults, and nothing of one record carries
    // over into the next.
    void repeatedRecordsShareTheirParts_data()
    {
        QTest::addColumn<Text>("searchText");
        QTest::addColumn<Text>("pairText");
        QTest::addColumn<QStringList>("searches");
        // What the pairs add to the defaults; null for nothing.
        QTest::addColumn<QString>("pairs");
        QTest::addColumn<bool>("kept");

        const QStringList asBefore{QStringLiteral("as before")};
        const QStringList split{QStringLiteral("q"), QStringLiteral("r")};
        QTest::newRow("neither") << Text() << Text() << asBefore << QString() << true;
        QTest::newRow("searches") << Text("q#r") << Text() << split << QString() << true;
        QTest::newRow("pairs") << Text() << Text(" a b") << asBefore << QStringLiteral(" a b")
                               << true;
        QTest::newRow("both, empty pairs")
            << Text("q#r") << Text("") << split << QString(QLatin1String("")) << true;
        const std::string tooLong(300, 'x');
        QTest::newRow("pairs too long to keep")
            << Text() << Text(tooLong) << asBefore << QString::fromStdString(tooLong) << false;
    }
    void repeatedRecordsShareTheirParts()
    {
        QFETCH(Text, searchText);
        QFETCH(Text, pairText);
        QFETCH(QStringList, searches);
        QFETCH(QString, pairs);
        QFETCH(bool, kept);

        const PropertyMap pointDefaults{{QStringLiteral("w"), QStringLiteral("1")}};
        const PropertyMap lineDefaults{{QStringLiteral("w"), QStringLiteral("2")}};
        PropertyMap properties = pointDefaults;
        if (!pairs.isNull())
            properties.insert(QStringLiteral("pairs"), pairs);
        const int parts = int(searchText.has_value()) + int(pairText.has_value());
        for (int sighting = 1; sighting <= 4; ++sighting) {
            // Another record in between, with both texts, that the next must not inherit.
            readRecord(lineDefaults, Text("z"), Text(" c d"));
            const Outcome outcome = readRecord(pointDefaults, searchText, pairText);
            QCOMPARE(outcome.searches, searches);
            QCOMPARE(outcome.properties, properties);
            QCOMPARE(outcome.made, sighting <= 2 || !kept ? parts : 0);
        }
        // The same pair text under other defaults is another record's.
        const Outcome line = readRecord(lineDefaults, searchText, pairText);
        QCOMPARE(line.properties.value(QStringLiteral("w")), QStringLiteral("2"));
        QCOMPARE(line.made, int(pairText.has_value()));
        // Forgotten, everything is made anew.
        SharedRecordParts::instance().clear();
        QCOMPARE(readRecord(pointDefaults, searchText, pairText).made, parts);
    }

    // Pairs are deferred only while a record's geometry is read.
    void pairsAreDeferredOnlyWithinARecord()
    {
        SharedRecordParts& parts = SharedRecordParts::instance();
        QVERIFY(!parts.deferPairs(" a b"));
        const PropertyMap defaults;
        parts.beginRecord(defaults, std::nullopt);
        QVERIFY(parts.deferPairs(" a b"));
        parts.fetchEntries();
        QVERIFY(!parts.deferPairs(" a b"));
    }
};

QTEST_MAIN(TestSharedRecordParts)
#include "tst_sharedrecordparts.moc"
