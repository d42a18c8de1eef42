#include "render/directcanvas.h"

#include "render/paintstop.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace
{

// A shape's area is the box of its points and a pixel of pen around it. Larger shapes cost about
// as much to fill through the painter, and would fill the table.
constexpr int kMaxSide = 48;
// Room around the area on the scratch image, to catch a shape that paints beyond it.
constexpr int kScratchMargin = 4;
constexpr int kScratchSide = kMaxSide + 2 * kScratchMargin;
// A million mixed objects make a few thousand distinct shapes at a view (2,600 fitted to the
// window, 3,800 zoomed in tenfold). The table holds up to 32,768 in at most 4 MiB (entries of one
// cache line, kept at most half full), and the row masks of the larger shapes in at most another
// 4 MiB.
constexpr std::size_t kMaxShapes = 32768;
constexpr std::size_t kFirstCapacity = 1024;
constexpr std::size_t kMaxPoolWords = std::size_t(1) << 19;
// How many shapes a paint records before it asks whether recording pays.
constexpr std::size_t kTrialRecordings = 1024;
// The bits of a shape's colours fit its entry when they take at most 128 bits (one colour) or 64
// bits each (two): a row of the box after another.
constexpr int kInlineBits = 128;

// The style, the kind of shape, the point count, the powers of two that a wide pen's shape (or a
// regular polygon) lies within, and the geometry: the points' offsets from the area's corner (a
// byte each way, as the area is at most kMaxSide across), or a regular polygon's radius and corner
// count.
struct Key {
    std::uint64_t words[4];

    bool operator==(const Key& other) const
    {
        return words[0] == other.words[0] && words[1] == other.words[1] &&
               words[2] == other.words[2] && words[3] == other.words[3];
    }
};

enum class State : std::uint8_t { Empty, Inline, Pooled, Refused };

// One cache line: the key, the shape's colours (a pen's and a brush's: plain painting sets no
// other), the box of the pixels it paints within its area, and which of those pixels take which
// colour, as bits in the entry or as two masks a row in the pool (where `masks[0]` is then the
// first row's place).
struct alignas(64) Entry {
    Key key;
    QRgb colors[2];
    std::uint8_t left, top, width, height;
    State state;
    std::uint8_t colorCount;
    std::uint64_t masks[2];
};
static_assert(sizeof(Entry) == 64);

struct Table {
    std::vector<Entry> entries;
    std::size_t used = 0;
    std::vector<std::uint64_t> pool;
    std::uint64_t setting = 0;
    // Canvases open on the thread, and what the outermost one found, recorded and turned away.
    int open = 0;
    std::size_t found = 0;
    std::size_t recorded = 0;
    std::size_t turnedAway = 0;
    QImage scratch;
    // Open on the scratch while a canvas is: beginning a painter costs as much as painting a
    // small shape.
    std::unique_ptr<QPainter> scratchPainter;

    void clear()
    {
        entries.clear();
        entries.shrink_to_fit();
        pool.clear();
        pool.shrink_to_fit();
        used = 0;
    }
};

thread_local Table table;

std::uint64_t hashOf(const Key& key)
{
    std::uint64_t hash = key.words[0] * 0x9E3779B97F4A7C15ull;
    hash ^= (key.words[1] + (hash << 6) + (hash >> 2)) * 0xC2B2AE3D27D4EB4Full;
    hash ^= (key.words[2] + (hash << 6) + (hash >> 2)) * 0x165667B19E3779F9ull;
    hash ^= (key.words[3] + (hash << 6) + (hash >> 2)) * 0x9E3779B97F4A7C15ull;
    return hash ^ (hash >> 29);
}

Entry* slotOf(std::vector<Entry>& entries, const Key& key)
{
    const std::size_t mask = entries.size() - 1;
    for (std::size_t slot = hashOf(key) & mask;; slot = (slot + 1) & mask) {
        Entry& entry = entries[slot];
        if (entry.state == State::Empty || entry.key == key)
            return &entry;
    }
}

// Makes room for one more entry, keeping the table at most half full; false when it is full.
bool makeRoom()
{
    if (table.used >= kMaxShapes)
        return false;
    if (2 * (table.used + 1) <= table.entries.size())
        return true;
    std::vector<Entry> grown(std::max(kFirstCapacity, 2 * table.entries.size()));
    for (const Entry& entry : table.entries) {
        if (entry.state != State::Empty)
            *slotOf(grown, entry.key) = entry;
    }
    table.entries.swap(grown);
    return true;
}

// `width` bits from bit `offset` of the two words, the first word's bits first.
std::uint64_t bitsAt(const std::uint64_t (&words)[2], int offset, int width)
{
    std::uint64_t bits = offset >= 64 ? words[1] >> (offset - 64) : words[0] >> offset;
    if (offset > 0 && offset < 64 && offset + width > 64)
        bits |= words[1] << (64 - offset);
    return width == 64 ? bits : bits & ((std::uint64_t(1) << width) - 1);
}

void setBit(std::uint64_t (&words)[2], int bit)
{
    words[bit / 64] |= std::uint64_t(1) << (bit % 64);
}

void writeBits(QRgb* row, std::uint64_t bits, QRgb color)
{
    while (bits != 0) {
        row[__builtin_ctzll(bits)] = color;
        bits &= bits - 1;
    }
}

// Bit x set for each pixel x of the row that is not wholly transparent; at most 64 pixels.
std::uint64_t paintedBits(const QRgb* row, int width)
{
    std::uint64_t set = 0;
    int x = 0;
#ifdef __SSE2__
    // Four pixels at a time: the sign bits of the lanes whose alpha is zero.
    const __m128i zero = _mm_setzero_si128();
    for (; x + 4 <= width; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
        const __m128i clear = _mm_cmpeq_epi32(_mm_srli_epi32(pixels, 24), zero);
        const int transparent = _mm_movemask_ps(_mm_castsi128_ps(clear));
        set |= std::uint64_t(~transparent & 15) << x;
    }
#endif
    for (; x < width; ++x)
        set |= std::uint64_t(qAlpha(row[x]) != 0) << x;
    return set;
}

// Paints the shape alone onto the scratch image, its area's corner moved to (margin, margin) by a
// whole-pixel translation, and notes its pixels in the entry: refused when it painted outside its
// area, a pixel that is not opaque, or more than two colours. False when its masks do not fit the
// pool. The scratch is read a row at a time into bits of the pixels painted, so that the pixels
// left untouched, most of the scratch for lines and outlines, cost a few instructions each.
bool record(Entry& entry, const QRect& area, const void* context,
            void (*paint)(const void*, QPainter*))
{
    static_assert(kScratchSide <= 64, "a scratch row's pixels are noted in one 64-bit word");
    if (table.scratch.isNull())
        table.scratch = QImage(kScratchSide, kScratchSide, QImage::Format_ARGB32_Premultiplied);
    QImage& scratch = table.scratch;
    const int width = area.width() + 2 * kScratchMargin;
    const int height = area.height() + 2 * kScratchMargin;
    // Taken once: the scratch is never shared, so bits() does not copy it.
    uchar* const bits = scratch.bits();
    const qsizetype stride = scratch.bytesPerLine();
    const auto line = [bits, stride](int y) { return reinterpret_cast<QRgb*>(bits + y * stride); };
    for (int y = 0; y < height; ++y)
        std::memset(line(y), 0, std::size_t(width) * sizeof(QRgb));
    if (!table.scratchPainter)
        table.scratchPainter = std::make_unique<QPainter>(&scratch);
    QPainter& painter = *table.scratchPainter;
    // Each shape starts from the painter's first state, whatever the last one set.
    painter.save();
    painter.translate(kScratchMargin - area.left(), kScratchMargin - area.top());
    paint(context, &painter);
    painter.restore();
    entry.state = State::Refused;
    entry.colorCount = 0;
    // Bit x of painted[y]: the shape set pixel (x, y), whatever its alpha.
    std::uint64_t painted[kScratchSide];
    std::uint64_t columns = 0;
    int top = height, bottom = -1;
    for (int y = 0; y < height; ++y) {
        const QRgb* row = line(y);
        const std::uint64_t set = paintedBits(row, width);
        painted[y] = set;
        if (set != 0) {
            top = std::min(top, y);
            bottom = y;
            columns |= set;
        }
    }
    const std::uint64_t areaColumns = ((std::uint64_t(1) << area.width()) - 1) << kScratchMargin;
    if (bottom >= 0 && (top < kScratchMargin || bottom >= kScratchMargin + area.height() ||
                        (columns & ~areaColumns) != 0))
        return true;
    for (int y = top; y <= bottom; ++y) {
        const QRgb* row = line(y);
        for (std::uint64_t set = painted[y]; set != 0; set &= set - 1) {
            const QRgb pixel = row[__builtin_ctzll(set)];
            if (qAlpha(pixel) != 255)
                return true;
            QRgb* const colorsEnd = entry.colors + entry.colorCount;
            if (std::find(entry.colors, colorsEnd, pixel) == colorsEnd) {
                if (entry.colorCount == 2)
                    return true;
                entry.colors[entry.colorCount++] = pixel;
            }
        }
    }
    entry.masks[0] = entry.masks[1] = 0;
    entry.state = State::Inline;
    if (bottom < 0) {
        entry.left = entry.top = entry.width = entry.height = 0;
        return true;
    }
    const int left = __builtin_ctzll(columns);
    const int right = 63 - __builtin_clzll(columns);
    entry.left = static_cast<std::uint8_t>(left - kScratchMargin);
    entry.top = static_cast<std::uint8_t>(top - kScratchMargin);
    entry.width = static_cast<std::uint8_t>(right - left + 1);
    entry.height = static_cast<std::uint8_t>(bottom - top + 1);
    const int pixels = entry.width * entry.height;
    if (pixels * entry.colorCount > kInlineBits) {
        if (table.pool.size() + 2 * std::size_t(entry.height) > kMaxPoolWords)
            return false;
        entry.state = State::Pooled;
        entry.masks[0] = table.pool.size();
        table.pool.resize(table.pool.size() + 2 * std::size_t(entry.height), 0);
    }
    for (int y = 0; y < entry.height; ++y) {
        const QRgb* row = line(top + y) + left;
        for (std::uint64_t set = painted[top + y] >> left; set != 0; set &= set - 1) {
            const int x = __builtin_ctzll(set);
            const int color = row[x] == entry.colors[0] ? 0 : 1;
            if (entry.state == State::Pooled)
                table.pool[entry.masks[0] + 2 * std::size_t(y) + std::size_t(color)] |=
                    std::uint64_t(1) << x;
            else
                setBit(entry.masks, color * pixels + y * entry.width + x);
        }
    }
    return true;
}

// The first word of a key; the caller adds the geometry.
Key keyOf(const DirectCanvas::Style& style, DirectCanvas::Shape shape, int count, int across,
          int down)
{
    return {{std::uint64_t(style.color) | std::uint64_t(style.kind) << 32 |
                 std::uint64_t(style.dimmed) << 39 | std::uint64_t(shape) << 40 |
                 std::uint64_t(style.highlighted) << 43 | std::uint64_t(count) << 44 |
                 std::uint64_t(across) << 48 | std::uint64_t(down) << 53,
             0, 0, 0}};
}

// Writes the shape of the key, whose pixels lie within the area, recording them first if the
// table has none: false when it refuses the shape or the pixels are not wholly writable.
bool drawRecorded(const WritablePixels& pixels, const Key& key, const QRect& area,
                  void (*paint)(const void*, QPainter*), const void* context)
{
    const Entry* entry = table.entries.empty() ? nullptr : slotOf(table.entries, key);
    if (entry == nullptr || entry->state == State::Empty) {
        // A drawing whose shapes rarely come twice (polygons of many pixels, each its own) would
        // pay for recording every one: once a paint has recorded more shapes than it found, and
        // more than kTrialRecordings, it records no more.
        if ((table.recorded > kTrialRecordings && table.recorded > table.found) || !makeRoom()) {
            ++table.turnedAway;
            return false;
        }
        ++table.recorded;
        Entry recorded{};
        recorded.key = key;
        if (!record(recorded, area, context, paint)) {
            ++table.turnedAway;
            return false;
        }
        Entry* slot = slotOf(table.entries, key);
        *slot = recorded;
        ++table.used;
        entry = slot;
    } else {
        ++table.found;
    }
    if (entry->state == State::Refused)
        return false;

    const int x = area.left() + entry->left;
    const int y = area.top() + entry->top;
    const QRect& writable = pixels.writable;
    if (x < writable.left() || y < writable.top() || x + entry->width - 1 > writable.right() ||
        y + entry->height - 1 > writable.bottom())
        return false;
    QRgb* row = pixels.pixels + qsizetype(y) * pixels.stride + x;
    const int width = entry->width;
    if (entry->state == State::Inline) {
        const int pixelCount = width * entry->height;
        for (int line = 0; line < entry->height; ++line, row += pixels.stride) {
            writeBits(row, bitsAt(entry->masks, line * width, width), entry->colors[0]);
            if (entry->colorCount == 2)
                writeBits(row, bitsAt(entry->masks, pixelCount + line * width, width),
                          entry->colors[1]);
        }
    } else {
        const std::uint64_t* masks = table.pool.data() + entry->masks[0];
        for (int line = 0; line < entry->height; ++line, row += pixels.stride, masks += 2) {
            writeBits(row, masks[0], entry->colors[0]);
            writeBits(row, masks[1], entry->colors[1]);
        }
    }
    return true;
}

} // namespace

