#include "canvas.h"
#include "model/paintpoint.h"
#include "support/testapp.h"

#include <QElapsedTimer>
#include <QtTest>

#include <cmath>

using namespace canvas;

class TestPaintPoint : public QObject
{
    Q_OBJECT

private slots:
    // Every marker is drawn at pointSize 3 around pixel (100, 50).
    void init()
    {
        testapp::resetApplication();
        ViewerApp::instance()->originX = 100;
        ViewerApp::instance()->originY = 50;
    }
    void markersCoverTheirShape_data();
    void markersCoverTheirShape();
    void roundMarkersMatchTheirOutline_data();
    void roundMarkersMatchTheirOutline();
    void highlightRecoloursTheFillOnly_data();
    void highlightRecoloursTheFillOnly();
    void descriptionNamesTheMarker_data();
    void descriptionNamesTheMarker();
    void hostileValuesPaintSafely_data();
    void hostileValuesPaintSafely();
};

void TestPaintPoint::markersCoverTheirShape_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<QRect>("box");
    QTest::addColumn<QList<QPoint>>("painted");
    QTest::addColumn<QList<QPoint>>("untouched");
    // The aliased one-pixel outline of a QRect runs along right() + 1 and bottom() + 1.
    QTest::newRow("square") << 1 << QRect(QPoint(97, 47), QPoint(104, 54))
                            << QList<QPoint>{{97, 47}, {100, 50}, {104, 54}} << QList<QPoint>{};
    QTest::newRow("cross") << 2 << QRect(QPoint(97, 47), QPoint(103, 53))
                           << QList<QPoint>{{97, 50}, {103, 50}, {100, 47}, {100, 53}}
                           << QList<QPoint>{{98, 48}, {102, 52}};
    QTest::newRow("triangle") << 3 << QRect(QPoint(97, 47), QPoint(103, 53))
                              << QList<QPoint>{{103, 53}, {100, 47}, {97, 53}, {100, 51}}
                              << QList<QPoint>{{97, 48}, {103, 48}};
    QTest::newRow("diamond") << 4 << QRect(QPoint(97, 47), QPoint(103, 53))
                             << QList<QPoint>{{100, 47}, {97, 50}, {100, 53}, {103, 50}}
                             << QList<QPoint>{{97, 47}, {103, 53}, {98, 52}};
    QTest::newRow("no marker") << -1 << QRect() << QList<QPoint>{} << QList<QPoint>{{100, 50}};
}

void TestPaintPoint::markersCoverTheirShape()
{
    QFETCH(int, shape);
    QFETCH(QRect, box);
    QFETCH(QList<QPoint>, painted);
    QFETCH(QList<QPoint>, untouched);
    const auto point = create("pt", qPrintable(QStringLiteral(" 0 0 red %1").arg(shape)));
    const QImage image = render(*point);
    QCOMPARE(paintedBox(image), box);
    for (const QPoint& at : painted)
        QVERIFY2(colorAt(image, at) == kRed.name(), qPrintable(QString::number(at.x()) + ","
                                                             + QString::number(at.y())));
    for (const QPoint& at : untouched)
        QVERIFY2(colorAt(image, at) == kWhite.name(), qPrintable(QString::number(at.x()) + ","
                                                               + QString::number(at.y())));
}

void TestPaintPoint::roundMarkersMatchTheirOutline_data()
{
    QTest::addColumn<int>("shape");
    QTest::newRow("circle") << 0;
    QTest::newRow("7-gon") << 7;
}

