#include "render/directcanvas.h"
#include "render/linerasterizer.h"
#include "render/paintstop.h"
#include "render/shapestamps.h"
#include "render/sharedstyles.h"

#include "tests/support/testapp.h"

#include <QPainter>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>

namespace
{

using Random = std::mt19937_64;
// Makes a line of a family for a device of the size.
using MakeLine = std::function<QLine(Random&, QSize)>;

// The stroke pen of lines and paths at line width 1; an opaque colour a byte per channel.
const QColor kInk(20, 90, 200);
// The inside of the test's polygons.
const QColor kFill(240, 200, 40);

int between(Random& random, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(random);
}

QPoint pointIn(Random& random, int left, int top, int right, int bottom)
{
    return QPoint(between(random, left, right), between(random, top, bottom));
}

// A point far from the device on a random side, up to the largest pixel coordinate the model
// gives (its pixel limit).
QPoint farPoint(Random& random)
{
    constexpr int kFar = 500'000'000;
    const int reach = between(random, 0, 3) == 0 ? 100'000 : kFar;
    return QPoint(between(random, -reach, reach), between(random, -reach, reach));
}

// The device's pixels, without detaching the image from its painter.
QRgb* pixelsOf(const QImage& image)
{
    return reinterpret_cast<QRgb*>(const_cast<uchar*>(image.constBits()));
}

// Calls visit(y, left, right) for the pixels within two of the part of the line that crosses the
// device, row by row, found independently of how Qt and the rasterizer cut and walk it. A pixel
// set beyond them is caught by the comparison of the whole images at the end.
template <typename Visit> void visitNearPixels(const QLine& line, QSize device, const Visit& visit)
{
    const double x1 = line.x1(), y1 = line.y1(), dx = line.x2() - x1, dy = line.y2() - y1;
    double enter = 0.0, leave = 1.0;
    // Each side of the device widened by two pixels: where the line's parameter enters and leaves.
    const double sides[4][2] = {{-dx, x1 + 2},
                                {dx, device.width() + 1 - x1},
                                {-dy, y1 + 2},
                                {dy, device.height() + 1 - y1}};
    for (const auto& [towards, room] : sides) {
        if (towards == 0.0) {
            if (room < 0.0)
                return;
        } else if (towards < 0.0) {
            enter = std::max(enter, room / towards);
        } else {
            leave = std::min(leave, room / towards);
        }
    }
    if (enter > leave)
        return;
    const double ax = x1 + enter * dx, bx = x1 + leave * dx;
    const double ay = y1 + enter * dy, by = y1 + leave * dy;
    const auto clampTo = [](double value, int high) {
        return std::clamp(static_cast<int>(std::floor(value)), 0, high);
    };
    const int lastX = device.width() - 1, lastY = device.height() - 1;
    const int top = clampTo(std::min(ay, by) - 2, lastY),
              bottom = clampTo(std::max(ay, by) + 3, lastY);
    for (int y = top; y <= bottom; ++y) {
        double low = std::min(ax, bx), high = std::max(ax, bx);
        if (ay != by) {
            // Where the line runs from two rows above to two below.
            const double xa = ax + (y - 2 - ay) * (bx - ax) / (by - ay);
            const double xb = ax + (y + 2 - ay) * (bx - ax) / (by - ay);
            low = std::max(low, std::min(xa, xb));
            high = std::min(high, std::max(xa, xb));
        }
        if (low <= high)
            visit(y, clampTo(low - 2, lastX), clampTo(high + 3, lastX));
    }
}

} // namespace

Q_DECLARE_METATYPE(MakeLine)