DirectCanvas::DirectCanvas(QPainter& painter, bool enabled, std::uint64_t setting)
    : painter(painter), pixels(enabled ? writablePixelsOf(painter) : WritablePixels()),
      rasterizer(pixels.pixels, pixels.stride, pixels.device, pixels.writable),
      linesUsable(active() && LineRasterizer::takesDevice(pixels.device))
{
    if (table.open++ > 0)
        return;
    // A new setting makes other pixels of the same shapes; a paint that had to turn away more
    // shapes than it found leaves room for the next view's.
    if (setting != table.setting || table.turnedAway > table.found)
        table.clear();
    table.setting = setting;
    table.found = 0;
    table.recorded = 0;
    table.turnedAway = 0;
}

DirectCanvas::~DirectCanvas()
{
    if (--table.open == 0)
        table.scratchPainter.reset();
}

bool DirectCanvas::plainColor(const QColor& color, QRgb& pixel)
{
    const QRgb rgb = color.rgba();
    if (!color.isValid() || qAlpha(rgb) != 255 || color.rgba64() != QRgba64::fromArgb32(rgb))
        return false;
    pixel = rgb;
    return true;
}

// The outline covers the box from the rectangle's corner to a pixel beyond its right and bottom
// edges; the inside is the rectangle less its left column and top row.
bool DirectCanvas::fillOutlinedRect(const QRect& rect, QRgb outline, QRgb inside) const
{
    const QRect& writable = pixels.writable;
    if (!active() || rect.left() > rect.right() || rect.top() > rect.bottom() ||
        rect.left() < writable.left() || rect.top() < writable.top() ||
        qint64(rect.right()) + 1 > writable.right() ||
        qint64(rect.bottom()) + 1 > writable.bottom())
        return false;
    const int width = rect.right() + 2 - rect.left();
    QRgb* row = pixels.pixels + qsizetype(rect.top()) * pixels.stride + rect.left();
    std::fill_n(row, width, outline);
    for (int y = rect.top() + 1; y <= rect.bottom(); ++y) {
        row += pixels.stride;
        row[0] = outline;
        std::fill_n(row + 1, width - 2, inside);
        row[width - 1] = outline;
    }
    std::fill_n(row + pixels.stride, width, outline);
    return true;
}

