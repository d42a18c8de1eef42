#include "app/qwgtdisplay.h"
#include "app/viewerapp.h"
#include "model/paintobject.h"
#include "support/testapp.h"

#include <QMainWindow>
#include <QPainter>
#include <QtTest>

namespace
{

// Objects of every kind, highlighted and hidden ones, wide strokes, and objects that cross the
// canvas edges or lie far beyond them, at a view where pans bring them in and out.
const QByteArray kScene =
    "endheader\n"
    "rect -50 -30 30 40 teal\nrect 20 20 60 60 yellow\n"
    "line -1000 5 1000 7 red\nline 10 -1e12 12 1e12 blue\n"
    "path 4 -20 -20 10 30 40 -5 80 25 navy\npolygon 5 0 0 30 10 25 40 5 45 -10 20 olive\n"
    "circle 50 10 12 purple\ncircle -3 -3 8 lime\n"
    "pt 5 5 black 0\npt 15 5 black 1\npt 25 5 black 2\npt 35 5 black 3\n"
    "pt 45 5 black 4\npt 55 5 black 7\npt -0.3 2 red 1\npt 3 -0.2 red 0\n"
    "line 0.25 0.25 70 -20 maroon\nrect 1e15 1e15 2e15 2e15 gray\n";

// Objects well inside the canvas, as after fitting: every pan step can move the picture.
const QByteArray kInsideScene =
    "endheader\n"
    "rect 10 10 30 25 teal\nline 5 5 50 40 red\ncircle 40 20 6 purple\n"
    "path 3 8 30 20 35 45 12 navy\npolygon 4 30 5 50 8 45 20 28 15 olive\n"
    "pt 15 15 black 0\npt 20 15 black 2\npt 25 15 black 6\n";

QImage canvasNow()
{
    return ViewerApp::instance()->display->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The scene painted whole at the current view, as the canvas paints it outside a pan.
QImage paintedWhole()
{
    const QwgtDisplay* display = ViewerApp::instance()->display;
    QImage image(display->size(), QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setPen(display->palette().color(display->foregroundRole()));
    display->paintScene(&painter, display->size());
    return image;
}

void moveTo(const QPoint& position)
{
    QwgtDisplay* display = ViewerApp::instance()->display;
    QMouseEvent move(QEvent::MouseMove, QPointF(position), display->mapToGlobal(QPointF(position)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(display, &move);
}

} // namespace

class TestPanCache : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void panningPaintsWhatAFullRepaintPaints_data();
    void panningPaintsWhatAFullRepaintPaints();
};

void TestPanCache::initTestCase()
{
    testapp::resetApplication();
    QVERIFY(testapp::showCanvasAt(QSize(240, 160)));
}

void TestPanCache::panningPaintsWhatAFullRepaintPaints_data()
{
    QTest::addColumn<QByteArray>("scene");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QList<QPoint>>("steps");
    QTest::newRow("inside, right and down")
        << kInsideScene << 2.0 << QList<QPoint>{{10, 0}, {10, 7}, {3, 25}, {1, 1}};
    QTest::newRow("inside, left and up")
        << kInsideScene << 2.0 << QList<QPoint>{{-10, 0}, {0, -8}, {-5, -5}};
    QTest::newRow("right and down") << kScene << 2.0 << QList<QPoint>{{10, 0}, {10, 7}, {3, 25}};
    QTest::newRow("left and up across the edges")
        << kScene << 2.0 << QList<QPoint>{{-10, 0}, {-30, -12}, {-1, -1}, {-60, 0}};
    QTest::newRow("back and forth")
        << kScene << 3.5 << QList<QPoint>{{40, 40}, {-40, -40}, {0, 5}, {5, 0}};
    QTest::newRow("far zoom") << kScene << 1e7 << QList<QPoint>{{10, 10}, {-20, 3}};
    QTest::newRow("larger than the canvas") << kScene << 2.0 << QList<QPoint>{{300, 0}, {0, -200}};
}

void TestPanCache::panningPaintsWhatAFullRepaintPaints()
{
    QFETCH(QByteArray, scene);
    QFETCH(double, ratio);
    QFETCH(QList<QPoint>, steps);
    testapp::resetApplication();
    ViewerApp* app = ViewerApp::instance();
    testapp::loadText(scene);
    app->ratio = ratio;
    app->originX = 20.5;
    app->originY = 140.25;
    app->fixX = app->fixY = -100;
    app->lineWidth = 5;
    DrawingModel::instance()->objects[1]->highlighted = true;
    DrawingModel::instance()->objects[6]->visible = false;
    QWidget* canvas = app->display;
    QPoint mouse(120, 80);
    QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, mouse);
    for (const QPoint& step : steps) {
        mouse += step;
        moveTo(mouse);
        const QImage expected = paintedWhole();
        const QImage actual = canvasNow();
        for (int y = 0; y < expected.height(); ++y) {
            for (int x = 0; x < expected.width(); ++x) {
                QVERIFY2(actual.pixel(x, y) == expected.pixel(x, y),
                         qPrintable(QStringLiteral("after moving to (%1, %2): pixel (%3, %4)")
                                        .arg(mouse.x())
                                        .arg(mouse.y())
                                        .arg(x)
                                        .arg(y)));
            }
        }
    }
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, mouse);
}

QTEST_MAIN(TestPanCache)
#include "tst_pancache.moc"
