#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "support/testapp.h"

#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QStatusBar>
#include <QtTest>

namespace
{

constexpr int kCanvasWidth = 400;
constexpr int kCanvasHeight = 300;

QwgtDisplay* canvas()
{
    return ViewerApp::instance()->display;
}

QImage canvasImage()
{
    return canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

std::vector<paintObject*> picked()
{
    return ViewerApp::instance()->pickedList;
}

// A move with the left button held, sent to the canvas wherever the point lies.
void moveHeld(const QPoint& to, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(to), canvas()->mapToGlobal(QPointF(to)),
                     Qt::NoButton, Qt::LeftButton, modifiers);
    QApplication::sendEvent(canvas(), &move);
}

} // namespace

class TestQwgtDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void paintsBackgroundObjectsAndFixMarker();
    void leftDragPansInMoveMode();
    void hoverShowsTheWorldPositionOnly();
    void rightButtonSetsTheFixPosition();
    void rubberBandPicksWhollyInsideObjects_data();
    void rubberBandPicksWhollyInsideObjects();
    void bandOverTooManyPicksTheFirst();
    void clickWithoutDragPicksNothing();
    void releaseInMoveModeRewritesTheTitle();
    void hiddenObjectsAreNeitherPaintedNorPickedButFit();
    void fitToView_data();
    void fitToView();
    void wheelZooms();
    void zoomBoxFitsTheBox_data();
    void zoomBoxFitsTheBox();
    void largeDrawingsArePaintedInTheBackground_data();
    void largeDrawingsArePaintedInTheBackground();
};

void TestQwgtDisplay::initTestCase()
{
    testapp::resetApplication();
    QVERIFY(testapp::showCanvasAt(QSize(kCanvasWidth, kCanvasHeight)));
}

void TestQwgtDisplay::init()
{
    testapp::resetApplication();
}

void TestQwgtDisplay::paintsBackgroundObjectsAndFixMarker()
{
    ViewerApp* app = ViewerApp::instance();
    app->fixX = 200;
    app->fixY = 150;
    app->originX = 0;
    app->originY = 300;
    testapp::loadText("endheader\nrect 10 10 20 20 red\n");
    const QImage image = canvasImage();
    QCOMPARE(image.pixelColor(50, 250), QColor(255, 255, 255));
    // The fix marker is a black diamond of half-diagonal 5.
    QCOMPARE(image.pixelColor(200, 150), QColor(0, 0, 0));
    QCOMPARE(image.pixelColor(204, 150), QColor(0, 0, 0));
    QCOMPARE(image.pixelColor(200, 146), QColor(0, 0, 0));
    QCOMPARE(image.pixelColor(204, 146), QColor(255, 255, 255));
    // The rectangle (10, 10)-(20, 20) fills pixels x 10..20, y 280..290.
    QCOMPARE(image.pixelColor(15, 285), QColor(255, 0, 0));
    QCOMPARE(image.pixelColor(25, 285), QColor(255, 255, 255));
}

void TestQwgtDisplay::leftDragPansInMoveMode()
{
    ViewerApp* app = ViewerApp::instance();
    app->originX = 10;
    app->originY = 20;
    QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QCOMPARE(app->originX, 10.0);
    QMouseEvent move(QEvent::MouseMove, QPointF(130, 80), canvas()->mapToGlobal(QPointF(130, 80)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas(), &move);
    QCOMPARE(app->originX, 40.0);
    QCOMPARE(app->originY, 0.0);
    QCOMPARE(app->mouseX, 130.0);
    QVERIFY(app->basicInfoLabel->text().contains(QStringLiteral("( 90.00 , -80.00 )")));
    QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(130, 80));
    QCOMPARE(app->originX, 40.0);
    QCOMPARE(app->mode, 0);
}

