#include "app/viewerapp.h"
#include "canvas/pancache.h"
#include "canvas/qwgtdisplay.h"
#include "model/paintobject.h"
#include "scenes.h"
#include "support/testapp.h"

#include <QMainWindow>
#include <QPainter>
#include <QtTest>

namespace
{

QImage canvasNow()
{
    return ViewerApp::instance()->display->grab().toImage().convertToFormat(QImage::Format_RGB32);
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
    void backgroundFramesAreTheSynchronousOnes_data();
    void backgroundFramesAreTheSynchronousOnes();
    void previewsCoverTheWholeCanvas_data();
    void previewsCoverTheWholeCanvas();
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
        << scenes::kInside << 2.0 << QList<QPoint>{{10, 0}, {10, 7}, {3, 25}, {1, 1}};
    QTest::newRow("inside, left and up")
        << scenes::kInside << 2.0 << QList<QPoint>{{-10, 0}, {0, -8}, {-5, -5}};
    QTest::newRow("right and down")
        << scenes::kEveryKind << 2.0 << QList<QPoint>{{10, 0}, {10, 7}, {3, 25}};
    QTest::newRow("left and up across the edges")
        << scenes::kEveryKind << 2.0 << QList<QPoint>{{-10, 0}, {-30, -12}, {-1, -1}, {-60, 0}};
    QTest::newRow("back and forth")
        << scenes::kEveryKind << 3.5 << QList<QPoint>{{40, 40}, {-40, -40}, {0, 5}, {5, 0}};
    QTest::newRow("far zoom") << scenes::kEveryKind << 1e7 << QList<QPoint>{{10, 10}, {-20, 3}};
    QTest::newRow("larger than the canvas")
        << scenes::kEveryKind << 2.0 << QList<QPoint>{{300, 0}, {0, -200}};
    // One object across one edge of the canvas, which no pan may simply move; two points far
    // away spread the bounds' grid well beyond the canvas.
    const std::pair<const char*, QByteArray> acrossAnEdge[] = {
        {"right", "polygon 3 100.3 20.2 130.1 26.7 104.6 30.9 red\n"},
        {"bottom", "polygon 3 30.3 -5.2 42.1 -20.7 36.6 -3.1 blue\n"},
        {"top", "polygon 3 40.2 80.3 47.7 64.1 50.9 75.6 green\n"},
        {"left", "polygon 3 -20.3 20.2 -4.1 27.7 -15.6 30.9 navy\n"}};
    // Given larger corner first, its box is inverted: the rest of the drawing lies inside.
    QTest::newRow("an inverted rectangle across the right edge")
        << scenes::kInside + "rect 130.1 26.7 100.3 20.2 red\n"
        << 2.0 << QList<QPoint>{{2, 1}, {-3, 2}};
    for (const auto& [edge, polygon] : acrossAnEdge)
        QTest::newRow(qPrintable(QStringLiteral("an object across the %1 edge").arg(edge)))
            << scenes::kInside + polygon + "pt -300 -300 red 0\npt 300 300 red 0\n"
            << 2.0 << QList<QPoint>{{2, 1}, {-3, 2}, {1, -2}, {-1, -1}};
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
    DrawingModel::instance()->setHighlighted(DrawingModel::instance()->objects[1], true);
    DrawingModel::instance()->objects[6]->visible = false;
    QWidget* canvas = app->display;
    QPoint mouse(120, 80);
    const auto compareWithWhole = [&mouse](const char* when) {
        const QImage expected = scenes::paintedWhole();
        const QImage actual = canvasNow();
        for (int y = 0; y < expected.height(); ++y) {
            for (int x = 0; x < expected.width(); ++x) {
                if (actual.pixel(x, y) != expected.pixel(x, y))
                    return QStringLiteral("%1 (%2, %3): pixel (%4, %5)")
                        .arg(QLatin1String(when))
                        .arg(mouse.x())
                        .arg(mouse.y())
                        .arg(x)
                        .arg(y);
            }
        }
        return QString();
    };
    QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, mouse);
    for (const QPoint& step : steps) {
        mouse += step;
        moveTo(mouse);
        const QString difference = compareWithWhole("after moving to");
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }
    // The picture that the pan left is kept as the frame at rest.
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, mouse);
    const QString difference = compareWithWhole("released at");
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestPanCache::backgroundFramesAreTheSynchronousOnes_data()
{
    QTest::addColumn<QByteArray>("scene");
    // Views given one after the other without waiting for their frames: ratio, origin x, y.
    QTest::addColumn<QList<QList<double>>>("views");
    // A type hidden after the second view, while its frame is painted; none when empty.
    QTest::addColumn<QString>("hidden");
    // Every third object highlighted; the colour "glass" made see-through, which no file can
    // declare but the frame must still be exact for.
    QTest::addColumn<bool>("highlightSome");
    QTest::addColumn<bool>("seeThrough");
    const QList<QList<double>> oneView{{2.0, 20.5, 140.25}};
    QTest::newRow("one view") << scenes::kEveryKind << oneView << QString() << false << false;
    QTest::newRow("zoomed several times")
        << scenes::kEveryKind
        << QList<QList<double>>{{2.0, 20.5, 140.25}, {2.5, 31, 150}, {7.0, -80, 300}, {1.5, 10, 90}}
        << QString() << false << false;
    QTest::newRow("a type hidden meanwhile")
        << scenes::kEveryKind
        << QList<QList<double>>{{2.0, 20.5, 140.25}, {3.0, 40, 120}, {3.0, 41, 121}}
        << QStringLiteral("rect") << false << false;
    QTest::newRow("inside, back to the first view")
        << scenes::kInside << QList<QList<double>>{{2.0, 20, 100}, {4.0, 0, 150}, {2.0, 20, 100}}
        << QString() << false << false;
    QTest::newRow("highlighted objects")
        << scenes::kEveryKind << oneView << QString() << true << false;
    QTest::newRow("see-through colour, highlighted objects")
        << scenes::kEveryKind + "rect -60 -40 60 60 glass\npt 20 20 glass 1\n"
        << oneView << QString() << true << true;
}

