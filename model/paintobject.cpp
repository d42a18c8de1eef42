#include "model/paintobject.h"

#include "app/viewerapp.h"
#include "script/wordreader.h"
#include "storage/objectarena.h"
#include "storage/sharedrecordparts.h"

#include <algorithm>
#include <optional>

namespace
{

// The text before the first separator and the text between the first and second; the second
// piece is absent (null data) when the separator does not occur.
struct TwoPieces {
    std::string_view first;
    std::optional<std::string_view> second;
};

TwoPieces firstTwoPieces(std::string_view text, std::string_view separator)
{
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos)
        return {text, std::nullopt};
    const std::string_view after = text.substr(at + separator.size());
    return {text.substr(0, at), after.substr(0, after.find(separator))};
}

// Splits at every "#", keeping empty parts, each piece converted by `convert`.
template <typename Convert> QStringList splitAtHash(std::string_view text, Convert convert)
{
    QStringList pieces;
    pieces.reserve(static_cast<qsizetype>(std::count(text.begin(), text.end(), '#')) + 1);
    for (;;) {
        const std::size_t at = text.find('#');
        pieces.append(convert(text.substr(0, at)));
        if (at == std::string_view::npos)
            return pieces;
        text.remove_prefix(at + 1);
    }
}

// Record text is 8-bit; every byte becomes the Latin-1 character of the same value.
QString latin1(std::string_view bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

void* paintObject::operator new(std::size_t bytes)
{
    return ObjectArena::allocate(bytes);
}

void paintObject::operator delete(void* memory, std::size_t bytes)
{
    ObjectArena::release(memory, bytes);
}

// The record is cut at "//" (comments), its first piece at "!!" (related searches); pieces after
// a second separator are dropped. Splitting the bytes gives the same pieces as splitting their
// Latin-1 text, without converting records that have neither separator.
//
// The shared parts are read in steps around the record's own work, so that fetching them from
// memory overlaps it: their slots are asked for as soon as the texts are known, the entries once
// the geometry has been read, and the entries are looked at after the comments have been split.
// The properties are set last, once, from the shared map or from the type's defaults and the
// pairs; nothing read before depends on them.
void paintObject::readRecord(std::string_view record, const PropertyMap& defaults)
{
    const TwoPieces byComment = firstTwoPieces(record, "//");
    const TwoPieces byRelated = firstTwoPieces(byComment.first, "!!");
    SharedRecordParts& parts = SharedRecordParts::instance();
    parts.beginRecord(defaults, byRelated.second);
    parse(byRelated.first);
    parts.fetchEntries();
    if (byComment.second)
        comments = splitAtHash(*byComment.second, latin1);
    computeBounds();
    parts.finishRecord(
        relatedSearches, properties,
        [](std::string_view text) { return splitAtHash(text, latin1); },
        [](std::string_view pairs, PropertyMap& into) {
            WordReader words(pairs);
            readPairs(words, into);
        });
}

// Within readRecord the pairs are read over the type's defaults, so the same remaining text
// always gives the same map: the defaults' address and the text identify it. There the text is
// only noted, to be read at the end of readRecord. A reader over the text not read yet gives the
// same pairs as the reader it came from: a reader that failed, or ran into the end, has no such
// text left.
void paintObject::readPropertyPairs(WordReader& words)
{
    if (!SharedRecordParts::instance().deferPairs(words.rest()))
        readPairs(words, properties);
}

void paintObject::readPairs(WordReader& words, PropertyMap& into)
{
    SharedRecordParts& parts = SharedRecordParts::instance();
    std::string_view name, value;
    while (words.readWord(name) && words.readWord(value))
        into.insert(parts.sharedText(name), parts.sharedText(value));
}

QString paintObject::propertiesText() const
{
    QStringList lines;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
        lines.append(it.key() + QLatin1Char('=') + it.value());
    return lines.join(QLatin1Char('\n'));
}

QString paintObject::description() const
{
    return describe().text();
}

ObjectDescription paintObject::describe() const
{
    ObjectDescription parts = describeGeometry();
    parts.properties = properties;
    parts.comments = comments;
    return parts;
}

bool paintObject::drawDirectShape(DirectCanvas& canvas, DirectStyle style,
                                  DirectCanvas::Shape shape, const QPoint* points, int count) const
{
    DirectCanvas::Style objectStyle;
    if (!directStyle(style, objectStyle))
        return false;
    // Strokes take strokePen(), lineWidth pixels wide; outlines a cosmetic pen.
    const bool stroked = style == StrokedStyle || style == CrossStyle;
    const int penWidth = stroked ? ViewerApp::instance()->lineWidth : 0;
    return canvas.drawShape(objectStyle, shape, points, count, penWidth,
                            [this](QPainter* painter) { paintAlone(painter); });
}

bool paintObject::directStyle(DirectStyle kind, DirectCanvas::Style& style) const
{
    style.kind = kind;
    style.highlighted = highlighted;
    style.dimmed = dimmed;
    return plainColor(style.color);
}

namespace
{

int paledChannel(int channel)
{
    return 255 - (255 - channel) / 4;
}

} // namespace

QColor paintObject::paled(const QColor& color)
{
    if (!color.isValid())
        return color;
    return QColor(paledChannel(color.red()), paledChannel(color.green()),
                  paledChannel(color.blue()), color.alpha());
}

QColor paintObject::color() const
{
    const QColor own = ViewerApp::instance()->colorOf(colorName);
    return dimmed ? paled(own) : own;
}

bool paintObject::plainColor(QRgb& pixel) const
{
    if (dimmed)
        return DirectCanvas::plainColor(color(), pixel);
    return ViewerApp::instance()->plainPixelOf(colorName, pixel);
}

const QPen& paintObject::strokePen(const QColor& color)
{
    return SharedStyles::strokePen(color, ViewerApp::instance()->lineWidth);
}

QIcon paintObject::colorIcon(int width, int height) const
{
    // The explorer shows the object's own colour, dimmed or not.
    return SharedStyles::colorIcon(ViewerApp::instance()->colorOf(colorName), width, height);
}