// Every pixel of a line lies within a pixel of its ends' box; under a clip of several rectangles,
// that must lie within the writable one.
bool DirectCanvas::takesLinesWithin(int left, int top, int right, int bottom) const
{
    if (!linesUsable)
        return false;
    const QRect& writable = pixels.writable;
    return pixels.wholeClip ||
           (qint64(left) - 1 >= writable.left() && qint64(right) + 1 <= writable.right() &&
            qint64(top) - 1 >= writable.top() && qint64(bottom) + 1 <= writable.bottom());
}

bool DirectCanvas::drawThinLines(const QLine* lines, int count, QRgb color) const
{
    if (!linesUsable || count < 1)
        return linesUsable;
    int left = lines[0].x1(), right = left, top = lines[0].y1(), bottom = top;
    if (!pixels.wholeClip) {
        for (int i = 0; i < count; ++i) {
            left = std::min({left, lines[i].x1(), lines[i].x2()});
            right = std::max({right, lines[i].x1(), lines[i].x2()});
            top = std::min({top, lines[i].y1(), lines[i].y2()});
            bottom = std::max({bottom, lines[i].y1(), lines[i].y2()});
        }
    }
    if (!takesLinesWithin(left, top, right, bottom))
        return false;
    for (int i = 0; i < count && !PaintStop::requestedAt(std::size_t(i)); ++i)
        rasterizer.draw(lines[i], color);
    return true;
}

