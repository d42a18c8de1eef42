#include "canvas.h"
#include "support/testapp.h"

#include <QtTest>

using namespace canvas;

class TestPaintLine : public QObject
{
    Q_OBJECT

private slots:
    void init() { testapp::resetApplication(); }

    // Ends given right to left and bottom to top: bounds are ordered, texts keep record order.
    void textsAndBoundsFollowTheEnds()
    {
        const auto line = create("line", " 5 1 2 3 red w 3 h");
        QCOMPARE(line->description(), QString("Line\n5.000000 1.000000\n2.000000 3.000000\nw=3\n"));
        QCOMPARE(line->briefText(), QString("5.000000 1.000000\n2.000000 3.000000"));
        QCOMPARE(line->anchorPoint(), QPointF(3.5, 2));
        QCOMPARE(boundsOf(*line), QRectF(QPointF(2, 1), QPointF(5, 3)));
        // Ends at the largest doubles still have a finite midpoint.
        const auto huge = create("line", " 1.7e308 -1.7e308 1.7e308 -1.7e308 red");
        QCOMPARE(huge->anchorPoint(), QPointF(1.7e308, -1.7e308));
    }

    void strokeCoversTheSegmentAndItsCaps_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<int>("lineWidth");
        QTest::addColumn<bool>("highlighted");
        QTest::addColumn<QRect>("box");
        QTest::addColumn<QColor>("stroke");
        // World (x, y) is pixel (x, 100 - y).
        QTest::newRow("thin") << " 10 80 30 80 red" << 1 << false
                              << QRect(QPoint(10, 20), QPoint(30, 20)) << kRed;
        // Square caps reach half the width, 2 pixels, past each end.
        QTest::newRow("wide") << " 10 80 30 80 red" << 5 << false
                              << QRect(QPoint(8, 18), QPoint(32, 22)) << kRed;
        QTest::newRow("highlighted") << " 10 80 30 80 red" << 1 << true
                                     << QRect(QPoint(10, 20), QPoint(30, 20)) << kHighlight;
        // Ends beyond any screen clamp on both sides alike: the line spans the canvas.
        QTest::newRow("infinite reach") << " -1e308 50 1e308 50 blue" << 1 << false
                                        << QRect(QPoint(0, 50), QPoint(kWidth - 1, 50)) << kBlue;
    }
    void strokeCoversTheSegmentAndItsCaps()
    {
        QFETCH(QString, record);
        QFETCH(int, lineWidth);
        QFETCH(bool, highlighted);
        QFETCH(QRect, box);
        QFETCH(QColor, stroke);
        ViewerApp::instance()->originY = 100;
        ViewerApp::instance()->lineWidth = lineWidth;
        const auto line = create("line", qPrintable(record));
        line->highlighted = highlighted;
        const QImage image = render(*line);
        QCOMPARE(paintedBox(image), box);
        VERIFY_NO_MISMATCH(wrongPixel(image, {box.topLeft(), box.bottomRight()}, stroke));
    }
};

QTEST_MAIN(TestPaintLine)
#include "tst_paintline.moc"
