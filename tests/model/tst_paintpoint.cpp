#include "canvas.h"
#include "model/paintpoint.h"
#include "support/testapp.h"

#include <QtTest>

#include <cmath>

using namespace canvas;
using Pixels = QList<QPoint>;

// Markers are drawn at pointSize 3 around pixel (100, 50), where the origin is.
class TestPaintPoint : public QObject
{
    Q_OBJECT

    static std::unique_ptr<paintObject> marker(int shape)
    {
        return create("pt", qPrintable(QStringLiteral(" 0 0 red %1").arg(shape)));
    }

private slots:
    void init()
    {
        testapp::resetApplication();
        ViewerApp::instance()->originX = 100;
        ViewerApp::instance()->originY = 50;
    }

    void markersCoverTheirShape_data()
    {
        QTest::addColumn<int>("shape");
        QTest::addColumn<QRect>("box");
        QTest::addColumn<Pixels>("painted");
        QTest::addColumn<Pixels>("untouched");
        // The one-pixel outline of a QRect runs along right() + 1 and bottom() + 1.
        QTest::newRow("square") << 1 << QRect(QPoint(97, 47), QPoint(104, 54))
                                << Pixels{{97, 47}, {100, 50}, {104, 54}} << Pixels{};
        QTest::newRow("cross") << 2 << QRect(QPoint(97, 47), QPoint(103, 53))
                               << Pixels{{97, 50}, {103, 50}, {100, 47}, {100, 53}}
                               << Pixels{{98, 48}, {102, 52}};
        // The closing corner (103, 53) is the end pixel of the last outline stroke, which an
        // aliased outline leaves out.
        QTest::newRow("triangle") << 3 << QRect(QPoint(97, 47), QPoint(102, 53))
                                  << Pixels{{102, 53}, {100, 47}, {97, 53}, {100, 51}}
                                  << Pixels{{97, 48}, {103, 48}};
        QTest::newRow("diamond") << 4 << QRect(QPoint(97, 47), QPoint(103, 53))
                                 << Pixels{{100, 47}, {97, 50}, {100, 53}, {103, 50}}
                                 << Pixels{{97, 47}, {103, 53}, {98, 52}};
        QTest::newRow("no marker") << -1 << QRect() << Pixels{} << Pixels{};
    }
    void markersCoverTheirShape()
    {
        QFETCH(int, shape);
        QFETCH(QRect, box);
        QFETCH(Pixels, painted);
        QFETCH(Pixels, untouched);
        const QImage image = render(*marker(shape));
        QCOMPARE(paintedBox(image), box);
        VERIFY_NO_MISMATCH(wrongPixel(image, painted, kRed));
        VERIFY_NO_MISMATCH(wrongPixel(image, untouched, kWhite));
    }

    // The references are built independently: the circle from its enclosing square, the 7-gon
    // from angles computed as pi/2 + i * 2pi/7 rather than accumulated.
    void roundMarkersMatchTheirOutline()
    {
        QPolygonF corners;
        for (int i = 0; i < 7; ++i) {
            const double angle = M_PI / 2 + i * 2 * M_PI / 7;
            corners << QPointF(100 + 3 * std::cos(angle), 50 - 3 * std::sin(angle));
        }
        const auto draw = [&](QPainter& painter) { painter.drawPolygon(corners, Qt::OddEvenFill); };
        VERIFY_NO_MISMATCH(firstDifference(render(*marker(7)), reference(kRed, kRed, draw)));
        const auto circle = [](QPainter& painter) { painter.drawEllipse(QRect(97, 47, 6, 6)); };
        VERIFY_NO_MISMATCH(firstDifference(render(*marker(0)), reference(kRed, kRed, circle)));
    }

    // Filled markers keep their own colour for the outline; a cross has no fill and keeps it
    // for its strokes.
    void highlightRecoloursTheFillOnly()
    {
        const auto square = marker(1);
        square->highlighted = true;
        const QImage filled = render(*square);
        VERIFY_NO_MISMATCH(wrongPixel(filled, {{97, 47}, {104, 54}}, kRed));
        VERIFY_NO_MISMATCH(wrongPixel(filled, {{98, 48}, {103, 53}}, kHighlight));
        const auto cross = marker(2);
        cross->highlighted = true;
        QCOMPARE(paintedBox(render(*cross)), QRect(QPoint(97, 47), QPoint(103, 53)));
        VERIFY_NO_MISMATCH(wrongPixel(render(*cross), {{97, 50}, {100, 50}, {100, 53}}, kRed));
    }

    void textsNameTheMarker_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("description");
        QTest::newRow("no marker") << " 1 2 red -1"
                                   << "Point ()\n1.000000 2.000000\n\n";
        QTest::newRow("5-gon") << " -1.5 2 red 5 w 3"
                               << "Point (5-gon)\n-1.500000 2.000000\nw=3\n";
        QTest::newRow("bare square") << " 0 0 red 1"
                                     << "Point (square)\n0.000000 0.000000\n\n";
        QTest::newRow("comments and searches") << " 1 2 red 0 w 3 !! q1#q2 // a#b"
                                               << "Point (circle)\n1.000000 2.000000\nw=3\n a\nb";
        // A malformed number reads as 0 and ends the record: colour and code keep their defaults.
        QTest::newRow("malformed y") << " 1 abc red 1 w 3"
                                     << "Point (circle)\n1.000000 0.000000\n\n";
    }
    void textsNameTheMarker()
    {
        QFETCH(QString, record);
        QFETCH(QString, description);
        const auto point = create<paintPoint>("pt", qPrintable(record));
        QCOMPARE(point->description(), description);
        QCOMPARE(point->briefText(), QString::asprintf("%f %f", point->x, point->y));
        QCOMPARE(point->anchorPoint(), QPointF(point->x, point->y));
        QCOMPARE(boundsOf(*point), QRectF(point->anchorPoint(), point->anchorPoint()));
    }

    void hostileValuesPaintSafely_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<int>("pointSize");
        QTest::addColumn<QColor>("centre");
        QTest::newRow("two billion corners") << " 0 0 red 2000000000" << 3 << kRed;
        QTest::newRow("far right square") << " 1e308 0 red 1" << 3 << kWhite;
        QTest::newRow("far below circle") << " 0 -1e308 red 0" << 3 << kWhite;
        QTest::newRow("far n-gon") << " -1e308 1e308 red 9" << 3 << kWhite;
        QTest::newRow("largest marker") << " 0 0 red 1" << std::numeric_limits<int>::max() << kRed;
    }
    // Nothing may hang (the test's time limit catches that), allocate per corner of a huge code,
    // or overflow the pixel arithmetic.
    void hostileValuesPaintSafely()
    {
        QFETCH(QString, record);
        QFETCH(int, pointSize);
        QFETCH(QColor, centre);
        ViewerApp::instance()->pointSize = pointSize;
        const auto point = create("pt", qPrintable(record));
        const QImage image = render(*point);
        QCOMPARE(colorAt(image, QPoint(100, 50)), centre.name());
        if (centre == kWhite)
            QCOMPARE(paintedBox(image), QRect());
    }
};

QTEST_MAIN(TestPaintPoint)
#include "tst_paintpoint.moc"
