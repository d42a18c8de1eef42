#include "app/viewerapp.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "script/loadscript.h"
#include "support/testapp.h"

#include <QtTest>

#include <limits>
#include <random>

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

// Everything a load leaves behind that the text decides.
QStringList loadedState()
{
    QStringList state;
    for (const paintObject* object : DrawingModel::instance()->objects)
        state << object->description() + '|' + QString::fromStdString(object->colorName) + '|' +
                     object->relatedSearches.join('#');
    for (const auto& [name, color] : ViewerApp::instance()->fileColors)
        state << QString::fromStdString(name) + '=' + color.name();
    for (const auto& [type, defaults] : DrawingModel::instance()->propertyDefaults)
        for (auto it = defaults.begin(); it != defaults.end(); ++it)
            state << QString::fromStdString(type) + '.' + it.key() + '=' + it.value();
    return state;
}

} // namespace

class TestLoadInBlocks : public QObject
{
    Q_OBJECT

private slots:
    void init() { testapp::resetApplication(); }
    void blocksLoadAsTheWholeText_data();
    void blocksLoadAsTheWholeText();
};

void TestLoadInBlocks::blocksLoadAsTheWholeText_data()
{
    QTest::addColumn<int>("blockBytes");
    for (const int bytes : {1, 3, 7, 64})
        QTest::addRow("%d-byte blocks", bytes) << bytes;
}

void TestLoadInBlocks::blocksLoadAsTheWholeText()
{
    QFETCH(int, blockBytes);
    ViewerApp& app = *ViewerApp::instance();
    TextMaker maker(2024);
    int objects = 0, declarations = 0;
    for (int i = 0; i < 150; ++i) {
        const QByteArray text = maker.make();
        app.fileName = testapp::writeFile(QStringLiteral("blocks.las"), text);
        // One block holding the whole file: the text is read as it always was, in one piece.
        loadScriptInBlocks(*DrawingModel::instance(), app.fileName, app.fileColors,
                           std::numeric_limits<std::size_t>::max());
        const QStringList whole = loadedState();
        objects += static_cast<int>(DrawingModel::instance()->objects.size());
        declarations += static_cast<int>(app.fileColors.size());
        loadScriptInBlocks(*DrawingModel::instance(), app.fileName, app.fileColors,
                           static_cast<std::size_t>(blockBytes));
        if (loadedState() != whole)
            qWarning("text %d:\n%s", i, text.toPercentEncoding(" \n").constData());
        QCOMPARE(loadedState(), whole);
    }
    // The texts must load something for the comparison to mean anything.
    QVERIFY(objects > 1000);
    QVERIFY(declarations > 50);
}

QTEST_MAIN(TestLoadInBlocks)
#include "tst_loadinblocks.moc"
