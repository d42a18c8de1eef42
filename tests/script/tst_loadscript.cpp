#include "app/viewerapp.h"
#include "model/drawingmodel.h"
#include "model/paintline.h"
#include "model/paintpath.h"
#include "model/paintpoint.h"
#include "support/testapp.h"

#include <QtTest>

#include <memory>

class TestLoadScript : public QObject
{
    Q_OBJECT

private slots:
    void init() { testapp::resetApplication(); }
    void emptyFilesLoadNothing_data();
    void emptyFilesLoadNothing();
    void headerColorsRedefineAndReplace();
    void secondLoadForgetsColorsAndDeclarations();
    void propertyLineRunsOntoTheNextLine();
    void unreadableHeaderNumberEndsTheLoad();
    void unknownKeywordsAreSkipped();
    void recordTextKeepsItsParts();
    void crLfLoadsLikeLf();
    void missingFileLeavesAnEmptyModel();
    void repeatedPairsKeepTheirTypesDefaults();
};

void TestLoadScript::emptyFilesLoadNothing_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("only endheader") << QByteArray("endheader\n");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("no endheader") << QByteArray("pt 1 2 red 0\nline 0 0 1 1 red\n");
    QTest::newRow("blank lines only") << QByteArray("endheader\n\n   \n\t\n");
}

void TestLoadScript::emptyFilesLoadNothing()
{
    QFETCH(QByteArray, text);
    testapp::loadText("pt 1 2 red 0\n");
    testapp::loadText("endheader\npt 1 2 red 0\n");
    QCOMPARE(DrawingModel::instance()->objects.size(), std::size_t(1));
    testapp::loadText(text);
    QVERIFY(DrawingModel::instance()->objects.empty());
    QVERIFY(DrawingModel::instance()->objectsOfType("pt").empty());
}

void TestLoadScript::headerColorsRedefineAndReplace()
{
    testapp::loadText("color red 0 0 200\ncolor red 0 0 255 trailing words\ncolor 3 1 2 3\n"
                      "endheader\npt 1 1 red 0\n");
    const ViewerApp* app = ViewerApp::instance();
    QCOMPARE(app->colorOf("red"), QColor(0, 0, 255));
    QCOMPARE(app->colorOf("3"), QColor(1, 2, 3));
    QCOMPARE(app->colorOf("maroon"), QColor(128, 0, 0));
    QCOMPARE(DrawingModel::instance()->objects.size(), std::size_t(1));
}

void TestLoadScript::secondLoadForgetsColorsAndDeclarations()
{
    testapp::loadText(
        "color mine 10 20 30\nproperty pt net string none\nendheader\npt 0 0 mine 0\n");
    DrawingModel* model = DrawingModel::instance();
    QCOMPARE(ViewerApp::instance()->colorOf("mine"), QColor(10, 20, 30));
    QCOMPARE(model->objects.front()->properties.value(QStringLiteral("net")),
             QStringLiteral("none"));
    QCOMPARE(model->comparators["pt"].size(), std::size_t(1));

    testapp::loadText("endheader\npt 0 0 mine 0\n");
    QVERIFY(!ViewerApp::instance()->colorOf("mine").isValid());
    QVERIFY(model->propertyDefaults["pt"].isEmpty());
    QVERIFY(model->comparators.empty());
    QVERIFY(model->objects.front()->properties.isEmpty());
}

// The default of a three-word "property" line is the first word of the next line; when that is
// "endheader" the header goes on and the records are read as header lines.
void TestLoadScript::propertyLineRunsOntoTheNextLine()
{
    DrawingModel* model = DrawingModel::instance();
    testapp::loadText("property pt net string\nclk ignored words\nendheader\npt 0 0 red 0\n");
    QCOMPARE(model->propertyDefaults["pt"].value(QStringLiteral("net")), QStringLiteral("clk"));
    QCOMPARE(model->objects.size(), std::size_t(1));

    testapp::loadText("property pt net string\nendheader\npt 0 0 red 0\n");
    QCOMPARE(model->propertyDefaults["pt"].value(QStringLiteral("net")),
             QStringLiteral("endheader"));
    QVERIFY(model->objects.empty());
}

void TestLoadScript::unreadableHeaderNumberEndsTheLoad()
{
    testapp::loadText("color mine 10 x 30\nendheader\npt 0 0 red 0\n");
    QVERIFY(DrawingModel::instance()->objects.empty());
    QVERIFY(!ViewerApp::instance()->colorOf("mine").isValid());
}

