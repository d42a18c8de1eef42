#include "canvas.h"
#include "support/testapp.h"

#include <QtTest>

using namespace canvas;

class TestPaintCircle : public QObject
{
    Q_OBJECT

private slots:
    void init() { testapp::resetApplication(); }

    void textsAndBoundsFollowCentreAndRadius()
    {
        const auto circle = create("circle", " 1 2 3 red w 3");
        QCOMPARE(circle->description(), QString("Circle\n1.000000 2.000000\n3.000000\nw=3\n"));
        QCOMPARE(circle->briefText(), QString("1.000000 2.000000 (3.000000)"));
        QCOMPARE(circle->anchorPoint(), QPointF(1, 2));
        QCOMPARE(boundsOf(*circle), QRectF(QPointF(-2, -1), QPointF(4, 5)));
    }

    void drawsTheEllipseOfItsPixelSquare_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<bool>("highlighted");
        QTest::addColumn<QRect>("square");
        QTest::addColumn<QColor>("outline");
        QTest::addColumn<QColor>("fill");
        // The origin is at pixel (100, 50).
        QTest::newRow("radius 10")
            << " 0 0 5 red" << 2.0 << false << QRect(90, 40, 20, 20) << kGrey << kRed;
        QTest::newRow("highlighted")
            << " 0 0 5 red" << 2.0 << true << QRect(90, 40, 20, 20) << kRed << kHighlight;
        // 0.4 pixels truncate to none: nothing at all is drawn, not even the outline.
        QTest::newRow("sub-pixel") << " 0 0 0.4 red" << 1.0 << false << QRect() << kGrey << kRed;
        // Centre and radius clamp to 5e8 pixels; the sums stay ints and the disc covers all.
        QTest::newRow("huge") << " 0 0 1e308 red" << 1.0 << false
                              << QRect(100 - 500000000, 50 - 500000000, 1000000000, 1000000000)
                              << kGrey << kRed;
    }
    void drawsTheEllipseOfItsPixelSquare()
    {
        QFETCH(QString, record);
        QFETCH(double, ratio);
        QFETCH(bool, highlighted);
        QFETCH(QRect, square);
        QFETCH(QColor, outline);
        QFETCH(QColor, fill);
        ViewerApp* app = ViewerApp::instance();
        app->originX = 100;
        app->originY = 50;
        app->ratio = ratio;
        const auto circle = create("circle", qPrintable(record));
        circle->highlighted = highlighted;
        const QImage expected = reference(outline, fill, [square](QPainter& painter) {
            if (!square.isNull())
                painter.drawEllipse(square);
        });
        VERIFY_NO_MISMATCH(firstDifference(render(*circle), expected));
    }
};

QTEST_MAIN(TestPaintCircle)
#include "tst_paintcircle.moc"