// A move without a button (the canvas tracks the mouse) only names the world position under the
// pointer, as descriptions print numbers: no pan, no band, the Basic Info mouse stays.
void TestQwgtDisplay::hoverShowsTheWorldPositionOnly()
{
    ViewerApp* app = ViewerApp::instance();
    QVERIFY(canvas()->hasMouseTracking());
    app->originX = 10;
    app->originY = 20;
    for (const int mode : {0, 1}) {
        app->setMode(mode);
        QMouseEvent hover(QEvent::MouseMove, QPointF(30, 50),
                          canvas()->mapToGlobal(QPointF(30, 50)), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(canvas(), &hover);
        QCOMPARE(app->pointerLabel->text(), QStringLiteral("20.000000 -30.000000"));
        QCOMPARE(app->originX, 10.0);
        QCOMPARE(app->mouseX, 0.0);
        QCOMPARE(app->pickRect[0], -999999999);
        QCOMPARE(app->mode, mode);
        // Leaving the canvas clears it.
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(canvas(), &leave);
        QCOMPARE(app->pointerLabel->text(), QString());
    }
}

void TestQwgtDisplay::rightButtonSetsTheFixPosition()
{
    ViewerApp* app = ViewerApp::instance();
    app->setMode(1);
    QTest::mousePress(canvas(), Qt::RightButton, Qt::NoModifier, QPoint(33, 44));
    QCOMPARE(app->fixX, 33.0);
    QCOMPARE(app->fixY, 44.0);
    QCOMPARE(app->mode, 1);
    QVERIFY(app->basicInfoLabel->text().contains(QStringLiteral("Fix=</font>( 33.00 , -44.00 )")));
    QCOMPARE(canvasImage().pixelColor(33, 44), QColor(0, 0, 0));
    QTest::mouseRelease(canvas(), Qt::RightButton, Qt::NoModifier, QPoint(33, 44));
    QCOMPARE(app->mode, 1);
}

void TestQwgtDisplay::rubberBandPicksWhollyInsideObjects_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("expectedCount");
    // With origin (0, 300) and ratio 1 the points lie at pixels (10, 290), (50, 250), the first
    // rectangle covers x 60..80, y 220..240 and the second, given larger corner first, x 120..140,
    // y 220..240. The path has no vertices, so nothing to pick.
    QTest::newRow("top-left to bottom-right") << QPoint(5, 200) << QPoint(90, 295) << 3;
    QTest::newRow("bottom-right to top-left") << QPoint(90, 295) << QPoint(5, 200) << 3;
    QTest::newRow("edges touch the rectangle") << QPoint(60, 220) << QPoint(80, 240) << 1;
    QTest::newRow("rectangle sticks out") << QPoint(61, 220) << QPoint(80, 240) << 0;
    QTest::newRow("one point") << QPoint(45, 245) << QPoint(55, 255) << 1;
    QTest::newRow("corners given larger first") << QPoint(115, 215) << QPoint(145, 245) << 1;
    QTest::newRow("band inside corners given larger first")
        << QPoint(125, 225) << QPoint(135, 235) << 0;
    QTest::newRow("everything") << QPoint(1, 1) << QPoint(398, 298) << 4;
}

void TestQwgtDisplay::rubberBandPicksWhollyInsideObjects()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(int, expectedCount);
    ViewerApp* app = ViewerApp::instance();
    app->originY = 300;
    testapp::loadText("endheader\npt 10 10 red 0\npt 50 50 red 0\nrect 60 60 80 80 blue\n"
                      "rect 140 80 120 60 green\npath 0 red\n");
    // The Pick Mode button stays checked while in pick mode; leaving it without a pick unchecks.
    app->pickModeAction->trigger();
    QVERIFY(app->mode == 1 && app->pickModeAction->isChecked());
    app->leavePickModeAction->trigger();
    QVERIFY(app->mode == 0 && !app->pickModeAction->isChecked());
    app->pickModeAction->trigger();
    QVERIFY(app->mode == 1 && app->pickModeAction->isChecked());
    QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), canvas()->mapToGlobal(QPointF(to)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas(), &move);
    QCOMPARE(app->pickRect[0], std::min(from.x(), to.x()));
    QCOMPARE(app->pickRect[1], std::max(from.y(), to.y()));
    // The band is painted translucent yellow over the white background while dragging.
    const QPoint inside = (from + to) / 2 + QPoint(1, 1);
    const QImage dragged = canvasImage();
    QCOMPARE(dragged.pixelColor(inside).blue() < 255, true);
    // Its outline runs along the rows and columns of its corners, the last the pick takes in.
    const int left = std::min(from.x(), to.x()), right = std::max(from.x(), to.x());
    const int top = std::min(from.y(), to.y()), bottom = std::max(from.y(), to.y());
    QCOMPARE(dragged.pixelColor(inside.x(), top), QColor(Qt::black));
    QCOMPARE(dragged.pixelColor(inside.x(), bottom), QColor(Qt::black));
    QCOMPARE(dragged.pixelColor(left, inside.y()), QColor(Qt::black));
    QCOMPARE(dragged.pixelColor(right, inside.y()), QColor(Qt::black));
    QVERIFY(dragged.pixelColor(inside.x(), bottom + 1) != QColor(Qt::black));
    QVERIFY(dragged.pixelColor(right + 1, inside.y()) != QColor(Qt::black));
    QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, to);
    QCOMPARE(static_cast<int>(picked().size()), expectedCount);
    // The pick is listed at once and the mode returns to move.
    QCOMPARE(app->itemList->count(), expectedCount);
    QCOMPARE(app->listedName, std::string("picked"));
    QCOMPARE(app->mainWindow->statusBar()->currentMessage(),
             QString("%1 picked").arg(expectedCount));
    QCOMPARE(app->explorerDock->windowTitle(),
             QString("Item Explorer: %1 picked").arg(expectedCount));
    QCOMPARE(app->mode, 0);
    QVERIFY(!app->pickModeAction->isChecked());
    QVERIFY(app->mainWindow->windowTitle().endsWith(QStringLiteral("[ move - default ]")));
}