class TestLineRasterizer : public QObject
{
    Q_OBJECT

private slots:
    // Every line of a family is drawn by Qt onto one image and by the rasterizer onto another,
    // and the pixels around it compared before both are cleared for the next line. The ends are
    // whole pixels, as the model gives them. Where `corners` is not 0, each shape is instead a
    // filled polygon of 2 to `corners` corners, each corner one of the family's lines on from the
    // last (or the last again, or the line's end where that would lie too far), painted by Qt with
    // a cosmetic pen and by the direct canvas (filled by its painter, outlined by the rasterizer);
    // the pixels within two of the corners' box are compared.
    void setsThePixelsQtSets_data()
    {
        QTest::addColumn<QSize>("device");
        QTest::addColumn<QRect>("clip");
        QTest::addColumn<int>("count");
        QTest::addColumn<MakeLine>("make");
        QTest::addColumn<int>("corners");
        const QSize small(61, 47);
        const QSize canvas(1603, 997);
        const QRect whole;
        const QRect clip(7, 5, 33, 29);
        const MakeLine shortLine = [](Random& random, QSize size) {
            const QPoint from = pointIn(random, 0, 0, size.width() - 1, size.height() - 1);
            return QLine(from, from + pointIn(random, -6, -6, 6, 6));
        };
        const MakeLine inside = [](Random& random, QSize size) {
            return QLine(pointIn(random, 0, 0, size.width() - 1, size.height() - 1),
                         pointIn(random, 0, 0, size.width() - 1, size.height() - 1));
        };
        const MakeLine axisAligned = [](Random& random, QSize size) {
            const QPoint from = pointIn(random, -2, -2, size.width() + 1, size.height() + 1);
            const int length = between(random, -70, 70);
            const int off = between(random, -1, 1);
            switch (between(random, 0, 3)) {
            case 0:
                return QLine(from, from + QPoint(length, off));
            case 1:
                return QLine(from, from + QPoint(off, length));
            case 2:
                return QLine(from, from + QPoint(length, length + off));
            default:
                return QLine(from, from + QPoint(length, -length + off));
            }
        };
        const MakeLine justOff = [](Random& random, QSize size) {
            return QLine(pointIn(random, -4, -4, size.width() + 3, size.height() + 3),
                         pointIn(random, -4, -4, size.width() + 3, size.height() + 3));
        };
        const MakeLine oneFar = [](Random& random, QSize size) {
            const QPoint near = pointIn(random, -20, -20, size.width() + 20, size.height() + 20);
            return between(random, 0, 1) == 0 ? QLine(near, farPoint(random))
                                              : QLine(farPoint(random), near);
        };
        const MakeLine bothFar = [](Random& random, QSize size) {
            // Through a point near the canvas, reaching far both ways.
            const QPoint through = pointIn(random, -2, -2, size.width() + 1, size.height() + 1);
            const QPoint far = farPoint(random);
            const double back = std::uniform_real_distribution<double>(0.0, 1.0)(random);
            const QPoint other = through - (far - through) * back;
            return QLine(far, other);
        };
        const MakeLine zeroLength = [](Random& random, QSize size) {
            const QPoint at = between(random, 0, 3) == 0
                                  ? farPoint(random)
                                  : pointIn(random, -3, -3, size.width() + 2, size.height() + 2);
            return QLine(at, at);
        };
        const MakeLine canvasSized = [](Random& random, QSize size) {
            const QPoint near = pointIn(random, -3, -3, size.width() + 2, size.height() + 2);
            switch (between(random, 0, 2)) {
            case 0:
                return QLine(near, near + pointIn(random, -30, -30, 30, 30));
            case 1:
                return QLine(near, pointIn(random, -3, -3, size.width() + 2, size.height() + 2));
            default:
                return QLine(near, farPoint(random));
            }
        };
        QTest::newRow("short, every octant") << small << whole << 1'000'000 << shortLine << 0;
        QTest::newRow("long, every slope") << small << whole << 300'000 << inside << 0;
        QTest::newRow("axis-aligned and diagonal") << small << whole << 200'000 << axisAligned << 0;
        QTest::newRow("ends just off the canvas") << small << whole << 600'000 << justOff << 0;
        QTest::newRow("one end far off the canvas") << small << whole << 300'000 << oneFar << 0;
        QTest::newRow("both ends far, through the canvas")
            << small << whole << 400'000 << bothFar << 0;
        QTest::newRow("zero length, on and off the canvas")
            << small << whole << 50'000 << zeroLength << 0;
        QTest::newRow("within a clip rectangle") << small << clip << 600'000 << justOff << 0;
        QTest::newRow("a canvas-sized device") << canvas << whole << 30'000 << canvasSized << 0;
        QTest::newRow("polygons, short sides") << small << whole << 300'000 << shortLine << 12;
        QTest::newRow("triangles, short sides") << small << whole << 200'000 << shortLine << 3;
        QTest::newRow("polygons, long sides") << small << whole << 100'000 << inside << 8;
        QTest::newRow("polygons, upright and diagonal sides")
            << small << whole << 200'000 << axisAligned << 6;
        QTest::newRow("polygons across the canvas edges")
            << small << whole << 200'000 << justOff << 7;
        QTest::newRow("polygons with far corners") << small << whole << 100'000 << oneFar << 5;
        QTest::newRow("polygons through the canvas from far")
            << small << whole << 100'000 << bothFar << 4;
        QTest::newRow("polygons within a clip rectangle")
            << small << clip << 200'000 << justOff << 6;
        QTest::newRow("polygons on a canvas-sized device")
            << canvas << whole << 3'000 << canvasSized << 6;
    }
    void setsThePixelsQtSets()
    {
        QFETCH(QSize, device);
        QFETCH(QRect, clip);
        QFETCH(int, count);
        QFETCH(MakeLine, make);
        QFETCH(int, corners);
        // Sanitized builds run a fraction of the lines.
        count /= testapp::kSlowdown * testapp::kSlowdown;
        QImage expected(device, QImage::Format_ARGB32_Premultiplied);
        QImage actual(device, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::transparent);
        actual.fill(Qt::transparent);
        QPainter painter(&expected);
        QPainter own(&actual);
        painter.setPen(corners == 0 ? SharedStyles::strokePen(kInk, 1)
                                    : SharedStyles::cosmeticPen(kInk));
        painter.setBrush(kFill);
        if (!clip.isNull()) {
            painter.setClipRect(clip);
            own.setClipRect(clip);
        }
        DirectCanvas canvas(own, true, 0);
        QRgb* const qtPixels = pixelsOf(expected);
        QRgb* const ownPixels = pixelsOf(actual);
        const qsizetype stride = actual.bytesPerLine() / 4;
        Random random(qHash(QByteArray(QTest::currentDataTag())));
        int drawn = 0;
        int refused = 0;
        bool same = true;
        // The line's ends, or the polygon's corners.
        QPolygon shape;
        const auto compareRow = [&](int y, int left, int right) {
            const std::size_t bytes = std::size_t(right - left + 1) * sizeof(QRgb);
            QRgb* const qtRow = qtPixels + y * stride + left;
            QRgb* const ownRow = ownPixels + y * stride + left;
            same = same && std::memcmp(qtRow, ownRow, bytes) == 0;
            drawn += std::any_of(qtRow, qtRow + (right - left + 1),
                                 [](QRgb pixel) { return pixel != 0; });
            std::memset(qtRow, 0, bytes);
            std::memset(ownRow, 0, bytes);
        };
        for (int i = 0; i < count && same; ++i) {
            QLine line = make(random, device);
            shape = {line.p1(), line.p2()};
            if (corners == 0) {
                painter.drawLines(&line, 1);
                QVERIFY(canvas.drawThinLines(&line, 1, kInk.rgba()));
                visitNearPixels(line, device, compareRow);
                continue;
            }
            shape.resize(1);
            for (int n = between(random, 2, corners); shape.size() < n;) {
                const QPoint next = between(random, 0, 3) == 0
                                        ? shape.last()
                                        : shape.last() + (line.p2() - line.p1());
                constexpr int kFar = 500'000'000;
                shape << (std::abs(next.x()) <= kFar && std::abs(next.y()) <= kFar ? next
                                                                                   : line.p2());
                line = make(random, device);
            }
            if (!canvas.drawThinPolygon(shape.constData(), int(shape.size()), kInk.rgba(),
                                        QBrush(kFill))) {
                ++refused;
                continue;
            }
            painter.drawPolygon(shape, Qt::OddEvenFill);
            const QRect near = shape.boundingRect().adjusted(-2, -2, 2, 2) & expected.rect();
            for (int y = near.top(); y <= near.bottom(); ++y)
                compareRow(y, near.left(), near.right());
        }
        if (!same) {
            painter.end();
            QString points;
            for (const QPoint& point : shape)
                points += QStringLiteral(" %1,%2").arg(point.x()).arg(point.y());
            QVERIFY2(false, qPrintable(QStringLiteral("differs through") + points));
        }
        // Each family draws something (a polygon refused only now and then), and the rest of
        // the device stays untouched.
        QVERIFY(drawn > 0);
        QVERIFY(refused * 10 <= count);
        painter.end();
        own.end();
        QCOMPARE(actual, expected);
    }