// The references are built independently: the circle from its enclosing square, the 7-gon from
// angles computed as pi/2 + i * 2pi/7.
void TestPaintPoint::roundMarkersMatchTheirOutline()
{
    QFETCH(int, shape);
    const auto point = create("pt", qPrintable(QStringLiteral(" 0 0 red %1").arg(shape)));
    const QImage expected = reference(QPen(kRed), QBrush(kRed), [shape](QPainter& painter) {
        if (shape == 0) {
            painter.drawEllipse(QRect(97, 47, 6, 6));
            return;
        }
        QPolygonF corners;
        for (int i = 0; i < shape; ++i) {
            const double angle = M_PI / 2 + i * 2 * M_PI / shape;
            corners << QPointF(100 + 3 * std::cos(angle), 50 - 3 * std::sin(angle));
        }
        painter.drawPolygon(corners, Qt::OddEvenFill);
    });
    const QString difference = firstDifference(render(*point), expected);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestPaintPoint::highlightRecoloursTheFillOnly_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<QPoint>("edge");
    QTest::addColumn<QColor>("edgeColor");
    QTest::addColumn<QColor>("centreColor");
    QTest::newRow("square") << 1 << QPoint(97, 47) << kRed << kHighlight;
    QTest::newRow("circle") << 0 << QPoint(97, 50) << kRed << kHighlight;
    QTest::newRow("cross keeps its colour") << 2 << QPoint(97, 50) << kRed << kRed;
    QTest::newRow("5-gon") << 5 << QPoint(100, 47) << kRed << kHighlight;
}

void TestPaintPoint::highlightRecoloursTheFillOnly()
{
    QFETCH(int, shape);
    QFETCH(QPoint, edge);
    QFETCH(QColor, edgeColor);
    QFETCH(QColor, centreColor);
    const auto point = create("pt", qPrintable(QStringLiteral(" 0 0 red %1").arg(shape)));
    point->highlighted = true;
    const QImage image = render(*point);
    QCOMPARE(colorAt(image, edge), edgeColor.name());
    QCOMPARE(colorAt(image, QPoint(101, 51)), centreColor.name());
}

void TestPaintPoint::descriptionNamesTheMarker_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("brief");
    QTest::newRow("no marker") << " 1 2 red -1"
                               << "Point ()\n1.000000 2.000000\n\n"
                               << "1.000000 2.000000";
    QTest::newRow("5-gon") << " -1.5 2 red 5 w 3"
                           << "Point (5-gon)\n-1.500000 2.000000\nw=3\n"
                           << "-1.500000 2.000000";
    QTest::newRow("bare square") << " 0 0 red 1"
                                 << "Point (square)\n0.000000 0.000000\n\n"
                                 << "0.000000 0.000000";
    QTest::newRow("comments and searches") << " 1 2 red 0 w 3 !! q1#q2 // a#b"
                                           << "Point (circle)\n1.000000 2.000000\nw=3\na\nb"
                                           << "1.000000 2.000000";
    // A malformed number reads as 0 and ends the record: colour and code keep their defaults.
    QTest::newRow("malformed y") << " 1 abc red 1 w 3"
                                 << "Point (circle)\n1.000000 0.000000\n\n"
                                 << "1.000000 0.000000";
    QTest::newRow("only x") << " 7" << "Point (circle)\n7.000000 0.000000\n\n"
                            << "7.000000 0.000000";
}

void TestPaintPoint::descriptionNamesTheMarker()
{
    QFETCH(QString, record);
    QFETCH(QString, description);
    QFETCH(QString, brief);
    const auto point = create<paintPoint>("pt", qPrintable(record));
    QCOMPARE(point->description(), description);
    QCOMPARE(point->briefText(), brief);
    QCOMPARE(point->anchorPoint(), QPointF(point->x, point->y));
    QCOMPARE(QRectF(QPointF(point->minX, point->minY), QPointF(point->maxX, point->maxY)),
             QRectF(point->anchorPoint(), point->anchorPoint()));
}

void TestPaintPoint::hostileValuesPaintSafely_data()
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

// Nothing may hang, allocate per corner of a huge code, or overflow the pixel arithmetic.
void TestPaintPoint::hostileValuesPaintSafely()
{
    QFETCH(QString, record);
    QFETCH(int, pointSize);
    QFETCH(QColor, centre);
    ViewerApp::instance()->pointSize = pointSize;
    const auto point = create("pt", qPrintable(record));
    QElapsedTimer timer;
    timer.start();
    const QImage image = render(*point);
    QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed()) + " ms"));
    QCOMPARE(colorAt(image, QPoint(100, 50)), centre.name());
    if (centre == kWhite)
        QCOMPARE(paintedBox(image), QRect());
}

QTEST_MAIN(TestPaintPoint)
#include "tst_paintpoint.moc"
