#include "render/shapestamps.h"

#include <QPainter>
#include <QtTest>

#include <cmath>
#include <functional>
#include <optional>
#include <random>
#include <vector>

namespace
{

using PainterSetup = std::function<void(QPainter&)>;

constexpr int kWidth = 90;
constexpr int kHeight = 70;

const QColor kGrey(100, 100, 100);
const QColor kRed(200, 30, 20);
const QColor kOrange(255, 128, 0);

// A shape in whole pixels relative to its own corner, and the painter call that draws it.
struct Shape {
    enum Kind { Polygon, ConvexPolygon, Ellipse, Lines } kind;
    std::vector<QPoint> points;
};

Shape randomShape(std::mt19937& random)
{
    const auto between = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    Shape shape{static_cast<Shape::Kind>(between(0, 3)), {}};
    const int side = between(0, 1) == 0 ? 3 : 20;
    const int count = shape.kind == Shape::Ellipse ? 2 : between(1, 8);
    for (int i = 0; i < count; ++i)
        shape.points.emplace_back(between(0, side), between(0, side));
    return shape;
}

// Draws the shape at the offset, through the stamps or straight through the painter.
void draw(QPainter& painter, const Shape& shape, const QPoint& at, bool stamped)
{
    std::vector<QPoint> points;
    for (const QPoint& point : shape.points)
        points.push_back(point + at);
    const int count = static_cast<int>(points.size());
    std::vector<QLine> lines;
    for (int i = 1; i < count; ++i)
        lines.emplace_back(points[i - 1], points[i]);
    const QRect box(points.front(), points.back());
    switch (shape.kind) {
    case Shape::Polygon:
        if (stamped)
            ShapeStamps::drawPolygon(&painter, points.data(), count);
        else
            painter.drawPolygon(points.data(), count, Qt::OddEvenFill);
        break;
    case Shape::ConvexPolygon:
        if (stamped)
            ShapeStamps::drawConvexPolygon(&painter, points.data(), count);
        else
            painter.drawConvexPolygon(points.data(), count);
        break;
    case Shape::Ellipse:
        if (stamped)
            ShapeStamps::drawEllipse(&painter, box);
        else
            painter.drawEllipse(box);
        break;
    case Shape::Lines:
        if (stamped) {
            ShapeStamps::drawLines(&painter, lines.data(), static_cast<int>(lines.size()));
        } else {
            for (const QLine& line : lines)
                painter.drawLines(&line, 1);
        }
        break;
    }
}

// One picture painted twice: by the painter's own calls on a 24-bit image, which takes no
// stamps, and through the stamps on an image of the given format.
struct TwoCanvases {
    TwoCanvases(const QSize& size, QImage::Format format, const QColor& background)
        : expected(filled(size, QImage::Format_RGB888, background)),
          actual(filled(size, format, background)), expectedPainter(&expected),
          actualPainter(&actual)
    {
    }

    static QImage filled(const QSize& size, QImage::Format format, const QColor& background)
    {
        QImage image(size, format);
        image.fill(background);
        return image;
    }

    QImage expected;
    QImage actual;
    QPainter expectedPainter;
    QPainter actualPainter;
};

// Where two pictures first differ, as their 32-bit pixels; empty when they do not.
QString firstDifference(const QImage& actual, const QImage& expected)
{
    const QImage painted = actual.convertToFormat(QImage::Format_RGB32);
    const QImage reference = expected.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < reference.height(); ++y) {
        for (int x = 0; x < reference.width(); ++x) {
            if (painted.pixel(x, y) != reference.pixel(x, y))
                return QStringLiteral("pixel (%1, %2) differs").arg(x).arg(y);
        }
    }
    return QString();
}

} // namespace

class TestShapeStamps : public QObject
{
    Q_OBJECT

private slots:
    // Each test starts with no stamps, so that what one records cannot fill the cache for the
    // next.
    void init() { ShapeStamps::clear(); }

