#include "app/viewerapp.h"
#include "canvas/measureoverlay.h"
#include "canvas/qwgtdisplay.h"
#include "canvas/scenepainter.h"
#include "support/testapp.h"

#include <QClipboard>
#include <QMainWindow>
#include <QPainter>
#include <QtTest>

#include <cmath>

namespace
{

const QColor kRuler(220, 0, 120);

QwgtDisplay* canvas()
{
    return ViewerApp::instance()->display;
}

QImage canvasImage()
{
    return canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void drag(const QPoint& from, const QPoint& to)
{
    QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), canvas()->mapToGlobal(QPointF(to)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas(), &move);
    QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, to);
}

std::size_t rulerCount()
{
    return canvas()->measure().rulers().size();
}

} // namespace

class TestMeasureOverlay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void rulerMeasuresInWorldUnits_data();
    void rulerMeasuresInWorldUnits();
    void rulersAddClearAndCopy();
};

void TestMeasureOverlay::initTestCase()
{
    testapp::resetApplication();
    QVERIFY(testapp::showCanvasAt(QSize(400, 300)));
    ViewerApp::instance()->mainWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(ViewerApp::instance()->mainWindow));
}

void TestMeasureOverlay::init()
{
    testapp::resetApplication();
    canvas()->setFocus();
    QVERIFY(QTest::qWaitFor([] { return canvas()->hasFocus(); }));
    QTest::keyClick(canvas(), Qt::Key_M);
    QVERIFY(canvas()->measure().measuring());
}

void TestMeasureOverlay::cleanup()
{
    if (canvas()->measure().measuring())
        QTest::keyClick(canvas(), Qt::Key_M);
    canvas()->measure().clear();
}

void TestMeasureOverlay::rulerMeasuresInWorldUnits_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QPointF>("origin");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QPointF>("start");
    QTest::addColumn<QPointF>("delta");
    QTest::newRow("ratio 1") << 1.0 << QPointF(0, 300) << QPoint(10, 290) << QPoint(40, 250)
                             << QPointF(10, 10) << QPointF(30, 40);
    QTest::newRow("ratio 0.7") << 0.7 << QPointF(5, 295) << QPoint(12, 288) << QPoint(33, 260)
                               << QPointF(10, 10) << QPointF(30, 40);
    QTest::newRow("ratio 3.3, up and left")
        << 3.3 << QPointF(0, 300) << QPoint(200, 150) << QPoint(167, 183)
        << QPointF(200 / 3.3, 150 / 3.3) << QPointF(-10, -10);
    QTest::newRow("ratio 0.001") << 0.001 << QPointF(0, 0) << QPoint(100, 100) << QPoint(103, 104)
                                 << QPointF(100000, -100000) << QPointF(3000, -4000);
}

// A ruler holds the world points under the press and the release, says dx, dy and the length
// as descriptions print numbers, is drawn over the scene and moves with the view.
void TestMeasureOverlay::rulerMeasuresInWorldUnits()
{
    QFETCH(double, ratio);
    QFETCH(QPointF, origin);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QPointF, start);
    QFETCH(QPointF, delta);
    ViewerApp* app = ViewerApp::instance();
    app->ratio = ratio;
    app->originX = origin.x();
    app->originY = origin.y();
    drag(from, to);
    QCOMPARE(app->originX, origin.x());
    QCOMPARE(rulerCount(), std::size_t(1));
    const MeasureOverlay::Ruler& ruler = canvas()->measure().rulers().front();
    QCOMPARE(ruler.from, start);
    QCOMPARE(ruler.to - ruler.from, delta);
    const QString text = canvas()->measure().lastRulerText();
    const double length = std::hypot(delta.x(), delta.y());
    QVERIFY2(
        text.endsWith(QString::asprintf("dx %f, dy %f, length %f", delta.x(), delta.y(), length)),
        qPrintable(text));
    QVERIFY2(text.startsWith(QString::asprintf("from %f %f to ", start.x(), start.y())),
             qPrintable(text));
    QCOMPARE(canvasImage().pixelColor(from), kRuler);
    QTest::keyClick(canvas(), Qt::Key_Left);
    QCOMPARE(canvasImage().pixelColor(from + QPoint(40, 0)), kRuler);
    QCOMPARE(canvas()->measure().lastRulerText(), text);
}

// Drags add rulers and do not pan; Ctrl+C copies the last; Esc drops the ruler being dragged,
// then every ruler, as Delete does; printing and export paint no ruler. Without the mode, a
// drag pans again.
void TestMeasureOverlay::rulersAddClearAndCopy()
{
    ViewerApp* app = ViewerApp::instance();
    app->originY = 300;
    drag(QPoint(10, 290), QPoint(40, 250));
    drag(QPoint(100, 100), QPoint(100, 100));
    drag(QPoint(200, 100), QPoint(260, 100));
    QCOMPARE(rulerCount(), std::size_t(2));
    QCOMPARE(app->originX, 0.0);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    QTest::keyClick(canvas(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(),
             QStringLiteral("from 200.000000 200.000000 to 260.000000 200.000000: dx 60.000000, "
                            "dy 0.000000, length 60.000000"));

    QImage scene(canvas()->size(), QImage::Format_RGB32);
    QPainter painter(&scene);
    ScenePainter().paintScene(&painter, app->sceneView(scene.size()));
    painter.end();
    QCOMPARE(scene.pixelColor(230, 100), QColor(Qt::white));
    QCOMPARE(canvasImage().pixelColor(230, 100), kRuler);

    QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    QTest::keyClick(canvas(), Qt::Key_Escape);
    QCOMPARE(rulerCount(), std::size_t(2));
    QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(90, 50));
    QCOMPARE(rulerCount(), std::size_t(2));
    QTest::keyClick(canvas(), Qt::Key_Escape);
    QCOMPARE(rulerCount(), std::size_t(0));
    QCOMPARE(canvasImage().pixelColor(230, 100), QColor(Qt::white));
    drag(QPoint(10, 290), QPoint(40, 250));
    QTest::keyClick(canvas(), Qt::Key_Delete);
    QCOMPARE(rulerCount(), std::size_t(0));

    QTest::keyClick(canvas(), Qt::Key_M);
    QVERIFY(!canvas()->measure().measuring());
    drag(QPoint(10, 290), QPoint(40, 250));
    QCOMPARE(rulerCount(), std::size_t(0));
    QCOMPARE(app->originX, 30.0);
}

QTEST_MAIN(TestMeasureOverlay)
#include "tst_measureoverlay.moc"