// Every scene goes to the background painter: the frame that ends up shown is the one that
// painting at once would show, however often the view changed while it was painted.
void TestPanCache::backgroundFramesAreTheSynchronousOnes()
{
    QFETCH(QByteArray, scene);
    QFETCH(QList<QList<double>>, views);
    QFETCH(QString, hidden);
    QFETCH(bool, highlightSome);
    QFETCH(bool, seeThrough);
    const std::size_t threshold = QwgtDisplay::backgroundPaintThreshold();
    QwgtDisplay::setBackgroundPaintFrom(0);
    testapp::resetApplication();
    ViewerApp* app = ViewerApp::instance();
    testapp::loadText(scene);
    app->fixX = app->fixY = -100;
    if (seeThrough)
        app->fileColors["glass"] = QColor(0, 90, 255, 100);
    DrawingModel::ObjectList& objects = DrawingModel::instance()->objects;
    for (std::size_t i = 0; highlightSome && i < objects.size(); i += 3)
        DrawingModel::instance()->setHighlighted(objects[i], true);
    for (int i = 0; i < views.size(); ++i) {
        app->ratio = views[i][0];
        app->originX = views[i][1];
        app->originY = views[i][2];
        app->display->repaint();
        if (i == 1 && !hidden.isEmpty()) {
            DrawingModel::instance()->setTypeVisible(hidden.toStdString(), 0);
            app->display->repaint();
        }
    }
    const bool exact = QTest::qWaitFor([app] { return app->display->showsExactFrame(); }, 10000);
    QwgtDisplay::setBackgroundPaintFrom(threshold);
    QVERIFY(exact);
    QCOMPARE(canvasNow(), scenes::paintedWhole());
}

void TestPanCache::previewsCoverTheWholeCanvas_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<QPointF>("offset");
    QTest::newRow("half a pixel") << 1.0 << QPointF(0.5, -0.5);
    QTest::newRow("moved by fractions") << 1.0 << QPointF(-37.5, 12.25);
    QTest::newRow("zoomed in") << 2.0 << QPointF(-120.0, -80.0);
    QTest::newRow("zoomed in off the grid") << 1.37 << QPointF(-30.3, -10.7);
    QTest::newRow("zoomed out") << 0.5 << QPointF(60.25, 40.75);
    QTest::newRow("a hundred thousandfold") << 1e5 << QPointF(-1.2e7, -8e6);
    QTest::newRow("a hundred thousandth") << 1e-5 << QPointF(120.0, 80.0);
    QTest::newRow("beyond a millionfold") << 2e6 << QPointF(0.0, 0.0);
    QTest::newRow("far away") << 1.0 << QPointF(1e12, -1e12);
}

// The canvas is not cleared before it paints: a preview must set every pixel, wherever the kept
// picture lands.
void TestPanCache::previewsCoverTheWholeCanvas()
{
    QFETCH(double, scale);
    QFETCH(QPointF, offset);
    testapp::resetApplication();
    testapp::loadText(scenes::kEveryKind);
    const SceneView kept{10.0, 150.0, 2.0, QSize(240, 160)};
    PanCache cache;
    cache.exactScene(kept, QPen(Qt::black), QRegion(QRect(QPoint(0, 0), kept.size)));
    SceneView now = kept;
    now.ratio = kept.ratio * scale;
    now.originX = kept.originX * scale + offset.x();
    now.originY = kept.originY * scale + offset.y();
    const QRgb stale = qRgb(1, 2, 3);
    QImage canvas(kept.size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(stale);
    {
        QPainter painter(&canvas);
        cache.paintPreview(&painter, now, QPen(Qt::black));
    }
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (canvas.pixel(x, y) == stale)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) left as it was").arg(x).arg(y)));
}

QTEST_MAIN(TestPanCache)
#include "tst_pancache.moc"