// A band over more objects than a list can take in a moment picks the first ones, and says so.
void TestQwgtDisplay::bandOverTooManyPicksTheFirst()
{
    ViewerApp* app = ViewerApp::instance();
    app->originY = 300;
    const int inside = int(QwgtDisplay::kMostPicked) + 10;
    testapp::loadText("endheader\n" + QByteArray("pt 50 50 red 0\n").repeated(inside));
    app->pickModeAction->trigger();
    QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 240));
    QMouseEvent move(QEvent::MouseMove, QPointF(60, 260), canvas()->mapToGlobal(QPointF(60, 260)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas(), &move);
    QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(60, 260));
    QCOMPARE(app->pickedList.size(), QwgtDisplay::kMostPicked);
    QCOMPARE(app->pickedList.front(), DrawingModel::instance()->objects.front());
    QCOMPARE(app->mainWindow->statusBar()->currentMessage(),
             QString("first %1 of %2 picked: a band picks at most %1")
                 .arg(QwgtDisplay::kMostPicked)
                 .arg(inside));
    QCOMPARE(app->explorerDock->windowTitle(),
             QString("Item Explorer: %1 of %2").arg(QwgtDisplay::kMostPicked).arg(inside));
}

void TestQwgtDisplay::clickWithoutDragPicksNothing()
{
    ViewerApp* app = ViewerApp::instance();
    testapp::loadText("endheader\npt 0 0 red 0\nrect -1 -1 1 1 blue\n");
    app->commands.doChange2PickMode();
    QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(0, 0));
    QVERIFY(picked().empty());
    QCOMPARE(app->pickRect[0], -999999999);
    QCOMPARE(app->listedName, std::string("picked"));
    QCOMPARE(app->mode, 0);
}

void TestQwgtDisplay::releaseInMoveModeRewritesTheTitle()
{
    ViewerApp* app = ViewerApp::instance();
    app->mainWindow->setWindowTitle(QStringLiteral("stale"));
    QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QCOMPARE(app->mainWindow->windowTitle(), QStringLiteral("Vedra 1.1 [ move - default ]"));
}

void TestQwgtDisplay::hiddenObjectsAreNeitherPaintedNorPickedButFit()
{
    ViewerApp* app = ViewerApp::instance();
    app->originY = 300;
    testapp::loadText("endheader\nrect 10 10 20 20 red\nrect 100 100 120 120 blue\n");
    DrawingModel::instance()->setTypeVisible("rect", 0);
    QCOMPARE(canvasImage().pixelColor(15, 285), QColor(255, 255, 255));
    app->commands.doChange2PickMode();
    QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(0, 299));
    QMouseEvent move(QEvent::MouseMove, QPointF(399, 0), canvas()->mapToGlobal(QPointF(399, 0)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas(), &move);
    QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(399, 0));
    QVERIFY(picked().empty());
    app->fitToView();
    // The box (10, 10)-(120, 120) is 110 wide: 0.95 * 300 / 110.
    QCOMPARE(app->ratio, 0.95 * 300 / 110);
}

