#include "app/viewerapp.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "script/loadscript.h"
#include "support/testapp.h"

#include <QtTest>

#include <limits>
#include <map>
#include <random>
#include <utility>

namespace
{

// Builds script inputs that put every kind of boundary a block can cut: header statements whose
// words run over lines, blank runs, CRLF, NUL bytes, lines longer than a block, a failing header
// number, no "endheader", no final line feed.
class TextMaker
{
public:
    explicit TextMaker(unsigned seed) : random(seed) {}

    QByteArray make()
    {
        QByteArray text;
        const QByteArray eol = pick({"\n", "\r\n"});
        const auto separator = [&] { return pick({" ", "\t", eol, eol + eol, eol + "  \t"}); };
        for (int i = below(6); i >= 0; --i) {
            QByteArray statement;
            switch (below(4)) {
            case 0:
                // One in twenty colours has a number that cannot be read, ending the load.
                statement = "color " + pick({"c1", "red", "3"}) + separator() + number() +
                            separator() + (below(20) ? number() : "x") + " " + number();
                break;
            case 1:
                // Without its default, the first word of the next line is taken.
                statement = "property " + pick({"pt", "line", "path"}) + separator() +
                            pick({"net", "w"}) + " " + pick({"string", "double"}) +
                            pick({"", separator() + "none", " 1.5"});
                break;
            default:
                statement = pick({"# remark", "version 3", ""});
            }
            text += statement + pick({"", " trailing words"}) + eol;
        }
        if (below(8))
            text += "endheader" + eol;
        for (int i = below(40); i >= 0; --i)
            text += pick({"", "  ", "\t", eol, eol + eol + eol}) + record() + eol;
        if (below(2))
            text.chop(eol.size());
        return text;
    }

private:
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    QByteArray pick(std::initializer_list<QByteArray> choices)
    {
        return choices.begin()[below(static_cast<int>(choices.size()))];
    }
    QByteArray number() { return QByteArray::number(below(300)); }
    QByteArray record()
    {
        const QByteArray position = number() + " " + number();
        switch (below(4)) {
        case 0:
            return "pt " + position + " c1 1 net a !! pt:net==a#q // pin" + QByteArray(1, '\0');
        case 1:
            return "line " + position + " 9 9 red w 2 // " + QByteArray(below(300), 'x');
        case 2:
            return "path 2 " + position + " 1 1 blue net b !! path:net==b";
        default:
            return "unknown " + position;
        }
    }

    std::mt19937 random;
};

QString exact(double value)
{
    return QString::number(value, 'a');
}

// Everything a load leaves behind that the text decides: every object (its kind, geometry and
// properties through its description, its exact box, colour word, related searches, comments),
// each type's list, the bounds index's extent, the record hashes, the file colours and the
// declarations, down to the types that were given an empty set of defaults.
QStringList loadedState(const std::vector<std::uint64_t>& hashes = {})
{
    DrawingModel& model = *DrawingModel::instance();
    QStringList state;
    std::map<const paintObject*, int> indexOf;
    for (const paintObject* object : model.objects) {
        indexOf.emplace(object, static_cast<int>(indexOf.size()));
        state << object->description() + '|' + QString::fromStdString(object->colorName) + '|' +
                     object->relatedSearches.join('#') + '|' + object->comments.join('#') + '|' +
                     exact(object->minX) + exact(object->minY) + exact(object->maxX) +
                     exact(object->maxY);
    }
    for (const auto& [type, list] : model.objectsByType) {
        QString members = QString::fromStdString(type) + ':';
        for (const paintObject* object : list)
            members += QString::number(indexOf.at(object)) + ',';
        state << members;
    }
    const BoundsIndex::WorldBox extent = model.boundsIndex().extent();
    state << exact(extent.minX) + exact(extent.minY) + exact(extent.maxX) + exact(extent.maxY);
    for (const std::uint64_t hash : hashes)
        state << QString::number(hash);
    for (const auto& [name, color] : ViewerApp::instance()->fileColors)
        state << QString::fromStdString(name) + '=' + color.name();
    for (const auto& [type, defaults] : model.propertyDefaults) {
        state << QString::fromStdString(type) + " declared";
        for (auto it = defaults.begin(); it != defaults.end(); ++it)
            state << QString::fromStdString(type) + '.' + it.key() + '=' + it.value();
    }
    for (const auto& [type, comparators] : model.comparators)
        for (const auto& [name, comparator] : comparators)
            state << QString::fromStdString(type) + " compares " + name;
    return state;
}

// Loads the file as the application does on `threads` threads, with the record hashes, and
// returns the state it leaves.
QStringList loadState(const std::string& fileName, std::size_t blockBytes, int threads)
{
    std::vector<std::uint64_t> hashes;
    const ScriptRead read =
        loadScriptInBlocks(*DrawingModel::instance(), fileName, ViewerApp::instance()->fileColors,
                           blockBytes, nullptr, &hashes, threads);
    return read.whole() ? loadedState(hashes) : QStringList{"not read whole"};
}

} // namespace

