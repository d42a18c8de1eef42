#include "canvas.h"
#include "support/testapp.h"

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
};

QTEST_MAIN(TestPaintPath)
#include "tst_paintpath.moc"
