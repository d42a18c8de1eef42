#include "render/directcanvas.h"
#include "scenes.h"
#include "support/testapp.h"

#include <QtTest>

#include <random>

namespace
{

// Two thousand objects of every kind spread beyond the canvas on all sides, densely enough that
// many cross its edges at any of the views below, while most are skipped. Each kind comes in two
// colours, so that shapes of the same geometry differ only in colour.
QByteArray spreadScene()
{
    std::mt19937 random(42);
    const auto at = [&random] { return static_cast<double>(random() % 800) - 400.0; };
    QByteArray text = "endheader\n";
    for (int i = 0; i < 2000; ++i) {
        const double x = at(), y = at();
        const bool second = i % 12 >= 6;
        switch (i % 6) {
        case 0:
            text += QStringLiteral("pt %1 %2 %3 %4\n")
                        .arg(x)
                        .arg(y)
                        .arg(second ? "green" : "red")
                        .arg(i % 8)
                        .toLatin1();
            break;
        case 1:
            text += QStringLiteral("line %1 %2 %3 %4 %5\n")
                        .arg(x)
                        .arg(y)
                        .arg(x + 30)
                        .arg(y - 9)
                        .arg(second ? "maroon" : "blue")
                        .toLatin1();
            break;
        case 2:
            text += QStringLiteral("rect %1 %2 %3 %4 %5\n")
                        .arg(x)
                        .arg(y)
                        .arg(x + 12)
                        .arg(y + 7)
                        .arg(second ? "orange" : "teal")
                        .toLatin1();
            break;
        case 3:
            text += QStringLiteral("circle %1 %2 6 %3\n")
                        .arg(x)
                        .arg(y)
                        .arg(second ? "gray" : "purple")
                        .toLatin1();
            break;
        case 4:
            text += QStringLiteral("path 3 %1 %2 %3 %4 %5 %6 %7\n")
                        .arg(x)
                        .arg(y)
                        .arg(x + 20)
                        .arg(y + 5)
                        .arg(x + 8)
                        .arg(y + 30)
                        .arg(second ? "black" : "navy")
                        .toLatin1();
            break;
        default:
            text += QStringLiteral("polygon 3 %1 %2 %3 %4 %5 %6 %7\n")
                        .arg(x)
                        .arg(y)
                        .arg(x + 15)
                        .arg(y)
                        .arg(x + 7)
                        .arg(y + 12)
                        .arg(second ? "yellow" : "olive")
                        .toLatin1();
        }
    }
    return text;
}

// Both layers through the scene painter's layer painting, as the printer gets them.
QImage layersOn(const QSize& page)
{
    QImage image(page, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const SceneView view = ViewerApp::instance()->sceneView(page);
    ScenePainter scene;
    scene.paintLayer(&painter, view, 0);
    scene.paintLayer(&painter, view, 1);
    return image;
}

// The same by plain painting, on a 24-bit image that takes no stamps.
QImage plainLayersOn(const QSize& page)
{
    QImage image(page, QImage::Format_RGB888);
    image.fill(Qt::white);
    QPainter painter(&image);
    scenes::paintEveryObject(painter);
    painter.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestCulling : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        testapp::resetApplication();
        QVERIFY(testapp::showCanvasAt(QSize(240, 160)));
    }

    // Painting skips objects by their compact bounds; what it paints must still be exactly
    // what painting every object paints, on the canvas and on a page larger than the canvas.
    void skippingObjectsChangesNoPixel_data()
    {
        QTest::addColumn<bool>("spread");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QPointF>("origin");
        QTest::addColumn<int>("pointSize");
        QTest::addColumn<int>("lineWidth");
        QTest::newRow("every kind") << false << 2.0 << QPointF(20.5, 140.25) << 3 << 5;
        QTest::newRow("every kind, far zoom") << false << 1e7 << QPointF(-3e7, 2e7) << 3 << 1;
        QTest::newRow("spread") << true << 1.0 << QPointF(120, 80) << 3 << 1;
        QTest::newRow("spread, zoomed out") << true << 0.5 << QPointF(120, 80) << 3 << 1;
        QTest::newRow("spread, zoomed in") << true << 4.0 << QPointF(-700, 900) << 3 << 1;
        QTest::newRow("spread, big markers and wide lines")
            << true << 1.0 << QPointF(300, -200) << 60 << 40;
        // Shapes a few pixels across, repeated many times, as in a large drawing fitted to the
        // window: painted from the shapes remembered the first time.
        QTest::newRow("spread, far out") << true << 0.1 << QPointF(120, 80) << 3 << 1;
        QTest::newRow("spread, far out, two-pixel lines")
            << true << 0.15 << QPointF(110, 70) << 4 << 2;
    }

    void skippingObjectsChangesNoPixel()
    {
        QFETCH(bool, spread);
        QFETCH(double, ratio);
        QFETCH(QPointF, origin);
        QFETCH(int, pointSize);
        QFETCH(int, lineWidth);
        testapp::resetApplication();
        testapp::loadText(spread ? spreadScene() : scenes::kEveryKind);
        ViewerApp* app = ViewerApp::instance();
        app->ratio = ratio;
        app->originX = origin.x();
        app->originY = origin.y();
        app->pointSize = pointSize;
        app->lineWidth = lineWidth;
        DrawingModel::ObjectList& objects = DrawingModel::instance()->objects;
        for (std::size_t i = 1; i < objects.size(); i += 7)
            DrawingModel::instance()->setHighlighted(objects[i], true);
        objects[6]->visible = false;
        DirectCanvas::clear();
        QVERIFY(scenes::paintedWhole() == scenes::paintedPlainly());
        if (spread && ratio < 1.0)
            QVERIFY(DirectCanvas::size() > 0);
        const QSize page = app->display->size() * 3;
        QVERIFY(layersOn(page) == plainLayersOn(page));
    }

    // The canvas itself, repainted in part (as when a window uncovers it) and then whole: each
    // time the pixels it repaints are those of plain painting, and a pan that follows still
    // moves the right picture.
    void canvasRepaintsMatchPlainPainting()
    {
        testapp::resetApplication();
        testapp::loadText(spreadScene());
        ViewerApp* app = ViewerApp::instance();
        app->ratio = 1.0;
        app->originX = 120;
        app->originY = 80;
        // The fix marker is drawn over the scene; it is kept off the canvas here.
        app->fixX = -100;
        app->fixY = -100;
        QwgtDisplay* display = app->display;
        const QImage plain = scenes::paintedPlainly();
        // The canvas last showed another view, so that nothing old passes for new.
        QImage canvas(display->size(), QImage::Format_RGB32);
        app->originX = 20;
        display->render(&canvas);
        app->originX = 120;
        const QRect part(13, 7, 61, 45);
        canvas.fill(Qt::black);
        display->render(&canvas, part.topLeft(), QRegion(part));
        QCOMPARE(canvas.copy(part), plain.copy(part));
        display->render(&canvas);
        QCOMPARE(canvas, plain);

        QTest::mousePress(display, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QTest::mouseMove(display, QPoint(103, 98));
        const QImage panned = scenes::paintedPlainly();
        display->render(&canvas);
        QTest::mouseRelease(display, Qt::LeftButton, Qt::NoModifier, QPoint(103, 98));
        QCOMPARE(canvas, panned);
    }
};

QTEST_MAIN(TestCulling)
#include "tst_culling.moc"