    // A few dozen shapes painted again and again at random places, overlapping, in and across
    // the image's edges: through the stamps they set exactly the pixels that the painter's own
    // calls set. The reference is painted on a 24-bit image, which takes no stamps.
    void paintsWhatThePainterPaints_data()
    {
        QTest::addColumn<PainterSetup>("setup");
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<bool>("stampsExpected");
        // Whether the stamps are told once that the painter keeps its setting.
        QTest::addColumn<bool>("inSession");
        const auto pens = [](QPen pen, QBrush brush) {
            return [pen, brush](QPainter& painter) {
                painter.setPen(pen);
                painter.setBrush(brush);
            };
        };
        QTest::newRow("grey outline")
            << PainterSetup(pens(QPen(kGrey), kRed)) << QImage::Format_RGB32 << true << false;
        QTest::newRow("highlighted") << PainterSetup(pens(QPen(kRed), kOrange))
                                     << QImage::Format_ARGB32_Premultiplied << true << false;
        QTest::newRow("lines only")
            << PainterSetup(
                   pens(QPen(kRed, 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin), Qt::NoBrush))
            << QImage::Format_RGB32 << true << false;
        QTest::newRow("zero-width pen")
            << PainterSetup(pens(QPen(kGrey, 0), kRed)) << QImage::Format_ARGB32 << true << false;
        QTest::newRow("no pen") << PainterSetup(pens(Qt::NoPen, kRed)) << QImage::Format_RGB32
                                << true << false;
        QTest::newRow("clipped") << PainterSetup([pens](QPainter& painter) {
            pens(QPen(kGrey), kRed)(painter);
            painter.setClipRegion(QRegion(10, 5, 40, 30) + QRegion(50, 20, 20, 45));
        }) << QImage::Format_RGB32
                                 << true << false;
        QTest::newRow("wide pen") << PainterSetup(pens(QPen(kGrey, 3), kRed))
                                  << QImage::Format_RGB32 << true << false;
        QTest::newRow("very wide pen")
            << PainterSetup(pens(QPen(kGrey, 17), kRed)) << QImage::Format_RGB32 << false << false;
        QTest::newRow("antialiased") << PainterSetup([pens](QPainter& painter) {
            pens(QPen(kGrey), kRed)(painter);
            painter.setRenderHint(QPainter::Antialiasing);
        }) << QImage::Format_RGB32 << false
                                     << false;
        QTest::newRow("see-through brush") << PainterSetup(pens(QPen(kGrey), QColor(9, 9, 9, 90)))
                                           << QImage::Format_ARGB32_Premultiplied << false << false;
        QTest::newRow("shifted") << PainterSetup([pens](QPainter& painter) {
            pens(QPen(kGrey), kRed)(painter);
            painter.translate(5, 3);
        }) << QImage::Format_RGB32
                                 << false << false;
        QTest::newRow("grey outline, in a session")
            << PainterSetup(pens(QPen(kGrey), kRed)) << QImage::Format_RGB32 << true << true;
        QTest::newRow("clipped, in a session") << PainterSetup([pens](QPainter& painter) {
            pens(QPen(kRed), kOrange)(painter);
            painter.setClipRegion(QRegion(10, 5, 40, 30) + QRegion(50, 20, 20, 45));
        }) << QImage::Format_ARGB32_Premultiplied
                                               << true << true;
        QTest::newRow("antialiased, in a session") << PainterSetup([pens](QPainter& painter) {
            pens(QPen(kGrey), kRed)(painter);
            painter.setRenderHint(QPainter::Antialiasing);
        }) << QImage::Format_RGB32 << false << true;
    }
    void paintsWhatThePainterPaints()
    {
        QFETCH(bool, inSession);
        QFETCH(PainterSetup, setup);
        QFETCH(QImage::Format, format);
        QFETCH(bool, stampsExpected);
        TwoCanvases canvases(QSize(kWidth, kHeight), format, QColor(20, 200, 90));
        const QImage& expected = canvases.expected;
        const QImage& actual = canvases.actual;
        QPainter& expectedPainter = canvases.expectedPainter;
        QPainter& actualPainter = canvases.actualPainter;
        setup(expectedPainter);
        setup(actualPainter);
        std::optional<ShapeStamps::Session> session;
        if (inSession)
            session.emplace(actualPainter);
        std::mt19937 random(QTest::currentDataTag()[0]);
        std::vector<Shape> shapes;
        for (int i = 0; i < 40; ++i)
            shapes.push_back(randomShape(random));
        // A circle less than a pixel across: an ellipse in a rectangle of no width or height.
        shapes.push_back({Shape::Ellipse, {QPoint(2, 2), QPoint(1, 1)}});
        const std::size_t stampsBefore = ShapeStamps::size();
        for (int i = 0; i < 1200; ++i) {
            const Shape& shape = shapes[random() % shapes.size()];
            const QPoint at(static_cast<int>(random() % (kWidth + 20)) - 15,
                            static_cast<int>(random() % (kHeight + 20)) - 15);
            draw(expectedPainter, shape, at, false);
            draw(actualPainter, shape, at, true);
            if (actual.convertToFormat(QImage::Format_RGB32) !=
                expected.convertToFormat(QImage::Format_RGB32))
                QFAIL(qPrintable(QStringLiteral("differs after shape %1 (kind %2) at (%3, %4)")
                                     .arg(i)
                                     .arg(shape.kind)
                                     .arg(at.x())
                                     .arg(at.y())));
        }
        QCOMPARE(ShapeStamps::size() > stampsBefore, stampsExpected);
    }

