#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "canvas/viewnavigator.h"
#include "support/testapp.h"

#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QtTest>

char* toString(const ViewPlace& place)
{
    return QTest::toString(QString::asprintf("origin (%g, %g) ratio %g fix (%g, %g)", place.originX,
                                             place.originY, place.ratio, place.fixX, place.fixY));
}

namespace
{

constexpr int kCanvasWidth = 400;
constexpr int kCanvasHeight = 300;

QwgtDisplay* canvas()
{
    return ViewerApp::instance()->display;
}

ViewPlace here()
{
    return ViewNavigator::currentPlace();
}

void press(const QKeySequence& key)
{
    QTest::keySequence(canvas(), key);
}

void turnWheel(int notches)
{
    QWheelEvent wheel(QPointF(10, 10), canvas()->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(canvas(), &wheel);
}

} // namespace

class TestViewNavigator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void keysPanAndZoomWhereTheCanvasHasTheFocus_data();
    void keysPanAndZoomWhereTheCanvasHasTheFocus();
    void historyGoesBackAndForthStepByStep();
};

void TestViewNavigator::initTestCase()
{
    testapp::resetApplication();
    QVERIFY(testapp::showCanvasAt(QSize(kCanvasWidth, kCanvasHeight)));
    ViewerApp::instance()->mainWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(ViewerApp::instance()->mainWindow));
}

void TestViewNavigator::init()
{
    testapp::resetApplication();
    ViewerApp* app = ViewerApp::instance();
    app->originX = 10;
    app->originY = 20;
    app->ratio = 2;
    app->fixX = 100;
    app->fixY = 50;
    canvas()->setFocus();
    QVERIFY(QTest::qWaitFor([] { return canvas()->hasFocus(); }));
}

void TestViewNavigator::keysPanAndZoomWhereTheCanvasHasTheFocus_data()
{
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<ViewPlace>("expected");
    // From origin (10, 20), ratio 2, fix (100, 50) on 400 x 300: a tenth is 40 x 30 pixels, a
    // canvas less a tenth 360 x 270. The picture moves against the arrow.
    QTest::newRow("left") << QKeySequence(Qt::Key_Left) << ViewPlace{50, 20, 2, 100, 50};
    QTest::newRow("right") << QKeySequence(Qt::Key_Right) << ViewPlace{-30, 20, 2, 100, 50};
    QTest::newRow("up") << QKeySequence(Qt::Key_Up) << ViewPlace{10, 50, 2, 100, 50};
    QTest::newRow("down") << QKeySequence(Qt::Key_Down) << ViewPlace{10, -10, 2, 100, 50};
    QTest::newRow("shift left") << QKeySequence(Qt::SHIFT | Qt::Key_Left)
                                << ViewPlace{370, 20, 2, 100, 50};
    QTest::newRow("shift down") << QKeySequence(Qt::SHIFT | Qt::Key_Down)
                                << ViewPlace{10, -250, 2, 100, 50};
    // The world point under the fix position stays: 100 - 2 * 90, 50 + 2 * (20 - 50).
    QTest::newRow("page up") << QKeySequence(Qt::Key_PageUp) << ViewPlace{-80, -10, 4, 100, 50};
    QTest::newRow("page down") << QKeySequence(Qt::Key_PageDown) << ViewPlace{55, 35, 1, 100, 50};
}

// The keys belong to the canvas: with the focus in the explorer's list they move its selection
// and leave the view alone.
void TestViewNavigator::keysPanAndZoomWhereTheCanvasHasTheFocus()
{
    QFETCH(QKeySequence, key);
    QFETCH(ViewPlace, expected);
    ViewerApp* app = ViewerApp::instance();
    const ViewPlace start = here();
    app->itemList->setFocus();
    QVERIFY(QTest::qWaitFor([app] { return app->itemList->hasFocus(); }));
    QTest::keySequence(app->itemList, key);
    QCOMPARE(here(), start);
    canvas()->setFocus();
    QVERIFY(QTest::qWaitFor([] { return canvas()->hasFocus(); }));
    press(key);
    QCOMPARE(here(), expected);
    QVERIFY(
        app->basicInfoLabel->text().contains(QString::asprintf("Ratio=</font>%f", expected.ratio)));
}

// Every jump is a step, a run of pans or of wheel notches is one step; Back and Forward walk the
// steps, a new step drops those ahead, Reload keeps the history and opening a file forgets it.
void TestViewNavigator::historyGoesBackAndForthStepByStep()
{
    ViewerApp* app = ViewerApp::instance();
    testapp::loadText("endheader\nline 0 0 10 0 red\npt 3 4 blue 0\n");
    std::vector<ViewPlace> steps{here()};
    for (int i = 0; i < 3; ++i)
        press(QKeySequence(Qt::Key_Left));
    QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QTest::mouseMove(canvas(), QPoint(107, 95));
    QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(107, 95));
    QCOMPARE(here(), (ViewPlace{137, 15, 2, 100, 50}));
    steps.push_back(here());
    turnWheel(1);
    turnWheel(1);
    app->zoomInAction->trigger();
    QCOMPARE(app->ratio, 5.0);
    steps.push_back(here());
    press(QKeySequence(Qt::CTRL | Qt::Key_0));
    QCOMPARE(app->ratio, 38.0);
    steps.push_back(here());
    press(QKeySequence(Qt::Key_PageUp));
    QCOMPARE(app->ratio, 76.0);
    steps.push_back(here());
    app->commands.doListAnItemType("pt");
    app->commands.doMoveToObject(app->itemList->item(0));
    QCOMPARE(app->originX + 3 * app->ratio, app->fixX);
    steps.push_back(here());

    for (int k = static_cast<int>(steps.size()) - 2; k >= 0; --k) {
        press(QKeySequence(Qt::ALT | Qt::Key_Left));
        QCOMPARE(here(), steps[k]);
    }
    press(QKeySequence(Qt::ALT | Qt::Key_Left));
    QCOMPARE(here(), steps.front());
    for (std::size_t k = 1; k < steps.size(); ++k) {
        press(QKeySequence(Qt::ALT | Qt::Key_Right));
        QCOMPARE(here(), steps[k]);
    }
    press(QKeySequence(Qt::ALT | Qt::Key_Right));
    QCOMPARE(here(), steps.back());

    // A pan after going back is a new step: Forward has nowhere to go, Back returns first to
    // where the pan began.
    press(QKeySequence(Qt::ALT | Qt::Key_Left));
    press(QKeySequence(Qt::Key_Down));
    const ViewPlace panned = here();
    press(QKeySequence(Qt::ALT | Qt::Key_Right));
    QCOMPARE(here(), panned);
    press(QKeySequence(Qt::ALT | Qt::Key_Left));
    QCOMPARE(here(), steps[steps.size() - 2]);

    app->reloadAction->trigger();
    press(QKeySequence(Qt::ALT | Qt::Key_Left));
    QCOMPARE(here(), steps[steps.size() - 3]);
    app->commands.openFile(QString::fromStdString(app->fileName));
    const ViewPlace opened = here();
    press(QKeySequence(Qt::ALT | Qt::Key_Left));
    QCOMPARE(here(), opened);
}

QTEST_MAIN(TestViewNavigator)
#include "tst_viewnavigator.moc"
