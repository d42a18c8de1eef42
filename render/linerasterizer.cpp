#include "render/linerasterizer.h"

#include "render/paintstop.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

// The arithmetic below is Qt's, step for step; results must not change with contraction into
// fused multiply-adds, which Qt's build does not make.
#pragma GCC optimize("fp-contract=off")

namespace
{

// A 16.16 quotient of two 26.6 differences, truncated toward zero; 64-bit where the shifted
// dividend would not fit.
int fixedQuotient(int dividend, int divisor)
{
    if (std::abs(dividend) > 0x7fff)
        return static_cast<int>((static_cast<std::int64_t>(dividend) * 65536) / divisor);
    return (dividend * 65536) / divisor;
}

// Sets the run of pixels along the major axis from `from` up to (not including) `to`, the minor
// coordinate starting at `minor` (16.16) and moving by `step` each pixel. `Checked` tests each
// pixel against the clip; a run that lies well inside it needs no test.
template <bool Vertical, bool Checked>
void run(QRgb* pixels, qsizetype stride, const QRect& clip, int from, int to, int minor, int step,
         QRgb color)
{
    do {
        const int across = minor >> 16;
        const int x = Vertical ? across : from;
        const int y = Vertical ? from : across;
        if (!Checked ||
            (x >= clip.left() && x <= clip.right() && y >= clip.top() && y <= clip.bottom()))
            pixels[y * stride + x] = color;
        minor += step;
    } while (++from < to);
}

} // namespace

LineRasterizer::LineRasterizer(QRgb* pixels, qsizetype stride, QSize device, const QRect& clip)
    : pixels(pixels), stride(stride), low(-1), right(device.width() + 1),
      bottom(device.height() + 1), clip(clip & QRect(QPoint(0, 0), device))
{
}

// Qt cuts x first, then y, each end against the low side or the high one, moving along the
// slope computed from the ends as they are at that moment.
bool LineRasterizer::cut(double& x1, double& y1, double& x2, double& y2, Trace* trace) const
{
    const double xmin = low, xmax = right, ymin = low, ymax = bottom;
    const auto forget = [trace] {
        if (trace != nullptr)
            trace->lastX = Trace::kNone;
    };
    if (x1 < xmin) {
        if (x2 <= xmin)
            return forget(), false;
        y1 += (y2 - y1) / (x2 - x1) * (xmin - x1);
        x1 = xmin;
    } else if (x1 > xmax) {
        if (x2 >= xmax)
            return forget(), false;
        y1 += (y2 - y1) / (x2 - x1) * (xmax - x1);
        x1 = xmax;
    }
    if (x2 < xmin) {
        forget();
        y2 += (y2 - y1) / (x2 - x1) * (xmin - x2);
        x2 = xmin;
    } else if (x2 > xmax) {
        forget();
        y2 += (y2 - y1) / (x2 - x1) * (xmax - x2);
        x2 = xmax;
    }
    if (y1 < ymin) {
        if (y2 <= ymin)
            return forget(), false;
        x1 += (x2 - x1) / (y2 - y1) * (ymin - y1);
        y1 = ymin;
    } else if (y1 > ymax) {
        if (y2 >= ymax)
            return forget(), false;
        x1 += (x2 - x1) / (y2 - y1) * (ymax - y1);
        y1 = ymax;
    }
    if (y2 < ymin) {
        forget();
        x2 += (x2 - x1) / (y2 - y1) * (ymin - y2);
        y2 = ymin;
    } else if (y2 > ymax) {
        forget();
        x2 += (x2 - x1) / (y2 - y1) * (ymax - y2);
        y2 = ymax;
    }
    return true;
}

void LineRasterizer::draw(const QLine& line, QRgb color) const
{
    // Qt draws a line of no length as the point at its end.
    if (line.p1() == line.p2()) {
        if (clip.contains(line.p1()))
            pixels[line.y1() * stride + line.x1()] = color;
        return;
    }
    side(line.p1(), line.p2(), CapBegin | CapEnd, nullptr, true, color);
}

// Qt strokes the sides from the first corner round to it again. Before the first, it finds the
// last pixel and the direction of the closing side (from the last corner, or the one before
// when the last repeats the first), so that the first side joins it as any other side joins the
// one before.
bool LineRasterizer::takesPolygon(const QPoint* corners, int count)
{
    if (count < 2)
        return false;
    if (count == 4 || (count == 5 && corners[4] == corners[0])) {
        for (int i = 0; i < 4; ++i) {
            const QPoint& a = corners[i];
            const QPoint& b = corners[(i + 1) % 4];
            if (a.x() != b.x() && a.y() != b.y())
                return true;
        }
        return false;
    }
    return true;
}

bool LineRasterizer::drawPolygon(const QPoint* corners, int count, QRgb color) const
{
    if (!takesPolygon(corners, count))
        return false;
    Trace trace;
    const QPoint& closingFrom =
        count > 2 && corners[count - 1] == corners[0] ? corners[count - 2] : corners[count - 1];
    side(closingFrom, corners[0], NoCaps, &trace, false, color);
    for (int i = 1; i < count && !PaintStop::requestedAt(std::size_t(i)); ++i)
        side(corners[i - 1], corners[i], NoCaps, &trace, true, color);
    side(corners[count - 1], corners[0], NoCaps, &trace, true, color);
    return true;
}

