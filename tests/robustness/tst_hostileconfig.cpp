// A config.ini with every value at the edge of its type: the controller must start with usable
// settings, with no arithmetic on them overflowing on the way (the sanitizer build checks that).
#include "app/viewerapp.h"
#include "model/drawingmodel.h"

#include <QFile>
#include <QToolBar>
#include <QtTest>

class TestHostileConfig : public QObject
{
    Q_OBJECT

private slots:
    void extremeValuesStartAUsableViewer();
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

QTEST_MAIN(TestHostileConfig)
#include "tst_hostileconfig.moc"
