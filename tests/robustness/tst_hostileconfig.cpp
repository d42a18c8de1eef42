// A config.ini with every value at the edge of its type: the controller must start with usable
// settings, with no arithmetic on them overflowing on the way (the sanitizer build checks that).
#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "model/drawingmodel.h"
#include "support/testapp.h"

#include <QAction>
#include <QFile>
#include <QStandardPaths>
#include <QToolBar>
#include <QtTest>

namespace
{

// Every kind of object, every marker shape among them, at the view's origin.
const QByteArray kScene = "endheader\n"
                          "pt 0 0 red 0\npt 1 0 red 1\npt 2 0 red 2\npt 3 0 red 3\npt 4 0 red 7\n"
                          "line 0 0 5 5 blue\nrect 0 0 3 3 teal\ncircle 2 2 1 lime\n"
                          "path 3 0 0 1 2 3 1 navy\npolygon 3 0 0 2 0 1 2 olive\n";

} // namespace

class TestHostileConfig : public QObject
{
    Q_OBJECT

private slots:
    void extremeValuesStartAUsableViewer();
    void extremeSizesPaintWithinTheirBounds_data();
    void extremeSizesPaintWithinTheirBounds();
};

void TestHostileConfig::extremeValuesStartAUsableViewer()
{
    QFile config(QStringLiteral("config.ini"));
    QVERIFY(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
    config.write("4e-320 a ratio too small to zoom from\n"
                 "-2147483648\n"
                 "-2147483648\n"
                 "-2147483648 2147483647 0\n"
                 "-2147483648 2147483647\n"
                 "-2147483648\n"
                 "-2147483648\n"
                 "typeusing pt nosuchtype // remark\n");
    config.close();
    static char name[] = "vedra-test";
    static char* argv[] = {name, nullptr};
    // The user's own settings are neither read nor written.
    QStandardPaths::setTestModeEnabled(true);
    ViewerApp::create(1, argv);
    const ViewerApp* app = ViewerApp::instance();
    QCOMPARE(app->ratio, 1.0);
    QCOMPARE(app->pointSize, 1);
    QCOMPARE(app->lineWidth, 1);
    QCOMPARE(app->highlightColor, QColor(0, 255, 0));
    QCOMPARE(app->windowWidth, 200);
    QCOMPARE(app->windowHeight, 16384);
    QCOMPARE(app->mainToolBar->iconSize(), QSize(1, 1));
    QCOMPARE(app->infoFontSize, 1);
    QCOMPARE(DrawingModel::instance()->handlers.size(), std::size_t(1));
    QCOMPARE(DrawingModel::instance()->handlers.count("pt"), std::size_t(1));
}

void TestHostileConfig::extremeSizesPaintWithinTheirBounds_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<int>("lineWidth");
    QTest::addColumn<int>("toolButtonSize");
    QTest::addColumn<int>("infoFontSize");
    QTest::newRow("largest ints") << QByteArray("1\n2147483647\n2147483647\n0 0 0\n640 480\n"
                                                "2147483647\n2147483647\n")
                                  << ViewerApp::kMaxPointSize << ViewerApp::kMaxLineWidth << 512
                                  << 7;
    QTest::newRow("smallest ints") << QByteArray("1\n-2147483648\n-2147483648\n0 0 0\n640 480\n"
                                                 "-2147483648\n-2147483648\n")
                                   << 1 << 1 << 1 << 1;
    QTest::newRow("just beyond the bounds")
        << QByteArray("1\n4097\n4097\n0 0 0\n640 480\n513\n8\n") << ViewerApp::kMaxPointSize
        << ViewerApp::kMaxLineWidth << 512 << 7;
}

// The settings read are bounded; a scene of every kind paints with them, also after the size
// commands tried to go beyond the bounds (the sanitizer build checks that nothing overflows).
void TestHostileConfig::extremeSizesPaintWithinTheirBounds()
{
    QFETCH(QByteArray, config);
    testapp::resetApplication();
    ViewerApp* app = ViewerApp::instance();
    app->readSettings(
        std::string_view(config.constData(), static_cast<std::size_t>(config.size())));
    QTEST(app->pointSize, "pointSize");
    QTEST(app->lineWidth, "lineWidth");
    QTEST(app->toolButtonSize, "toolButtonSize");
    QTEST(app->infoFontSize, "infoFontSize");
    testapp::loadText(kScene);
    // The objects lie within 60 pixels of (20, 130); the marker reaches the far corner only at
    // the largest size.
    app->display->setFixedSize(200, 150);
    app->originX = 20.0;
    app->originY = 130.0;
    app->ratio = 10.0;
    const auto farCornerCovered = [app] {
        return app->display->grab().toImage().pixelColor(190, 10) != QColor(Qt::white);
    };
    const bool atTop = app->pointSize == ViewerApp::kMaxPointSize;
    QCOMPARE(farCornerCovered(), atTop);
    for (QAction* command : {app->pointSizeUpAction, app->lineWidenAction, app->pointSizeDownAction,
                             app->lineNarrowAction})
        command->trigger();
    QCOMPARE(app->pointSize, atTop ? ViewerApp::kMaxPointSize - 1 : 1);
    QCOMPARE(app->lineWidth, atTop ? ViewerApp::kMaxLineWidth - 1 : 1);
    QCOMPARE(farCornerCovered(), atTop);
}

QTEST_MAIN(TestHostileConfig)
#include "tst_hostileconfig.moc"
