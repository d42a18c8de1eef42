#include "render/directcanvas.h"

#include <QPainter>
#include <QtTest>

#include <functional>

namespace
{

// Paints a shape of the test with its corner at the point, in absolute pixels.
using PaintAt = std::function<void(QPainter*, const QPoint&)>;

const QColor kRed(200, 30, 20);
const QColor kGrey(100, 100, 100);

// A line of the test's shapes, from the corner to (12, 5) beyond it.
void paintLine(QPainter* painter, const QPoint& at)
{
    painter->setPen(QPen(kRed, 0));
    painter->drawLine(at, at + QPoint(12, 5));
}

QImage blank()
{
    // Tall enough that a record placed wrongly above its area would still be written.
    QImage image(200, 420, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

} // namespace

Q_DECLARE_METATYPE(PaintAt)

class TestDirectCanvas : public QObject
{
    Q_OBJECT

private slots:
    // A shape is copied from what Qt painted for it the first time, at a second place too, unless
    // that painting left its area or set a pixel that a copy cannot reproduce.
    void copiesOnlyWhatItCanReproduce_data()
    {
        QTest::addColumn<QPoint>("far");
        QTest::addColumn<PaintAt>("paint");
        QTest::addColumn<bool>("copied");
        // The shapes' points run from the corner to far, so that their area (a pixel around the
        // points) is known.
        QTest::newRow("line, a few pixels") << QPoint(12, 5) << PaintAt(paintLine) << true;
        QTest::newRow("outlined polygon, pixels beyond a shape's own bits")
            << QPoint(40, 30) << PaintAt([](QPainter* painter, const QPoint& at) {
                   painter->setPen(QPen(kGrey, 0));
                   painter->setBrush(kRed);
                   const QPoint corners[] = {at, at + QPoint(40, 4), at + QPoint(25, 30)};
                   painter->drawPolygon(corners, 3);
               })
            << true;
        QTest::newRow("nothing") << QPoint(3, 3) << PaintAt([](QPainter*, const QPoint&) {})
                                 << true;
        const auto lineAndPixel = [](QPoint offset) {
            return PaintAt([offset](QPainter* painter, const QPoint& at) {
                paintLine(painter, at);
                painter->drawPoint(at + offset);
            });
        };
        QTest::newRow("left of its area") << QPoint(12, 5) << lineAndPixel({-2, 2}) << false;
        QTest::newRow("right of its area") << QPoint(12, 5) << lineAndPixel({14, 2}) << false;
        QTest::newRow("above its area") << QPoint(12, 5) << lineAndPixel({4, -2}) << false;
        QTest::newRow("below its area") << QPoint(12, 5) << lineAndPixel({4, 7}) << false;
        QTest::newRow("see-through")
            << QPoint(12, 5) << PaintAt([](QPainter* painter, const QPoint& at) {
                   painter->setPen(QPen(QColor(200, 30, 20, 120), 0));
                   painter->drawLine(at, at + QPoint(12, 5));
               })
            << false;
        QTest::newRow("three colours")
            << QPoint(12, 5) << PaintAt([](QPainter* painter, const QPoint& at) {
                   paintLine(painter, at);
                   painter->setPen(QPen(kGrey, 0));
                   painter->drawPoint(at + QPoint(0, 3));
                   painter->setPen(QPen(Qt::blue, 0));
                   painter->drawPoint(at + QPoint(3, 0));
               })
            << false;
    }
    void copiesOnlyWhatItCanReproduce()
    {
        QFETCH(QPoint, far);
        QFETCH(PaintAt, paint);
        QFETCH(bool, copied);
        DirectCanvas::clear();
        QImage actual = blank();
        QImage expected = blank();
        QPainter painter(&actual);
        QPainter plain(&expected);
        DirectCanvas canvas(painter, true, 0);
        const DirectCanvas::Style style{kRed.rgba(), 0, false, false};
        // The first shape records, the second copies the record.
        for (const QPoint& at : {QPoint(70, 70), QPoint(101, 83)}) {
            const QPoint points[] = {at, at + far};
            const bool written = canvas.drawShape(style, DirectCanvas::Shape::Lines, points, 2, 0,
                                                  [&](QPainter* alone) { paint(alone, at); });
            QCOMPARE(written, copied);
            if (written)
                paint(&plain, at);
            QCOMPARE(actual, expected);
        }
    }
};

QTEST_MAIN(TestDirectCanvas)
#include "tst_directcanvas.moc"