class TestLoadInBlocks : public QObject
{
    Q_OBJECT

private slots:
    // Without a window: only the loader and the model are tested.
    void initTestCase() { ViewerApp::createHeadless("config.ini"); }
    void blocksLoadAsTheWholeText_data();
    void blocksLoadAsTheWholeText();
    void threadsLoadAsOne_data();
    void threadsLoadAsOne();
    void aLoadOnThreadsEndsWhole_data();
    void aLoadOnThreadsEndsWhole();
};

void TestLoadInBlocks::blocksLoadAsTheWholeText_data()
{
    QTest::addColumn<int>("blockBytes");
    QTest::addColumn<int>("threads");
    for (const int bytes : {1, 3, 7, 64})
        QTest::addRow("%d-byte blocks", bytes) << bytes << 1;
    // Parts of a few blocks each: the parts' edges fall on every kind of place in the records.
    for (const int threads : {2, 3, 5})
        QTest::addRow("3-byte blocks on %d threads", threads) << 3 << threads;
    QTest::addRow("1-byte blocks on 16 threads") << 1 << 16;
}

void TestLoadInBlocks::blocksLoadAsTheWholeText()
{
    QFETCH(int, blockBytes);
    QFETCH(int, threads);
    ViewerApp& app = *ViewerApp::instance();
    TextMaker maker(2024);
    int objects = 0, declarations = 0;
    for (int i = 0; i < 150; ++i) {
        const QByteArray text = maker.make();
        app.fileName = testapp::writeFile(QStringLiteral("blocks.las"), text);
        // One block holding the whole file: the text is read as it always was, in one piece.
        const QStringList whole =
            loadState(app.fileName, std::numeric_limits<std::size_t>::max(), 1);
        objects += static_cast<int>(DrawingModel::instance()->objects.size());
        declarations += static_cast<int>(app.fileColors.size());
        const QStringList inBlocks =
            loadState(app.fileName, static_cast<std::size_t>(blockBytes), threads);
        if (inBlocks != whole)
            qWarning("text %d:\n%s", i, text.toPercentEncoding(" \n").constData());
        QCOMPARE(inBlocks, whole);
    }
    // The texts must load something for the comparison to mean anything.
    QVERIFY(objects > 1000);
    QVERIFY(declarations > 50);
}

namespace
{

// Records of every kind with comments, related searches, pairs over declared defaults, CRLF and
// odd blanks (tabs, vertical tabs, form feeds, blank lines) between and within them.
QByteArray variedRecords(int count)
{
    QByteArray text = "color c1 10 20 30\r\nproperty rect w double 1\r\nproperty path net "
                      "string none\r\nendheader\r\n";
    const char* const blanks[] = {" ", "\t", " \v ", "\f", "  \t "};
    for (int i = 0; i < count; ++i) {
        const QByteArray n = QByteArray::number(i);
        const QByteArray gap = blanks[i % 5];
        switch (i % 7) {
        case 0:
            text += "pt" + gap + n + " 2 c1 net n" + n + " !! pt:net==n1#path:net==b // a#b\r\n";
            break;
        case 1:
            text += "line 0 0" + gap + n + ".5 -3e2 red w " + n + "\r\n\r\n";
            break;
        case 2:
            text += "rect 1 2 3 " + n + " blue" + gap + "w 2 // note " + n + "\n";
            break;
        case 3:
            text += "path 3 0 0 1 1 " + n + " 2 c1 net b !! path:net==b\r\n";
            break;
        case 4:
            text += "circle " + n + " 5 2.5 green // " + QByteArray(i % 300, 'x') + "\r\n";
            break;
        case 5:
            text += "polygon 3 0 0 4 0 " + n + " 4 c1" + gap + "\r\n \t\r\n";
            break;
        default:
            text += "# remark " + n + "\r\n" + gap + "unknown 1 2\r\n";
        }
    }
    return text;
}

// One path far longer than a block and a part, between a few short records.
QByteArray oneHugePath()
{
    QByteArray text = "endheader\npt 1 1 c1\npath 60000";
    for (int i = 0; i < 60000; ++i)
        text += ' ' + QByteArray::number(i % 977) + ' ' + QByteArray::number(i % 613);
    return text + " c1 net x\npt 2 2 c1\nline 0 0 1 1 red";
}

} // namespace