void LineRasterizer::side(const QPoint& from, const QPoint& to, int caps, Trace* trace, bool paint,
                          QRgb color) const
{
    const int x1 = from.x(), y1 = from.y(), x2 = to.x(), y2 = to.y();
    // Ends within the widened device are left as they are, and convert to 26.6 exactly.
    if (x1 >= low && x1 <= right && x2 >= low && x2 <= right && y1 >= low && y1 <= bottom &&
        y2 >= low && y2 <= bottom) {
        walk(x1 * 64, y1 * 64, x2 * 64, y2 * 64, caps, trace, paint, color);
        return;
    }
    double rx1 = x1, ry1 = y1, rx2 = x2, ry2 = y2;
    if (!cut(rx1, ry1, rx2, ry2, trace))
        return;
    walk(static_cast<int>(rx1 * 64.), static_cast<int>(ry1 * 64.), static_cast<int>(rx2 * 64.),
         static_cast<int>(ry2 * 64.), caps, trace, paint, color);
}

// Along the major axis from the first end's pixel to the last's, a cap taking half a pixel more;
// the minor coordinate starts half a step back at a cap, and is rounded at the first pixel's
// centre (or edge, for a falling slope). Within an outline (a trace given), the side also turns
// on the one before: a side that doubles back along the same axis gets a cap at its start; a
// first pixel that is the last one set is left out, one that leaves a gap after a turn gets a
// pixel before it, and one that leaves a gap along the same direction is moved half a step.
void LineRasterizer::walk(int x1, int y1, int x2, int y2, int caps, Trace* trace, bool paint,
                          QRgb color) const
{
    const int dx = std::abs(x2 - x1);
    const int dy = std::abs(y2 - y1);
    const bool vertical = dx < dy;
    if (!vertical && dx == 0)
        return;
    // Major (m) and minor (n) coordinates, in the direction of increasing major.
    int m1 = vertical ? y1 : x1, m2 = vertical ? y2 : x2;
    int n1 = vertical ? x1 : y1, n2 = vertical ? x2 : y2;
    const bool swapped = m1 > m2;
    if (swapped) {
        std::swap(m1, m2);
        std::swap(n1, n2);
        caps = ((caps & CapBegin) << 1) | ((caps & CapEnd) >> 1);
    }
    const int direction = vertical ? (swapped ? Up : Down) : (swapped ? Leftward : Rightward);
    const int step = fixedQuotient(n2 - n1, m2 - m1);
    int minor = n1 * 1024;
    if (trace != nullptr && (trace->direction ^ (vertical ? Vertical : Horizontal)) == direction)
        caps |= swapped ? CapEnd : CapBegin;
    if (caps & CapBegin) {
        m1 -= 32;
        minor -= step >> 1;
    }
    if (caps & CapEnd)
        m2 += 32;
    int from = (m1 + 32) >> 6;
    int to = (m2 + 32) >> 6;
    if (trace != nullptr && (caps & CapBegin) &&
        (vertical ? trace->lastY : trace->lastX) == from + 1)
        ++from;
    if (from == to)
        return;
    const int round = step > 0 ? 32 : 0;
    minor += ((from * 64 + round - m1) * step) >> 6;
    if (trace != nullptr) {
        const bool axisAligned = std::abs(step) < (1 << 14);
        // The first and last pixels, as x and y, in the order the side is walked.
        QPoint first = vertical ? QPoint(minor >> 16, from) : QPoint(from, minor >> 16);
        const int lastMinor = (minor + (to - from - 1) * step) >> 16;
        QPoint last = vertical ? QPoint(lastMinor, to - 1) : QPoint(to - 1, lastMinor);
        if (swapped)
            std::swap(first, last);
        if (trace->lastX != Trace::kNone) {
            const int apartX = std::abs(trace->lastX - first.x());
            const int apartY = std::abs(trace->lastY - first.y());
            if (apartX == 0 && apartY == 0) {
                if (swapped) {
                    --to;
                } else {
                    ++from;
                    minor += step;
                }
            } else if (trace->direction != direction &&
                       ((axisAligned && trace->axisAligned && apartX != 0 && apartY != 0) ||
                        apartX > 1 || apartY > 1)) {
                if (swapped) {
                    ++to;
                } else {
                    --from;
                    minor -= step;
                }
            } else if (trace->direction == direction && apartX <= 1 && apartY > 1) {
                minor += step >> 1;
                const int movedMinor = (swapped ? minor : minor + (to - from - 1) * step) >> 16;
                (vertical ? last.rx() : last.ry()) = movedMinor;
            }
        }
        trace->direction = direction;
        trace->axisAligned = axisAligned;
        trace->lastX = last.x();
        trace->lastY = last.y();
    }
    if (!paint)
        return;
    // Qt sets the first pixel even where leaving out a shared one left none.
    to = std::max(to, from + 1);
    // The pixels lie within two pixels of the ends' box; when that lies inside the clip, no pixel
    // needs a test.
    const int nLow = (std::min(n1, n2) >> 6) - 2, nHigh = (std::max(n1, n2) >> 6) + 2;
    const bool inside = vertical ? (nLow >= clip.left() && nHigh <= clip.right() &&
                                    from >= clip.top() && to - 1 <= clip.bottom())
                                 : (nLow >= clip.top() && nHigh <= clip.bottom() &&
                                    from >= clip.left() && to - 1 <= clip.right());
    if (vertical) {
        if (inside)
            run<true, false>(pixels, stride, clip, from, to, minor, step, color);
        else
            run<true, true>(pixels, stride, clip, from, to, minor, step, color);
    } else {
        if (inside)
            run<false, false>(pixels, stride, clip, from, to, minor, step, color);
        else
            run<false, true>(pixels, stride, clip, from, to, minor, step, color);
    }
}