void TestQwgtDisplay::fitToView_data()
{
    QTest::addColumn<QByteArray>("records");
    QTest::addColumn<bool>("changes");
    QTest::addColumn<double>("ratio");
    QTest::newRow("nothing loaded") << QByteArray() << false << 0.0;
    QTest::newRow("one point") << QByteArray("pt 5 5 red 0\n") << false << 0.0;
    QTest::newRow("points at one place")
        << QByteArray("pt 5 5 red 0\npt 5 5 blue 1\n") << false << 0.0;
    QTest::newRow("horizontal line") << QByteArray("line 0 0 10 0 red\n") << true << 38.0;
    QTest::newRow("vertical line") << QByteArray("line 0 0 0 30 red\n") << true << 9.5;
}

void TestQwgtDisplay::fitToView()
{
    QFETCH(QByteArray, records);
    QFETCH(bool, changes);
    QFETCH(double, ratio);
    ViewerApp* app = ViewerApp::instance();
    testapp::loadText("endheader\n" + records);
    app->originX = 7;
    app->originY = 9;
    app->fitToView();
    if (!changes) {
        QCOMPARE(app->ratio, 1.0);
        QCOMPARE(app->originX, 7.0);
        QCOMPARE(app->fixX, 0.0);
        return;
    }
    QCOMPARE(app->ratio, ratio);
    QCOMPARE(app->fixX, 200.0);
    QCOMPARE(app->fixY, 150.0);
    // The box centre lands on the fix position (the canvas height is even).
    const paintObject* object = DrawingModel::instance()->objects.front();
    const double midX = (object->minX + object->maxX) / 2;
    const double midY = (object->minY + object->maxY) / 2;
    QCOMPARE(app->originX + app->ratio * midX, 200.0);
    QCOMPARE(app->originY - app->ratio * midY, 150.0);
    QVERIFY(app->basicInfoLabel->text().contains(QString::asprintf("Ratio=</font>%f", ratio)));
}

void TestQwgtDisplay::wheelZooms()
{
    ViewerApp* app = ViewerApp::instance();
    app->ratio = 2;
    QWheelEvent forward(QPointF(10, 10), canvas()->mapToGlobal(QPointF(10, 10)), QPoint(),
                        QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas(), &forward);
    QCOMPARE(app->ratio, 3.0);
    QWheelEvent backward(QPointF(10, 10), canvas()->mapToGlobal(QPointF(10, 10)), QPoint(),
                         QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas(), &backward);
    QApplication::sendEvent(canvas(), &backward);
    QCOMPARE(app->ratio, 1.0);
}

void TestQwgtDisplay::zoomBoxFitsTheBox_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<bool>("cancel");
    // The pixels the box covers: a corner dragged beyond the canvas stops at its edge.
    QTest::addColumn<QRect>("box");
    QTest::addColumn<bool>("fits");
    const QRect drawn(QPoint(100, 100), QPoint(200, 160));
    QTest::newRow("down and right")
        << QPoint(100, 100) << QPoint(200, 160) << false << drawn << true;
    QTest::newRow("up and left") << QPoint(200, 160) << QPoint(100, 100) << false << drawn << true;
    QTest::newRow("beyond the bottom right") << QPoint(300, 250) << QPoint(450, 350) << false
                                             << QRect(QPoint(300, 250), QPoint(399, 299)) << true;
    QTest::newRow("beyond the top left") << QPoint(50, 40) << QPoint(-30, -20) << false
                                         << QRect(QPoint(0, 0), QPoint(50, 40)) << true;
    QTest::newRow("one column") << QPoint(70, 10) << QPoint(70, 290) << false
                                << QRect(QPoint(70, 10), QPoint(70, 290)) << true;
    QTest::newRow("escape") << QPoint(100, 100) << QPoint(200, 160) << true << drawn << false;
    QTest::newRow("no drag") << QPoint(100, 100) << QPoint(100, 100) << false
                             << QRect(100, 100, 1, 1) << false;
}

