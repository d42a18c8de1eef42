#include "model/vertexlist.h"

#include "model/paintobject.h"
#include "script/wordreader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace
{

// The shortest text a vertex can take is "x y" plus the blank before it, so a record can never
// hold more pairs than a quarter of its length. Capping the reservation there keeps a huge
// count on a short record from asking for gigabytes.
constexpr std::size_t kMinBytesPerVertex = 4;

// Room for any double in fixed notation with six decimals: 309 digits before the point at most.
constexpr std::size_t kMaxFixedLength = 320;

// Appends the value as "%f" through QString::asprintf writes it, several times faster.
// std::to_chars gives the same correctly rounded digits but for three cases, which take the slow
// way: a value exactly halfway between two six-decimal texts (an odd multiple of 2^-7; a double
// of 2^46 or more has no bit that fine), which to_chars rounds to even and Qt away from zero;
// infinities and NaNs, whose sign Qt treats in its own way. Qt also writes a negative zero
// without its sign.
void appendFixed(QString& text, double value)
{
    constexpr double kTieScale = 128.0;
    constexpr double kTieLimit = 0x1p46;
    const double scaled = value * kTieScale;
    const bool halfway = std::fabs(value) < kTieLimit && scaled == std::trunc(scaled) &&
                         std::fmod(scaled, 2.0) != 0.0;
    if (halfway || !std::isfinite(value)) {
        text += QString::asprintf("%f", value);
        return;
    }
    char digits[kMaxFixedLength];
    const std::to_chars_result end = std::to_chars(
        digits, digits + sizeof digits, value == 0.0 ? 0.0 : value, std::chars_format::fixed, 6);
    text += QLatin1StringView(digits, end.ptr - digits);
}

} // namespace

void readVertexRecord(std::string_view text, paintObject& object, VertexList& vertices)
{
    WordReader words(text);
    int count = 0;
    words.readInt(count);
    vertices.clear();
    if (count > 0)
        vertices.reserve(
            std::min(static_cast<std::size_t>(count), text.size() / kMinBytesPerVertex));
    for (int i = 0; i < count; ++i) {
        double x = 0.0, y = 0.0;
        // Failure is sticky: once a read fails no later one can succeed, so stop here rather
        // than spin through the rest of a count that may be in the billions.
        if (!words.readDouble(x) || !words.readDouble(y))
            break;
        vertices.emplace_back(x, y);
    }
    words.readWord(object.colorName);
    object.readPropertyPairs(words);
}

void setVertexBounds(paintObject& object, const VertexList& vertices)
{
    if (vertices.empty()) {
        object.minX = object.minY = std::numeric_limits<double>::max();
        object.maxX = object.maxY = -std::numeric_limits<double>::max();
        return;
    }
    object.minX = object.maxX = vertices.front().x();
    object.minY = object.maxY = vertices.front().y();
    for (auto v = vertices.begin() + 1; v != vertices.end(); ++v) {
        object.minX = std::min(object.minX, v->x());
        object.maxX = std::max(object.maxX, v->x());
        object.minY = std::min(object.minY, v->y());
        object.maxY = std::max(object.maxY, v->y());
    }
}

void appendVertexLine(QString& text, int index, const QPointF& vertex)
{
    constexpr int kIndexWidth = 2;
    char digits[std::numeric_limits<int>::digits10 + 2];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, index);
    text += QLatin1Char('[');
    for (auto length = end.ptr - digits; length < kIndexWidth; ++length)
        text += QLatin1Char(' ');
    text += QLatin1StringView(digits, end.ptr - digits);
    text += QLatin1StringView("] ");
    appendFixed(text, vertex.x());
    text += QLatin1Char(' ');
    appendFixed(text, vertex.y());
}

QString endVerticesText(const VertexList& vertices, const QString& middleLine)
{
    const QPointF first = vertices.empty() ? QPointF() : vertices.front();
    const QPointF last = vertices.empty() ? QPointF() : vertices.back();
    return QString::asprintf("%f %f\n", first.x(), first.y()) + middleLine +
           QString::asprintf("\n%f %f", last.x(), last.y());
}
