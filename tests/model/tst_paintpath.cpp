#include "canvas.h"
#include "support/testapp.h"

#include <QPainter>
#include <QtTest>

using namespace canvas;

class TestPaintPath : public QObject
{
    Q_OBJECT

private slots:
    void init() { testapp::resetApplication(); }

    void textsAndAnchor_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("brief");
        QTest::addColumn<QPointF>("anchor");
        // A property name without a value is dropped.
        QTest::newRow("two vertices")
            << " 2 0 0 1 2 blue w 3 x"
            << "Path\n[ 0] 0.000000 0.000000\n[ 1] 1.000000 2.000000\nw=3\n"
            << "0.000000 0.000000\n~\n1.000000 2.000000" << QPointF(1, 2);
        QTest::newRow("three vertices")
            << " 3 0 0 1 -1 2.5 2 red"
            << "Path\n[ 0] 0.000000 0.000000\n[ 1] 1.000000 -1.000000\n[ 2] 2.500000 2.000000\n\n"
            << "0.000000 0.000000\n~\n2.500000 2.000000" << QPointF(1, -1);
        QTest::newRow("four vertices")
            << " 4 0 0 1 1 2 2 3 3 red // end"
            << "Path\n[ 0] 0.000000 0.000000\n[ 1] 1.000000 1.000000\n[ 2] 2.000000 2.000000\n"
               "[ 3] 3.000000 3.000000\n\n end"
            << "0.000000 0.000000\n~\n3.000000 3.000000" << QPointF(2, 2);
    }
    void textsAndAnchor()
    {
        QFETCH(QString, record);
        QFETCH(QString, description);
        QFETCH(QString, brief);
        QFETCH(QPointF, anchor);
        const auto path = create("path", qPrintable(record));
        QCOMPARE(path->description(), description);
        QCOMPARE(path->briefText(), brief);
        QCOMPARE(path->anchorPoint(), anchor);
    }

    void indicesKeepTwoColumns()
    {
        const auto path =
            create("path", " 12 0 0 1 0 2 0 3 0 4 0 5 0 6 0 7 0 8 0 9 0 10 0 11 0 red");
        QVERIFY2(path->description().contains("\n[ 9] 9.000000 0.000000\n"
                                              "[10] 10.000000 0.000000\n"
                                              "[11] 11.000000 0.000000\n\n"),
                 qPrintable(path->description()));
    }

    void segmentsAreCappedOneByOne_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("highlighted");
        QTest::addColumn<QRect>("box");
        QTest::addColumn<QColor>("stroke");
        // At lineWidth 5 every end, the bend included, gets a square cap 2 pixels deep.
        QTest::newRow("bend") << " 3 10 80 50 80 50 40 red" << false
                              << QRect(QPoint(8, 18), QPoint(52, 62)) << kRed;
        QTest::newRow("highlighted") << " 3 10 80 50 80 50 40 red" << true
                                     << QRect(QPoint(8, 18), QPoint(52, 62)) << kHighlight;
        // One vertex is no segment: not even a cap-sized dot appears.
        QTest::newRow("one vertex") << " 1 10 80 red" << false << QRect() << kRed;
    }
    void segmentsAreCappedOneByOne()
    {
        QFETCH(QString, record);
        QFETCH(bool, highlighted);
        QFETCH(QRect, box);
        QFETCH(QColor, stroke);
        ViewerApp::instance()->originY = 100;
        ViewerApp::instance()->lineWidth = 5;
        const auto path = create("path", qPrintable(record));
        path->highlighted = highlighted;
        const QImage image = render(*path);
        QCOMPARE(paintedBox(image), box);
        if (box.isNull())
            return;
        // Both caps cover the bend's outer corner (a joined polyline would bevel it); the inside
        // of the bend stays empty.
        VERIFY_NO_MISMATCH(wrongPixel(image, {{52, 18}, {8, 22}, {48, 62}}, stroke));
        VERIFY_NO_MISMATCH(wrongPixel(image, {{45, 30}}, kWhite));
    }

    // At line width 1 a path is written by the direct canvas's line rasterizer, pixel for pixel
    // what the painter draws, or handed back to the painter where the clip does not allow it.
    void thinPathIsDrawnDirectlyAsPainted_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("highlighted");
        QTest::addColumn<QRegion>("clip");
        QTest::addColumn<bool>("direct");
        const QString bends = " 5 10 80 50 80 50 40 190 118 3 3 red";
        QTest::newRow("bends") << bends << false << QRegion() << true;
        QTest::newRow("highlighted") << bends << true << QRegion() << true;
        QTest::newRow("ends far beyond the canvas")
            << " 3 -1e9 -3e8 100 50 4e9 1e9 red" << false << QRegion() << true;
        QTest::newRow("within one clip rectangle")
            << bends << false << QRegion(20, 10, 100, 60) << true;
        const QRegion twoBands = QRegion(0, 0, kWidth, 30) + QRegion(0, 60, kWidth, 30);
        QTest::newRow("across a clip of two rectangles") << bends << false << twoBands << false;
        QTest::newRow("within one of two clip rectangles")
            << " 3 10 110 50 110 60 105 red" << false << twoBands << true;
    }
    void thinPathIsDrawnDirectlyAsPainted()
    {
        QFETCH(QString, record);
        QFETCH(bool, highlighted);
        QFETCH(QRegion, clip);
        QFETCH(bool, direct);
        ViewerApp::instance()->originY = 120;
        ViewerApp::instance()->lineWidth = 1;
        const auto path = create("path", qPrintable(record));
        path->highlighted = highlighted;
        QImage expected = blank();
        QImage actual = blank();
        {
            QPainter plain(&expected);
            QPainter painter(&actual);
            if (!clip.isEmpty()) {
                plain.setClipRegion(clip);
                painter.setClipRegion(clip);
            }
            path->preparePainter(&plain);
            path->paint(&plain);
            DirectCanvas canvas(painter, true, 0);
            QCOMPARE(path->paintDirect(canvas), direct);
            if (!direct) {
                path->preparePainter(&painter);
                path->paint(&painter);
            }
        }
        QVERIFY(paintedBox(expected).isValid());
        QCOMPARE(firstDifference(actual, expected), QString());
    }
};

QTEST_MAIN(TestPaintPath)
#include "tst_paintpath.moc"
