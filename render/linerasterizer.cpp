#include "render/linerasterizer.h"

#include <cstdint>
#include <cstdlib>

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
bool LineRasterizer::cut(double& x1, double& y1, double& x2, double& y2) const
{
    const double xmin = low, xmax = right, ymin = low, ymax = bottom;
    if (x1 < xmin) {
        if (x2 <= xmin)
            return false;
        y1 += (y2 - y1) / (x2 - x1) * (xmin - x1);
        x1 = xmin;
    } else if (x1 > xmax) {
        if (x2 >= xmax)
            return false;
        y1 += (y2 - y1) / (x2 - x1) * (xmax - x1);
        x1 = xmax;
    }
    if (x2 < xmin) {
        y2 += (y2 - y1) / (x2 - x1) * (xmin - x2);
        x2 = xmin;
    } else if (x2 > xmax) {
        y2 += (y2 - y1) / (x2 - x1) * (xmax - x2);
        x2 = xmax;
    }
    if (y1 < ymin) {
        if (y2 <= ymin)
            return false;
        x1 += (x2 - x1) / (y2 - y1) * (ymin - y1);
        y1 = ymin;
    } else if (y1 > ymax) {
        if (y2 >= ymax)
            return false;
        x1 += (x2 - x1) / (y2 - y1) * (ymax - y1);
        y1 = ymax;
    }
    if (y2 < ymin) {
        x2 += (x2 - x1) / (y2 - y1) * (ymin - y2);
        y2 = ymin;
    } else if (y2 > ymax) {
        x2 += (x2 - x1) / (y2 - y1) * (ymax - y2);
        y2 = ymax;
    }
    return true;
}

void LineRasterizer::draw(const QLine& line, QRgb color) const
{
    const int x1 = line.x1(), y1 = line.y1(), x2 = line.x2(), y2 = line.y2();
    // Qt draws a line of no length as the point at its end.
    if (x1 == x2 && y1 == y2) {
        if (clip.contains(x1, y1))
            pixels[y1 * stride + x1] = color;
        return;
    }
    // Ends within the widened device are left as they are, and convert to 26.6 exactly.
    if (x1 >= low && x1 <= right && x2 >= low && x2 <= right && y1 >= low && y1 <= bottom &&
        y2 >= low && y2 <= bottom) {
        walk(x1 * 64, y1 * 64, x2 * 64, y2 * 64, color);
        return;
    }
    double rx1 = x1, ry1 = y1, rx2 = x2, ry2 = y2;
    if (!cut(rx1, ry1, rx2, ry2))
        return;
    walk(static_cast<int>(rx1 * 64.), static_cast<int>(ry1 * 64.), static_cast<int>(rx2 * 64.),
         static_cast<int>(ry2 * 64.), color);
}

// Along the major axis from the first end's pixel to the last's, both caps taking half a pixel
// more; the minor coordinate starts half a step back, and is rounded at the first pixel's
// centre (or edge, for a falling slope).
void LineRasterizer::walk(int x1, int y1, int x2, int y2, QRgb color) const
{
    const int dx = std::abs(x2 - x1);
    const int dy = std::abs(y2 - y1);
    const bool vertical = dx < dy;
    if (!vertical && dx == 0)
        return;
    // Major (m) and minor (n) coordinates, in the direction of increasing major.
    int m1 = vertical ? y1 : x1, m2 = vertical ? y2 : x2;
    int n1 = vertical ? x1 : y1, n2 = vertical ? x2 : y2;
    if (m1 > m2) {
        std::swap(m1, m2);
        std::swap(n1, n2);
    }
    const int step = fixedQuotient(n2 - n1, m2 - m1);
    int minor = n1 * 1024;
    m1 -= 32;
    minor -= step >> 1;
    m2 += 32;
    int from = (m1 + 32) >> 6;
    const int to = (m2 + 32) >> 6;
    if (from == to)
        return;
    const int round = step > 0 ? 32 : 0;
    minor += ((from * 64 + round - m1) * step) >> 6;
    // The pixels lie within a pixel of the ends' box; when that lies inside the clip, no pixel
    // needs a test.
    const int nLow = (std::min(n1, n2) >> 6) - 1, nHigh = (std::max(n1, n2) >> 6) + 1;
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