bool DirectCanvas::drawThinPolygon(const QPoint* corners, int count, QRgb outline,
                                   const QBrush& brush)
{
    if (!linesUsable || count < 2)
        return false;
    const QRect box = pixels.wholeClip ? QRect() : boxOf(corners, count);
    if (!takesLinesWithin(box.left(), box.top(), box.right(), box.bottom()))
        return false;
    if (!LineRasterizer::takesPolygon(corners, count))
        return false;
    painter.setPen(Qt::NoPen);
    painter.setBrush(brush);
    painter.drawPolygon(corners, count, Qt::OddEvenFill);
    return rasterizer.drawPolygon(corners, count, outline);
}

bool DirectCanvas::drawShapeWith(const Style& style, Shape shape, const QPoint* points, int count,
                                 int penWidth, PaintFunction paint, const void* context)
{
    if (!active() || count < 1 || count > kMaxPoints || penWidth > kWidestPen)
        return false;
    const QRect box = boxOf(points, count);
    // Compared in 64 bits: far points lie near the ends of an int.
    const bool wide = penWidth > 1;
    const int reach = outlineReach(penWidth);
    if (qint64(box.right()) - box.left() + 1 + 2 * reach > kMaxSide ||
        qint64(box.bottom()) - box.top() + 1 + 2 * reach > kMaxSide)
        return false;
    const QRect area = box.adjusted(-reach, -reach, reach, reach);
    int across = 0, down = 0;
    if (wide && !withinPowersOfTwo(area, across, down))
        return false;
    Key key = keyOf(style, shape, count, across, down);
    for (int i = 0; i < count; ++i) {
        const std::uint64_t offsets = std::uint64_t(points[i].x() - area.left()) |
                                      std::uint64_t(points[i].y() - area.top()) << 8;
        key.words[1 + i / 4] |= offsets << (16 * (i % 4));
    }
    return drawRecorded(pixels, key, area, paint, context);
}

