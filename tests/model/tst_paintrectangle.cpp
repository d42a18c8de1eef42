#include "canvas.h"
#include "support/testapp.h"

#include <QtTest>

using namespace canvas;

class TestPaintRectangle : public QObject
{
    Q_OBJECT

private slots:
    void init() { testapp::resetApplication(); }

    // Corners given the wrong way round are kept as given, and so is the box built from them.
    void textsAndBoundsKeepTheGivenCorners()
    {
        const auto rect = create("rect", " 3 4 1 1 blue // c");
        QCOMPARE(rect->description(),
                 QString("Rectangle\n3.000000 4.000000\n1.000000 1.000000\n\n c"));
        QCOMPARE(rect->briefText(), QString("3.000000 4.000000\n1.000000 1.000000"));
        QCOMPARE(rect->anchorPoint(), QPointF(2, 2.5));
        QCOMPARE(boundsOf(*rect), QRectF(QPointF(3, 4), QPointF(1, 1)));
    }

    void fillAndOutline_data()
    {
        QTest::addColumn<bool>("highlighted");
        QTest::addColumn<QColor>("outline");
        QTest::addColumn<QColor>("fill");
        QTest::newRow("plain") << false << kGrey << kRed;
        QTest::newRow("highlighted") << true << kRed << kHighlight;
    }
    // (1, 1)-(3, 4) at ratio 2 with the origin at pixel (0, 100) has pixel corners (2, 92) and
    // (6, 98); the one-pixel outline of that QRect runs one pixel further right and down.
    void fillAndOutline()
    {
        QFETCH(bool, highlighted);
        QFETCH(QColor, outline);
        QFETCH(QColor, fill);
        ViewerApp::instance()->originY = 100;
        ViewerApp::instance()->ratio = 2;
        const auto rect = create("rect", " 1 1 3 4 red");
        rect->highlighted = highlighted;
        const QImage image = render(*rect);
        QCOMPARE(paintedBox(image), QRect(QPoint(2, 92), QPoint(7, 99)));
        VERIFY_NO_MISMATCH(wrongPixel(image, {{2, 92}, {7, 99}}, outline));
        VERIFY_NO_MISMATCH(wrongPixel(image, {{3, 93}, {6, 98}}, fill));
    }
};

QTEST_MAIN(TestPaintRectangle)
#include "tst_paintrectangle.moc"