    // A frame asked to stop stops inside a shape of many lines, after at most PaintStop's run of
    // lines, whichever of the loops draws it; a frame not asked to stop draws every line. Line i
    // is row i, so the rows painted count the lines drawn.
    void longShapesStopWhenAsked_data()
    {
        QTest::addColumn<QString>("loop");
        QTest::addColumn<bool>("stop");
        for (const char* loop : {"painter's lines", "rasterizer's lines", "polygon outline"}) {
            QTest::addRow("%s, asked to stop", loop) << loop << true;
            QTest::addRow("%s, not asked", loop) << loop << false;
        }
    }
    void longShapesStopWhenAsked()
    {
        QFETCH(QString, loop);
        QFETCH(bool, stop);
        constexpr int kRows = 5000;
        QImage image(20, kRows + 2, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        std::vector<QLine> lines;
        std::vector<QPoint> corners;
        for (int row = 0; row < kRows; ++row) {
            lines.emplace_back(2, row, 12, row);
            // A zigzag whose sides each fill one row: (2, row) to (12, row), then down.
            corners.emplace_back(row % 2 ? 12 : 2, row);
            corners.emplace_back(row % 2 ? 2 : 12, row);
        }
        const std::atomic<bool> asked{stop};
        {
            const PaintStop::Scope scope(&asked);
            QPainter painter(&image);
            painter.setPen(QPen(kInk, 0));
            const int count = static_cast<int>(lines.size());
            if (loop == QLatin1String("painter's lines")) {
                ShapeStamps::drawLines(&painter, lines.data(), count);
            } else if (loop == QLatin1String("rasterizer's lines")) {
                const DirectCanvas canvas(painter, true, 1);
                QVERIFY(canvas.drawThinLines(lines.data(), count, kInk.rgb()));
            } else {
                auto* pixels = reinterpret_cast<QRgb*>(image.bits());
                const LineRasterizer rasterizer(pixels, image.bytesPerLine() / 4, image.size(),
                                                image.rect());
                QVERIFY(rasterizer.drawPolygon(corners.data(), static_cast<int>(corners.size()),
                                               kInk.rgb()));
            }
        }
        int rowsPainted = 0;
        for (int row = 0; row < kRows; ++row)
            rowsPainted += image.pixel(7, row) != QColor(Qt::white).rgb();
        if (stop)
            QVERIFY2(rowsPainted <= int(PaintStop::kLinesPerLook) + 1,
                     qPrintable(QStringLiteral("%1 rows painted").arg(rowsPainted)));
        else
            QCOMPARE(rowsPainted, kRows);
    }
};

QTEST_MAIN(TestLineRasterizer)
#include "tst_linerasterizer.moc"
