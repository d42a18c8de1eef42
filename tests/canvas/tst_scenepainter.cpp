#include "scenes.h"
#include "support/testapp.h"

#include <QtTest>

class TestScenePainter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        testapp::resetApplication();
        QVERIFY(testapp::showCanvasAt(QSize(240, 160)));
    }

    void paintsTheGivenViewAndLeavesTheControllersAlone_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QPointF>("origin");
        QTest::addColumn<int>("pointSize");
        QTest::addColumn<int>("lineWidth");
        QTest::addColumn<QColor>("highlight");
        QTest::newRow("near, wide pens")
            << 2.0 << QPointF(20.5, 140.25) << 5 << 4 << QColor(Qt::red);
        QTest::newRow("far zoom") << 1e7 << QPointF(-3e7, 2e7) << 2 << 1 << QColor(0, 200, 50);
    }

    // A picture of another view than the controller shows, painted on an image alone, is what
    // the canvas shows in that view; the controller still shows its own view afterwards.
    void paintsTheGivenViewAndLeavesTheControllersAlone()
    {
        QFETCH(double, ratio);
        QFETCH(QPointF, origin);
        QFETCH(int, pointSize);
        QFETCH(int, lineWidth);
        QFETCH(QColor, highlight);
        testapp::resetApplication();
        testapp::loadText(scenes::kEveryKind);
        DrawingModel::instance()->setHighlighted(DrawingModel::instance()->objects[1], true);
        ViewerApp* app = ViewerApp::instance();
        QwgtDisplay* display = app->display;
        // The fix marker is drawn over the scene; it is kept off the canvas here.
        app->fixX = app->fixY = -100;
        app->ratio = ratio;
        app->originX = origin.x();
        app->originY = origin.y();
        app->pointSize = pointSize;
        app->lineWidth = lineWidth;
        app->highlightColor = highlight;
        const SceneView view = app->sceneView(display->size());
        const QImage canvas = display->grab().toImage().convertToFormat(QImage::Format_RGB32);

        testapp::resetApplication();
        testapp::loadText(scenes::kEveryKind);
        DrawingModel::instance()->setHighlighted(DrawingModel::instance()->objects[1], true);
        QImage image(view.size, QImage::Format_RGB32);
        {
            QPainter painter(&image);
            painter.setPen(display->palette().color(display->foregroundRole()));
            ScenePainter().paintScene(&painter, view);
        }
        QCOMPARE(image, canvas);
        QCOMPARE(app->ratio, 1.0);
        QCOMPARE(app->originX, 0.0);
        QCOMPARE(app->originY, 0.0);
        QCOMPARE(app->pointSize, 3);
        QCOMPARE(app->lineWidth, 1);
        QCOMPARE(app->highlightColor, QColor(255, 128, 0));
    }
};

QTEST_MAIN(TestScenePainter)
#include "tst_scenepainter.moc"