void TestLoadScript::unknownKeywordsAreSkipped()
{
    testapp::loadText("# a header remark\nversion 3\nendheader\n# body remark\nsquare 1 2\n"
                      "pt 1 2 red 0\nPT 3 4 red 0\nline 0 0 1 1 blue\n");
    const DrawingModel::ObjectList& objects = DrawingModel::instance()->objects;
    QCOMPARE(objects.size(), std::size_t(2));
    QVERIFY(dynamic_cast<paintPoint*>(objects[0]));
    QVERIFY(dynamic_cast<paintLine*>(objects[1]));
}

void TestLoadScript::recordTextKeepsItsParts()
{
    testapp::loadText("endheader\npath 2 0 0 1 1 blue w 3 x\npt 1 2 red 0 // a#b\n"
                      "pt 1 2 red 0 !! q1#q2 // n1 !! not related#n2\n");
    const DrawingModel::ObjectList& objects = DrawingModel::instance()->objects;
    QCOMPARE(objects.size(), std::size_t(3));
    const auto* path = dynamic_cast<const paintPath*>(objects[0]);
    QVERIFY(path);
    QCOMPARE(path->vertices.size(), std::size_t(2));
    QCOMPARE(path->vertices[1], QPointF(1, 1));
    QCOMPARE(path->colorName, std::string("blue"));
    QCOMPARE(path->propertiesText(), QStringLiteral("w=3"));
    QCOMPARE(objects[1]->comments, QStringList({QStringLiteral(" a"), QStringLiteral("b")}));
    QVERIFY(objects[1]->relatedSearches.isEmpty());
    QCOMPARE(objects[2]->relatedSearches,
             QStringList({QStringLiteral(" q1"), QStringLiteral("q2 ")}));
    QCOMPARE(objects[2]->comments,
             QStringList({QStringLiteral(" n1 !! not related"), QStringLiteral("n2")}));
}

void TestLoadScript::crLfLoadsLikeLf()
{
    const QByteArray lf = "color mine 1 2 3\nproperty pt net string none\nendheader\n"
                          "pt 1 2 mine 0 net a !! pt:net==a#q // first#last\n\n"
                          "line 0 0 1 1 red // only\n";
    QByteArray crlf = lf;
    crlf.replace("\n", "\r\n");
    testapp::loadText(lf);
    QStringList expected;
    for (const paintObject* object : DrawingModel::instance()->objects)
        expected << object->description() << object->relatedSearches.join(QLatin1Char('|'));
    testapp::loadText(crlf);
    QStringList actual;
    for (const paintObject* object : DrawingModel::instance()->objects)
        actual << object->description() << object->relatedSearches.join(QLatin1Char('|'));
    QCOMPARE(actual.size(), 4);
    QCOMPARE(actual, expected);
    QVERIFY(!actual.join(QString()).contains(QLatin1Char('\r')));
}

void TestLoadScript::missingFileLeavesAnEmptyModel()
{
    testapp::loadText("endheader\npt 1 2 red 0\n");
    ViewerApp::instance()->fileName = "does-not-exist.las";
    ViewerApp::instance()->loadScript();
    QVERIFY(DrawingModel::instance()->objects.empty());
}

// Records with the same pair text share one property map; the map must still be the one that
// the record's own type and the declarations in force give.
void TestLoadScript::repeatedPairsKeepTheirTypesDefaults()
{
    testapp::loadText("property pt w string 1\nproperty line w string 2\nendheader\n"
                      "pt 0 0 red 0 a b !! q#r\nline 0 0 1 1 red a b !! q#r\npt 5 5 red 1 a b\n");
    const DrawingModel::ObjectList& objects = DrawingModel::instance()->objects;
    QCOMPARE(objects.size(), std::size_t(3));
    QCOMPARE(objects[0]->propertiesText(), QStringLiteral("a=b\nw=1"));
    QCOMPARE(objects[1]->propertiesText(), QStringLiteral("a=b\nw=2"));
    QCOMPARE(objects[2]->propertiesText(), QStringLiteral("a=b\nw=1"));
    QCOMPARE(objects[1]->relatedSearches, QStringList({QStringLiteral(" q"), QStringLiteral("r")}));

    DrawingModel* model = DrawingModel::instance();
    model->declareProperty("pt", QStringLiteral("w"), "string", QStringLiteral("9"));
    const std::unique_ptr<paintObject> later(model->createObjectFromRecord("pt", " 1 1 red 0 a b"));
    QCOMPARE(later->propertiesText(), QStringLiteral("a=b\nw=9"));
}

QTEST_MAIN(TestLoadScript)
#include "tst_loadscript.moc"
