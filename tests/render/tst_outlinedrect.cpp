#include "render/outlinedrect.h"

#include <QPainter>
#include <QtTest>

#include <functional>
#include <random>

namespace
{

using PainterSetup = std::function<void(QPainter&)>;

constexpr int kWidth = 97;
constexpr int kHeight = 61;

const QColor kGrey(100, 100, 100);
const QColor kRed(200, 30, 20);
const QColor kOrange(255, 128, 0);

// Mostly small rectangles around and across the image's edges, some given the wrong way round,
// a few reaching far beyond it.
QRect randomRect(std::mt19937& random)
{
    const auto between = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    if (between(0, 40) == 0) {
        static const int far[] = {-1000000000, -(1 << 20), (1 << 20) - 2, 1000000000};
        return QRect(QPoint(far[between(0, 3)], between(-5, kHeight)),
                     QPoint(far[between(0, 3)], between(-5, kHeight + 5)));
    }
    const int left = between(-20, kWidth + 5);
    const int top = between(-20, kHeight + 5);
    return QRect(QPoint(left, top), QPoint(left + between(-3, 30), top + between(-3, 30)));
}

} // namespace

class TestOutlinedRect : public QObject
{
    Q_OBJECT

private slots:
    // Rectangle after rectangle, overlapping, the two ways of drawing leave the same pixels,
    // whether the painter allows the direct fills or not.
    void paintsWhatDrawRectsPaints_data()
    {
        QTest::addColumn<PainterSetup>("setup");
        QTest::addColumn<QImage::Format>("format");
        const auto pens = [](QColor pen, QColor brush) {
            return [pen, brush](QPainter& painter) {
                painter.setPen(QPen(pen));
                painter.setBrush(QBrush(brush));
            };
        };
        QTest::newRow("grey outline") << PainterSetup(pens(kGrey, kRed)) << QImage::Format_RGB32;
        QTest::newRow("one colour")
            << PainterSetup(pens(kRed, kRed)) << QImage::Format_ARGB32_Premultiplied;
        QTest::newRow("highlighted")
            << PainterSetup(pens(kRed, kOrange)) << QImage::Format_ARGB32_Premultiplied;
        QTest::newRow("zero-width pen") << PainterSetup([](QPainter& painter) {
            painter.setPen(QPen(kGrey, 0));
            painter.setBrush(kRed);
        }) << QImage::Format_RGB32;
        QTest::newRow("clipped") << PainterSetup([pens](QPainter& painter) {
            pens(kGrey, kRed)(painter);
            painter.setClipRegion(QRegion(10, 5, 40, 30) + QRegion(60, 20, 20, 50));
        }) << QImage::Format_RGB32;
        QTest::newRow("whole-pixel shift") << PainterSetup([pens](QPainter& painter) {
            pens(kGrey, kRed)(painter);
            painter.translate(7, -3);
        }) << QImage::Format_RGB32;
        QTest::newRow("viewport of its own") << PainterSetup([pens](QPainter& painter) {
            pens(kGrey, kRed)(painter);
            painter.setViewport(0, 0, 40, 30);
            painter.setWindow(0, 0, 40, 30);
        }) << QImage::Format_RGB32;
        QTest::newRow("half-pixel shift") << PainterSetup([pens](QPainter& painter) {
            pens(kGrey, kRed)(painter);
            painter.translate(0.5, 0.5);
        }) << QImage::Format_RGB32;
        QTest::newRow("scaled") << PainterSetup([pens](QPainter& painter) {
            pens(kGrey, kRed)(painter);
            painter.scale(2, 2);
        }) << QImage::Format_RGB32;
        QTest::newRow("antialiased") << PainterSetup([pens](QPainter& painter) {
            pens(kGrey, kRed)(painter);
            painter.setRenderHint(QPainter::Antialiasing);
        }) << QImage::Format_RGB32;
        QTest::newRow("wide pen") << PainterSetup([](QPainter& painter) {
            painter.setPen(QPen(kGrey, 3));
            painter.setBrush(kRed);
        }) << QImage::Format_RGB32;
        QTest::newRow("see-through brush") << PainterSetup(pens(kGrey, QColor(200, 30, 20, 100)))
                                           << QImage::Format_ARGB32_Premultiplied;
        QTest::newRow("see-through pen") << PainterSetup(pens(QColor(100, 100, 100, 100), kRed))
                                         << QImage::Format_ARGB32_Premultiplied;
        QTest::newRow("no brush") << PainterSetup([](QPainter& painter) {
            painter.setPen(QPen(kGrey));
            painter.setBrush(Qt::NoBrush);
        }) << QImage::Format_RGB32;
        QTest::newRow("half opacity") << PainterSetup([pens](QPainter& painter) {
            pens(kGrey, kRed)(painter);
            painter.setOpacity(0.5);
        }) << QImage::Format_ARGB32_Premultiplied;
    }
    void paintsWhatDrawRectsPaints()
    {
        QFETCH(PainterSetup, setup);
        QFETCH(QImage::Format, format);
        QImage expected(kWidth, kHeight, format);
        expected.fill(QColor(20, 200, 90));
        QImage actual = expected;
        QPainter expectedPainter(&expected);
        QPainter actualPainter(&actual);
        setup(expectedPainter);
        setup(actualPainter);
        std::mt19937 random(QTest::currentDataTag()[0]);
        for (int i = 0; i < 1500; ++i) {
            const QRect rect = randomRect(random);
            expectedPainter.drawRects(&rect, 1);
            drawOutlinedRect(&actualPainter, rect);
            // Compared after every rectangle, so that a failure names the one that differs.
            if (actual != expected)
                QFAIL(qPrintable(QStringLiteral("differs after rectangle %1: (%2, %3) to (%4, %5)")
                                     .arg(i)
                                     .arg(rect.left())
                                     .arg(rect.top())
                                     .arg(rect.right())
                                     .arg(rect.bottom())));
        }
    }
};

QTEST_MAIN(TestOutlinedRect)
#include "tst_outlinedrect.moc"