// Shift and a left drag draw a box; the release fits it as the drawing is fitted, Esc drops it.
// Either way the view does not pan, and Back returns to the view before.
void TestQwgtDisplay::zoomBoxFitsTheBox()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(bool, cancel);
    QFETCH(QRect, box);
    QFETCH(bool, fits);
    ViewerApp* app = ViewerApp::instance();
    app->originY = 300;
    QTest::mousePress(canvas(), Qt::LeftButton, Qt::ShiftModifier, from);
    moveHeld(to, Qt::ShiftModifier);
    QCOMPARE(app->originX, 0.0);
    // A blue outline on the box's edge pixels, a faint blue within.
    const QImage dragged = canvasImage();
    const int middle = box.center().y();
    if (from != to) {
        const QColor outline(0, 0, 200);
        QCOMPARE(dragged.pixelColor(box.left(), middle), outline);
        QCOMPARE(dragged.pixelColor(box.right(), middle), outline);
        QCOMPARE(dragged.pixelColor(box.center().x(), box.bottom()), outline);
    }
    if (box.left() > 0)
        QCOMPARE(dragged.pixelColor(box.left() - 1, middle), QColor(Qt::white));
    if (box.width() > 2)
        QCOMPARE(dragged.pixelColor(box.center()), QColor(225, 225, 255));
    if (cancel)
        QTest::keyClick(canvas(), Qt::Key_Escape);
    QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::ShiftModifier, to);
    QCOMPARE(app->fixX, fits ? 200.0 : 0.0);
    if (!fits) {
        QCOMPARE(app->ratio, 1.0);
        QCOMPARE(app->originX, 0.0);
        QCOMPARE(app->originY, 300.0);
        QCOMPARE(canvasImage().pixelColor(box.left(), middle), QColor(Qt::white));
        return;
    }
    const double width = box.right() - box.left();
    const double height = box.bottom() - box.top();
    QCOMPARE(app->ratio, 0.95 * std::min(400 / width, 300 / height));
    // The box's centre lands on the fix position at the canvas's centre.
    QCOMPARE(app->fixY, 150.0);
    QCOMPARE(app->originX + app->ratio * (box.left() + width / 2), 200.0);
    QCOMPARE(app->originY - app->ratio * (300 - box.bottom() + height / 2), 150.0);
    app->display->navigator().goBack();
    QCOMPARE(app->ratio, 1.0);
    QCOMPARE(app->originY, 300.0);
}

void TestQwgtDisplay::largeDrawingsArePaintedInTheBackground_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("background");
    // With the threshold at 1,000.
    QTest::newRow("999 points") << QByteArray("pt 5 5 red 0\n") << 999 << false;
    QTest::newRow("1,000 points") << QByteArray("pt 5 5 red 0\n") << 1000 << true;
    QTest::newRow("a path of 10 vertices")
        << QByteArray("path 10 0 0 90 90 0 90 90 0 0 0 90 90 0 90 90 0 0 0 red\n") << 1 << false;
    QByteArray zigzag = "path 1000";
    for (int i = 0; i < 1000; ++i)
        zigzag += i % 2 ? " 0 0" : " 90 90";
    QTest::newRow("a zigzag path of 1,000 vertices") << zigzag + " red\n" << 1 << true;
    QTest::newRow("a polygon of 1,000 vertices")
        << QByteArray(zigzag + " red\n").replace("path", "polygon") << 1 << true;
}

// The work counted is that of painting: a path's vertices count, not only its objects.
void TestQwgtDisplay::largeDrawingsArePaintedInTheBackground()
{
    QFETCH(QByteArray, record);
    QFETCH(int, count);
    QFETCH(bool, background);
    const std::size_t threshold = QwgtDisplay::backgroundPaintThreshold();
    QwgtDisplay::setBackgroundPaintFrom(1000);
    testapp::loadText("endheader\n" + record.repeated(count));
    ViewerApp::instance()->display->repaint();
    const bool exact = ViewerApp::instance()->display->showsExactFrame();
    QwgtDisplay::setBackgroundPaintFrom(threshold);
    QCOMPARE(exact, !background);
    // The frame painted in the background arrives; none is left painting as the test ends.
    QTRY_VERIFY(ViewerApp::instance()->display->showsExactFrame());
}

QTEST_MAIN(TestQwgtDisplay)
#include "tst_qwgtdisplay.moc"