void TestLoadInBlocks::threadsLoadAsOne_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QByteArray>("text");
    const QDir corpus(QStringLiteral(VEDRA_SOURCE_DIR "/tests/fuzz/corpus/loadscript"));
    const QDir examples(QStringLiteral(VEDRA_SOURCE_DIR "/examples"));
    for (const QDir& folder : {corpus, examples}) {
        for (const QString& name : folder.entryList({QStringLiteral("*.las")}, QDir::Files))
            QTest::newRow(qPrintable(name)) << folder.filePath(name) << QByteArray();
    }
    QTest::newRow("varied records") << QString() << variedRecords(3000);
    QTest::newRow("one huge path") << QString() << oneHugePath();
    QTest::newRow("blank records")
        << QString()
        << "endheader\n" + QByteArray(5000, '\n') + QByteArray(5000, ' ') + "pt 1 1 c1";
}

// Whatever the file, the threads and the places where the parts meet, the load is the one
// thread's.
void TestLoadInBlocks::threadsLoadAsOne()
{
    QFETCH(QString, source);
    QFETCH(QByteArray, text);
    const std::string fileName = source.isEmpty()
                                     ? testapp::writeFile(QStringLiteral("parts.las"), text)
                                     : source.toStdString();
    const QStringList alone = loadState(fileName, kScriptBlockBytes, 1);
    for (const auto& [blockBytes, threads] : {std::pair(5, 2), std::pair(11, 3), std::pair(64, 4)})
        QCOMPARE(loadState(fileName, static_cast<std::size_t>(blockBytes), threads), alone);
}

void TestLoadInBlocks::aLoadOnThreadsEndsWhole_data()
{
    QTest::addColumn<int>("atPause");
    QTest::addRow("read to the end") << 0;
    QTest::addRow("stopped halfway") << 1;
    QTest::addRow("file rewritten halfway") << 2;
}

// A load on several threads reports every byte once; stopped, it leaves no object (no part of
// a drawing, and, under the sanitizers, nothing leaked); a file changed under it is not whole.
void TestLoadInBlocks::aLoadOnThreadsEndsWhole()
{
    QFETCH(int, atPause);
    const QByteArray text = variedRecords(20000);
    const std::string fileName = testapp::writeFile(QStringLiteral("stopped.las"), text);
    LoadProgress progress;
    progress.pauseAt = text.size() / 2;
    progress.onPause = [&] {
        if (atPause == 1)
            progress.stop = true;
        else if (atPause == 2)
            testapp::writeFile(QStringLiteral("stopped.las"), text + "pt 0 0 c1\n");
    };
    std::vector<std::uint64_t> hashes;
    DrawingModel& model = *DrawingModel::instance();
    const ScriptRead read = loadScriptInBlocks(model, fileName, ViewerApp::instance()->fileColors,
                                               512, &progress, &hashes, 3);
    QVERIFY(progress.paused);
    QCOMPARE(read.stopped, atPause == 1);
    QCOMPARE(read.changed, atPause == 2);
    QCOMPARE(hashes.size(), model.objects.size());
    if (atPause == 0) {
        QCOMPARE(progress.bytesRead.load(), static_cast<std::int64_t>(text.size()));
        // Six records in seven make an object.
        QCOMPARE(model.objects.size(), std::size_t(20000 / 7 * 6 + 1));
    } else if (atPause == 1) {
        QVERIFY(model.objects.empty());
        for (const auto& [type, list] : model.objectsByType)
            QVERIFY(list.empty());
    }
}

QTEST_MAIN(TestLoadInBlocks)
#include "tst_loadinblocks.moc"
