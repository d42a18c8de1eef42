#include "render/shapestamps.h"

#include "render/paintstop.h"

#include "render/plainpainting.h"

#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace
{

// Stamps hold 8-bit colour; other targets keep more of a pen's colour than a stamp could.
bool takesStamps(const QPainter& painter)
{
    const QPaintDevice* target = painter.paintEngine()->paintDevice();
    if (target == nullptr || target->devType() != QInternal::Image)
        return false;
    const QImage::Format format = static_cast<const QImage*>(target)->format();
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

template <typename Value> void appendBytes(std::string& text, const Value& value)
{
    char bytes[sizeof(Value)];
    std::memcpy(bytes, &value, sizeof(Value));
    text.append(bytes, sizeof(Value));
}

// The pen's and brush's shared data, as bytes of a key.
void appendStyle(std::string& text, const QPainter& painter)
{
    appendBytes(text, const_cast<QPen&>(painter.pen()).data_ptr());
    appendBytes(text, const_cast<QBrush&>(painter.brush()).data_ptr().get());
}

// Whether x - whole is exact in doubles, by Sterbenz's lemma (whole / 2 <= x <= 2 * whole).
bool subtractsExactly(double x, int whole)
{
    return whole > 0 && x >= whole / 2.0 && x <= 2.0 * whole;
}

// How far beyond a shape's points the painter's pen may reach (outlineReach()).
int reachOf(const QPainter& painter)
{
    const QPen& pen = painter.pen();
    return outlineReach(pen.style() == Qt::NoPen ? 0.0 : pen.widthF());
}

} // namespace

TextKeyedTable<ShapeStamps::Stamp>& ShapeStamps::stamps()
{
    static thread_local TextKeyedTable<Stamp> cache(kMaxStamps);
    return cache;
}

std::size_t ShapeStamps::size()
{
    return usableStamps;
}

thread_local const ShapeStamps::Session* ShapeStamps::session = nullptr;
thread_local std::size_t ShapeStamps::stampsFound = 0;
thread_local std::size_t ShapeStamps::stampsTurnedAway = 0;
thread_local std::size_t ShapeStamps::usableStamps = 0;

ShapeStamps::Session::Session(const QPainter& painter)
    : painter(painter), allowed(settingAllowsStamps(painter)), viewport(painter.viewport()),
      direct(allowed ? writablePixelsOf(painter) : WritablePixels()), previous(session)
{
    session = this;
    if (previous == nullptr) {
        stampsFound = 0;
        stampsTurnedAway = 0;
    }
}

ShapeStamps::Session::~Session()
{
    session = previous;
    if (previous == nullptr && stampsTurnedAway > stampsFound)
        clear();
}

void ShapeStamps::clear()
{
    stamps().clear();
    usableStamps = 0;
    stampsFound = 0;
    stampsTurnedAway = 0;
}

bool ShapeStamps::settingAllowsStamps(const QPainter& painter)
{
    return hasPlainSetting(painter) && takesStamps(painter);
}

bool ShapeStamps::allowsStamp(const QPainter& painter, const QRect& area)
{
    if (area.width() > kMaxSide || area.height() > kMaxSide)
        return false;
    if (session != nullptr && &session->painter == &painter)
        return session->allowed && session->viewport.contains(area, false);
    return settingAllowsStamps(painter) && liesOnDevice(painter, area);
}

std::string* ShapeStamps::keyFor(const QPainter& painter, char kind, const QRect& area)
{
    // One buffer serves every key, so that looking a stamp up allocates nothing.
    static thread_local std::string key;
    key.clear();
    key.push_back(kind);
    // Offsets within an area at most kMaxSide across fit a byte each.
    key.push_back(static_cast<char>(area.width()));
    key.push_back(static_cast<char>(area.height()));
    // A wide pen's outline is the same stamp only within one power of two.
    const QPen& pen = painter.pen();
    if (pen.style() != Qt::NoPen && pen.widthF() > 1.0) {
        int across = 0, down = 0;
        if (!withinPowersOfTwo(area, across, down))
            return nullptr;
        key.push_back(static_cast<char>(across));
        key.push_back(static_cast<char>(down));
    }
    return &key;
}

std::string* ShapeStamps::keyForPoints(const QPainter& painter, char kind, const QRect& area,
                                       const QPoint* points, int count)
{
    std::string* key = allowsStamp(painter, area) ? keyFor(painter, kind, area) : nullptr;
    if (key == nullptr)
        return nullptr;
    for (int i = 0; i < count; ++i) {
        key->push_back(static_cast<char>(points[i].x() - area.left()));
        key->push_back(static_cast<char>(points[i].y() - area.top()));
    }
    return key;
}

QImage ShapeStamps::scratchFor(const QRect& area)
{
    QImage scratch(area.width() + 2 * kScratchMargin, area.height() + 2 * kScratchMargin,
                   QImage::Format_ARGB32_Premultiplied);
    scratch.fill(Qt::transparent);
    return scratch;
}

// Every pixel the shape painted is opaque; the ones it left alone stay fully transparent.
void ShapeStamps::record(Stamp& stamp, const QImage& scratch, const QSize& size)
{
    for (int y = 0; y < scratch.height(); ++y) {
        const bool inRows = y >= kScratchMargin && y < kScratchMargin + size.height();
        const auto* line = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
        for (int x = 0; x < scratch.width(); ++x) {
            const bool inside = inRows && x >= kScratchMargin && x < kScratchMargin + size.width();
            if (!inside && qAlpha(line[x]) != 0)
                return;
        }
    }
    stamp.image = scratch.copy(kScratchMargin, kScratchMargin, size.width(), size.height());
    stamp.pixels = reinterpret_cast<const QRgb*>(stamp.image.constBits());
    stamp.stride = stamp.image.bytesPerLine() / qsizetype(sizeof(QRgb));
    stamp.size = stamp.image.size();
    stamp.usable = true;
}

// Written directly, a stamp's opaque pixels replace the image's, as source-over drawing of an
// opaque pixel does. The image's pixels are reached without detaching it: the painter paints
// into the very same memory.
void ShapeStamps::drawStamp(QPainter* painter, const QPoint& at, const Stamp& stamp)
{
    if (session == nullptr || &session->painter != painter || session->direct.pixels == nullptr ||
        !session->direct.writable.contains(QRect(at, stamp.size))) {
        painter->drawImage(at, stamp.image);
        return;
    }
    const int width = stamp.size.width();
    const int height = stamp.size.height();
    const qsizetype stride = session->direct.stride;
    const QRgb* from = stamp.pixels;
    QRgb* to = session->direct.pixels + at.y() * stride + at.x();
    for (int y = 0; y < height; ++y, from += stamp.stride, to += stride) {
        for (int x = 0; x < width; ++x) {
            if (qAlpha(from[x]) != 0)
                to[x] = from[x];
        }
    }
}

// A full cache takes no more stamps: starting afresh in the middle of a scene with more shapes
// than it holds would record them again and again. A session that had to turn away more shapes
// than it found clears it at its end, so that a new view (a zoom, another file) gets stamps of
// its own.
//
// The scratch painter paints the shape at its own coordinates, moved by a whole-pixel translation
// onto the scratch image: the painter computes everything it derives from the coordinates (a wide
// pen's outline, say) exactly as on the device, and the translation then moves the results
// exactly.
template <typename Draw>
const ShapeStamps::Stamp* ShapeStamps::stampFor(const QPainter& painter, std::string& key,
                                                const QRect& area, const Draw& draw)
{
    appendStyle(key, painter);
    TextKeyedTable<Stamp>& cache = stamps();
    if (const Stamp* found = cache.find(nullptr, key)) {
        ++stampsFound;
        return found;
    }
    if (cache.full()) {
        ++stampsTurnedAway;
        return nullptr;
    }
    if (!cache.admits(nullptr, key))
        return nullptr;
    Stamp stamp;
    stamp.pen = painter.pen();
    stamp.brush = painter.brush();
    if (isPlainStyle(stamp.pen, stamp.brush, kWidestPen)) {
        QImage scratch = scratchFor(area);
        {
            QPainter scratchPainter(&scratch);
            scratchPainter.setPen(stamp.pen);
            scratchPainter.setBrush(stamp.brush);
            scratchPainter.translate(kScratchMargin - area.left(), kScratchMargin - area.top());
            draw(&scratchPainter);
        }
        record(stamp, scratch, area.size());
    }
    usableStamps += stamp.usable ? 1 : 0;
    return &cache.insert(nullptr, key, stamp);
}

template <typename Draw>
void ShapeStamps::paint(QPainter* painter, std::string* key, const QRect& area, const Draw& draw)
{
    const Stamp* stamp = key != nullptr ? stampFor(*painter, *key, area, draw) : nullptr;
    if (stamp != nullptr && stamp->usable)
        drawStamp(painter, area.topLeft(), *stamp);
    else
        draw(painter);
}

template <typename Draw>
void ShapeStamps::paintThrough(QPainter* painter, char kind, const QPoint* points, int count,
                               const Draw& draw)
{
    if (count < 1 || count > kMaxPoints) {
        draw(painter);
        return;
    }
    const int reach = reachOf(*painter);
    const QRect area = boxOf(points, count).adjusted(-reach, -reach, reach, reach);
    paint(painter, keyForPoints(*painter, kind, area, points, count), area, draw);
}

void ShapeStamps::drawPolygon(QPainter* painter, const QPoint* points, int count)
{
    paintThrough(painter, 'P', points, count, [points, count](QPainter* target) {
        target->drawPolygon(points, count, Qt::OddEvenFill);
    });
}

void ShapeStamps::drawConvexPolygon(QPainter* painter, const QPoint* points, int count)
{
    paintThrough(painter, 'C', points, count,
                 [points, count](QPainter* target) { target->drawConvexPolygon(points, count); });
}

void ShapeStamps::drawEllipse(QPainter* painter, const QRect& rect)
{
    const auto draw = [&rect](QPainter* target) { target->drawEllipse(rect); };
    if (rect.isEmpty()) {
        // A circle less than a pixel across comes as a rectangle of no width and no height, in
        // which a plain painter draws nothing at all: its call is left out.
        const bool plain =
            (session != nullptr && &session->painter == painter ? session->allowed
                                                                : hasPlainSetting(*painter)) &&
            isPlainStyle(painter->pen(), painter->brush(), kWidestPen);
        if (!(plain && rect.width() == 0 && rect.height() == 0))
            draw(painter);
        return;
    }
    const int reach = reachOf(*painter);
    const QRect area = rect.adjusted(-reach, -reach, reach, reach);
    paint(painter, allowsStamp(*painter, area) ? keyFor(*painter, 'E', area) : nullptr, area, draw);
}

void ShapeStamps::drawLines(QPainter* painter, const QLine* lines, int count)
{
    const auto draw = [lines, count](QPainter* target) {
        for (int i = 0; i < count && !PaintStop::requestedAt(std::size_t(i)); ++i)
            target->drawLines(&lines[i], 1);
    };
    if (count < 1 || 2 * count > kMaxPoints) {
        draw(painter);
        return;
    }
    std::array<QPoint, kMaxPoints> ends;
    for (int i = 0; i < count; ++i) {
        ends[static_cast<std::size_t>(2 * i)] = lines[i].p1();
        ends[static_cast<std::size_t>(2 * i + 1)] = lines[i].p2();
    }
    paintThrough(painter, 'L', ends.data(), 2 * count, draw);
}

// The corners are not whole pixels, so the shape is only the same wherever the painter's fixed
// point sees the same corners shifted by whole pixels. It converts a coordinate x to 64 x
// rounded or truncated; that shifts with x by whole pixels as long as x - d is exact for the
// shift d. The key holds the exact offsets of the corners from the area's corner, and the scratch
// image gets the corners shifted exactly, so both conversions see the same fractions.
void ShapeStamps::drawPolygon(QPainter* painter, const QPointF* points, int count)
{
    const auto draw = [points, count](QPainter* target) {
        target->drawPolygon(points, count, Qt::OddEvenFill);
    };
    if (count < 1 || count > kMaxPoints) {
        draw(painter);
        return;
    }
    double left = points[0].x(), right = left, top = points[0].y(), bottom = top;
    for (int i = 1; i < count; ++i) {
        left = std::min(left, points[i].x());
        right = std::max(right, points[i].x());
        top = std::min(top, points[i].y());
        bottom = std::max(bottom, points[i].y());
    }
    // NaN or far corners stay with the painter: the area must be a small box of whole pixels.
    constexpr double kFar = 1 << 24;
    if (left > -kFar && right < kFar && top > -kFar && bottom < kFar) {
        const QRect area(
            QPoint(static_cast<int>(std::floor(left)) - 1, static_cast<int>(std::floor(top)) - 1),
            QPoint(static_cast<int>(std::ceil(right)) + 1,
                   static_cast<int>(std::ceil(bottom)) + 1));
        const int shiftX = area.left() - kScratchMargin;
        const int shiftY = area.top() - kScratchMargin;
        bool exact = allowsStamp(*painter, area) && reachOf(*painter) == 1;
        for (int i = 0; i < count && exact; ++i)
            exact = subtractsExactly(points[i].x(), area.left()) &&
                    subtractsExactly(points[i].x(), shiftX) &&
                    subtractsExactly(points[i].y(), area.top()) &&
                    subtractsExactly(points[i].y(), shiftY);
        std::string* key = exact ? keyFor(*painter, 'F', area) : nullptr;
        if (key != nullptr) {
            for (int i = 0; i < count; ++i) {
                appendBytes(*key, points[i].x() - area.left());
                appendBytes(*key, points[i].y() - area.top());
            }
        }
        paint(painter, key, area, draw);
        return;
    }
    draw(painter);
}
