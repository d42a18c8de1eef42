#include "app/qwgtdisplay.h"
#include "app/viewerapp.h"
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

QTEST_MAIN(TestPanCache)
#include "tst_pancache.moc"
