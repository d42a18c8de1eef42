#include "canvas.h"
#include "support/testapp.h"

#include <QtTest>

using namespace canvas;

class TestPaintPolygon : public QObject
{
    Q_OBJECT

private slots:
    void init() { testapp::resetApplication(); }

    // The anchor is the centre of the bounding box, not the mean of the vertices (4/3, 4/3).
    void textsAndAnchor()
    {
        const auto triangle = create("polygon", " 3 0 0 4 0 0 4 green kind t");
        QCOMPARE(triangle->description(),
                 QString("Polygon\n[ 0] 0.000000 0.000000\n[ 1] 4.000000 0.000000\n"
                         "[ 2] 0.000000 4.000000\nkind=t\n"));
        QCOMPARE(triangle->briefText(), QString("0.000000 0.000000\n|  |\n0.000000 4.000000"));
        QCOMPARE(triangle->anchorPoint(), QPointF(2, 2));
    }

    void starLeavesItsCoreUnfilled_data()
    {
        QTest::addColumn<bool>("highlighted");
        QTest::addColumn<QColor>("outline");
        QTest::addColumn<QColor>("fill");
        QTest::newRow("plain") << false << kGrey << kRed;
        QTest::newRow("highlighted") << true << kRed << kHighlight;
    }
    // A five-pointed star drawn in one stroke around world (0, 0), at pixel (100, 60): odd-even
    // filling leaves the inner pentagon, where the outline crosses itself, empty. Too large to be
    // copied from a record, it is written directly by filling through the painter and outlining
    // with the line rasterizer, to the same pixels.
    void starLeavesItsCoreUnfilled()
    {
        QFETCH(bool, highlighted);
        QFETCH(QColor, outline);
        QFETCH(QColor, fill);
        ViewerApp::instance()->originX = 100;
        ViewerApp::instance()->originY = 60;
        const auto star = create("polygon", " 5 0 50 -29 -40 48 15 -48 15 29 -40 red");
        star->highlighted = highlighted;
        const QImage image = render(*star);
        QCOMPARE(paintedBox(image), QRect(QPoint(52, 10), QPoint(148, 100)));
        VERIFY_NO_MISMATCH(wrongPixel(image, {{100, 60}}, kWhite));
        VERIFY_NO_MISMATCH(wrongPixel(image, {{100, 15}, {135, 50}}, fill));
        VERIFY_NO_MISMATCH(wrongPixel(image, {{100, 10}}, outline));
        QImage direct = blank();
        {
            QPainter painter(&direct);
            DirectCanvas canvas(painter, true, 0);
            QVERIFY(star->paintDirect(canvas));
        }
        QCOMPARE(firstDifference(direct, image), QString());
    }
};

QTEST_MAIN(TestPaintPolygon)
#include "tst_paintpolygon.moc"