// Each corner is the centre plus an offset rounded to the spacing of doubles within the power of
// two the polygon lies in; that rounding is the same wherever the centre lies there, unless the
// offset lies halfway between two steps (then it follows the centre's last bit). Offsets from the
// area's corner, and from the scratch image's, are then exact, as the area lies at least 64
// pixels from the origin each way.
bool DirectCanvas::drawRegularPolygonWith(const Style& style, const QPoint& centre, int radius,
                                          const QPointF* unitCorners, int count,
                                          PaintFunction paint, const void* context)
{
    if (!active() || count < 1 || radius < 1 || 2 * qint64(radius) + 3 > kMaxSide)
        return false;
    const int reach = radius + 1;
    const QRect area(centre - QPoint(reach, reach), centre + QPoint(reach, reach));
    int across = 0, down = 0;
    if (area.left() < 64 || area.top() < 64 || !withinPowersOfTwo(area, across, down))
        return false;
    const double halfStepAcross = std::ldexp(1.0, across - 53);
    const double halfStepDown = std::ldexp(1.0, down - 53);
    for (int i = 0; i < count; ++i) {
        const double offsetX = radius * unitCorners[i].x();
        const double offsetY = radius * unitCorners[i].y();
        const double x = centre.x() + offsetX;
        const double y = centre.y() - offsetY;
        if (std::abs((x - centre.x()) - offsetX) == halfStepAcross ||
            std::abs((centre.y() - y) - offsetY) == halfStepDown)
            return false;
    }
    Key key = keyOf(style, Shape::RegularPolygon, 0, across, down);
    key.words[1] = std::uint64_t(radius) | std::uint64_t(count) << 32;
    return drawRecorded(pixels, key, area, paint, context);
}

std::size_t DirectCanvas::size()
{
    return table.used;
}

void DirectCanvas::clear()
{
    table.clear();
}
