#include "model/vertexlist.h"

#include "model/paintobject.h"
#include "script/wordreader.h"

#include <algorithm>
#include <limits>

namespace
{

// The shortest text a vertex can take is "x y" plus the blank before it, so a record can never
// hold more pairs than a quarter of its length. Capping the reservation there keeps a huge
// count on a short record from asking for gigabytes.
constexpr std::size_t kMinBytesPerVertex = 4;

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

QString vertexLines(const VertexList& vertices)
{
    QString lines;
    // The count came from an int, so every index fits one.
    int index = 0;
    for (const QPointF& v : vertices)
        lines += QString::asprintf("[%2d] %f %f\n", index++, v.x(), v.y());
    return lines;
}

QString endVerticesText(const VertexList& vertices, const QString& middleLine)
{
    const QPointF first = vertices.empty() ? QPointF() : vertices.front();
    const QPointF last = vertices.empty() ? QPointF() : vertices.back();
    return QString::asprintf("%f %f\n", first.x(), first.y()) + middleLine +
           QString::asprintf("\n%f %f", last.x(), last.y());
}