    // Regular polygons with corners off the pixel grid, as markers have, anchored at whole pixels
    // all over a canvas-sized image, so that their coordinates span every magnitude a canvas has.
    void fractionalCornersMatchAnywhere()
    {
        TwoCanvases canvases(QSize(2100, 1100), QImage::Format_ARGB32_Premultiplied,
                             QColor(255, 255, 255));
        const QImage& expected = canvases.expected;
        const QImage& actual = canvases.actual;
        QPainter& expectedPainter = canvases.expectedPainter;
        QPainter& actualPainter = canvases.actualPainter;
        std::mt19937 random(7);
        const auto between = [&random](int low, int high) {
            return std::uniform_int_distribution<int>(low, high)(random);
        };
        // Made once, as the canvas keeps its pens and brushes: a stamp belongs to their shared
        // data.
        const QPen grey(kGrey);
        const QBrush red(kRed);
        const QBrush orange(kOrange);
        const std::size_t stampsBefore = ShapeStamps::size();
        for (int i = 0; i < 20000; ++i) {
            const int corners = between(3, 9);
            const int size = between(1, 9);
            const QPoint at(between(-10, expected.width() + 10),
                            between(-10, expected.height() + 10));
            std::vector<QPointF> points;
            double angle = 1.5707963267948966;
            for (int k = 0; k < corners; ++k, angle += 6.283185307179586 / corners)
                points.emplace_back(at.x() + size * std::cos(angle),
                                    at.y() - size * std::sin(angle));
            for (QPainter* painter : {&expectedPainter, &actualPainter}) {
                painter->setPen(grey);
                painter->setBrush(i % 2 ? red : orange);
            }
            expectedPainter.drawPolygon(points.data(), corners, Qt::OddEvenFill);
            ShapeStamps::drawPolygon(&actualPainter, points.data(), corners);
        }
        QVERIFY(ShapeStamps::size() > stampsBefore);
        const QString difference = firstDifference(actual, expected);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    // A shape gets its stamp the second time it comes (now and then a later time, when another
    // shape took its place among those seen), so a view painted once leaves no stamps. A view
    // with more distinct shapes than the cache holds fills it over a few paints and, finding
    // stamps for most of its shapes, keeps them; a new view that the full cache turns away
    // leaves it empty for the views after it.
    void aFullCacheMakesRoomForTheNextView()
    {
        QImage image(400, 300, QImage::Format_RGB32);
        QPainter painter(&image);
        // Made once, as the canvas keeps its pens: a stamp belongs to a pen's shared data.
        std::vector<QPen> pens;
        for (int colour = 0; colour < 40; ++colour)
            pens.emplace_back(QColor(colour * 6, 0, 0));
        const auto paintLines = [&painter, &pens](int firstColour, int colours) {
            const ShapeStamps::Session session(painter);
            for (int colour = firstColour; colour < firstColour + colours; ++colour) {
                painter.setPen(pens[static_cast<std::size_t>(colour)]);
                for (int dx = 0; dx < 46; ++dx) {
                    for (int dy = 0; dy < 46; ++dy) {
                        const QLine line(100, 100, 100 + dx, 100 + dy);
                        ShapeStamps::drawLines(&painter, &line, 1);
                    }
                }
            }
        };
        constexpr std::size_t kShapesPerColour = 46 * 46;
        paintLines(0, 1);
        QCOMPARE(ShapeStamps::size(), std::size_t(0));
        paintLines(0, 1);
        const std::size_t oneColour = ShapeStamps::size();
        QVERIFY(oneColour >= kShapesPerColour * 9 / 10 && oneColour <= kShapesPerColour);
        for (int paints = 0; paints < 6; ++paints)
            paintLines(0, 20);
        QVERIFY(ShapeStamps::size() > kShapesPerColour * 15);
        paintLines(20, 20);
        QCOMPARE(ShapeStamps::size(), std::size_t(0));
    }

    // Lines and polygons drawn with wide pens of several widths, caps and joins all over a
    // canvas-sized image: a wide pen's outline is computed in doubles from the coordinates, and
    // still every stamp sets what the painter sets.
    void widePensMatchAnywhere_data()
    {
        QTest::addColumn<QPen>("pen");
        QTest::addColumn<bool>("polygons");
        QTest::newRow("2, square caps")
            << QPen(kRed, 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin) << false;
        QTest::newRow("3, flat caps")
            << QPen(kRed, 3, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin) << false;
        QTest::newRow("5, round caps")
            << QPen(kRed, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin) << false;
        QTest::newRow("2.5, polygons") << QPen(kGrey, 2.5) << true;
    }
    void widePensMatchAnywhere()
    {
        QFETCH(QPen, pen);
        QFETCH(bool, polygons);
        TwoCanvases canvases(QSize(2100, 1100), QImage::Format_ARGB32_Premultiplied,
                             QColor(255, 255, 255));
        const QImage& expected = canvases.expected;
        const QImage& actual = canvases.actual;
        QPainter& expectedPainter = canvases.expectedPainter;
        QPainter& actualPainter = canvases.actualPainter;
        for (QPainter* painter : {&expectedPainter, &actualPainter}) {
            painter->setPen(pen);
            painter->setBrush(kOrange);
        }
        const ShapeStamps::Session session(actualPainter);
        std::mt19937 random(11);
        const auto between = [&random](int low, int high) {
            return std::uniform_int_distribution<int>(low, high)(random);
        };
        std::vector<Shape> shapes;
        for (int i = 0; i < 30; ++i) {
            Shape shape{polygons ? Shape::Polygon : Shape::Lines, {}};
            const int count = between(2, 4);
            for (int k = 0; k < count; ++k)
                shape.points.emplace_back(between(0, 6), between(0, 6));
            shapes.push_back(shape);
        }
        const std::size_t stampsBefore = ShapeStamps::size();
        for (int i = 0; i < 20000; ++i) {
            const Shape& shape = shapes[random() % shapes.size()];
            const QPoint at(between(-10, expected.width() + 10),
                            between(-10, expected.height() + 10));
            draw(expectedPainter, shape, at, false);
            draw(actualPainter, shape, at, true);
        }
        QVERIFY(ShapeStamps::size() > stampsBefore);
        const QString difference = firstDifference(actual, expected);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }
};

QTEST_MAIN(TestShapeStamps)
#include "tst_shapestamps.moc"
