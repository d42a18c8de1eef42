#include "model/paintobject.h"

#include "app/viewerapp.h"
#include "script/wordreader.h"
#include "storage/latin1stringcache.h"
#include "storage/objectarena.h"
#include "storage/textkeyedtable.h"

#include <QPixmap>

#include <algorithm>
#include <array>
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

namespace
{

// What the records of one load share. Dumps repeat a few nets, layers and searches across
// millions of objects: records with the same pairs (of the same type) get one shared property
// map, records with the same related-search text one shared list, instead of a private copy of a
// few hundred bytes each. Keyed by the record text, so a repeat costs no parsing either. Bounded;
// past the bound, new texts are parsed as usual.
struct SharedRecordParts {
    static constexpr std::uint32_t kMaxEntries = 1 << 16;
    // Keyed by the remaining record text, in the context of the type's declared defaults.
    TextKeyedTable<paintObject::PropertyMap> properties{kMaxEntries};
    TextKeyedTable<QStringList> searches{kMaxEntries};
    // Property names and values as shared strings.
    Latin1StringCache strings;
    // The declared defaults of the record being read, or null outside readRecord.
    const paintObject::PropertyMap* defaults = nullptr;
    // The pair text of the record being read, noted by readPropertyPairs and read at the end of
    // readRecord: its table slot is fetched meanwhile.
    std::optional<std::string_view> pendingPairs;
};

SharedRecordParts& shared()
{
    static SharedRecordParts* const parts = new SharedRecordParts;
    return *parts;
}

} // namespace

void paintObject::forgetSharedRecordParts()
{
    shared().properties.clear();
    shared().searches.clear();
    shared().strings.clear();
}

// The record is cut at "//" (comments), its first piece at "!!" (related searches); pieces after
// a second separator are dropped. Splitting the bytes gives the same pieces as splitting their
// Latin-1 text, without converting records that have neither separator.
//
// The shared tables mostly live outside the processor's caches by the time a record needs them,
// so their slots are fetched as soon as the texts are known, the entries the slots name once the
// geometry has been read, and the entries are looked at after the comments have been split. The
// properties are set last, once, from the shared map or from the type's defaults and the pairs;
// nothing read before depends on them.
void paintObject::readRecord(std::string_view record, const PropertyMap& defaults)
{
    const TwoPieces byComment = firstTwoPieces(record, "//");
    const TwoPieces byRelated = firstTwoPieces(byComment.first, "!!");
    SharedRecordParts& parts = shared();
    auto& searches = parts.searches;
    if (byRelated.second)
        searches.prefetch(nullptr, *byRelated.second);
    parts.defaults = &defaults;
    parts.pendingPairs.reset();
    parse(byRelated.first);
    parts.defaults = nullptr;
    if (byRelated.second)
        searches.prefetchEntry(nullptr, *byRelated.second);
    if (parts.pendingPairs)
        parts.properties.prefetchEntry(&defaults, *parts.pendingPairs);
    if (byComment.second)
        comments = splitAtHash(*byComment.second, latin1);
    computeBounds();
    if (byRelated.second) {
        if (const QStringList* known = searches.find(nullptr, *byRelated.second)) {
            relatedSearches = *known;
        } else {
            relatedSearches = splitAtHash(*byRelated.second, latin1);
            if (searches.admits(nullptr, *byRelated.second))
                searches.insert(nullptr, *byRelated.second, relatedSearches);
        }
    }
    if (!parts.pendingPairs) {
        properties = defaults;
        return;
    }
    const std::string_view pairs = *parts.pendingPairs;
    if (const PropertyMap* known = parts.properties.find(&defaults, pairs)) {
        properties = *known;
        return;
    }
    properties = defaults;
    WordReader words(pairs);
    readPairs(words);
    if (parts.properties.admits(&defaults, pairs))
        parts.properties.insert(&defaults, pairs, properties);
}

// Within readRecord the pairs are read over the type's defaults, so the same remaining text
// always gives the same map: the defaults' address and the text identify it. There the text is
// only noted, to be read at the end of readRecord. A reader over the text not read yet gives the
// same pairs as the reader it came from: a reader that failed, or ran into the end, has no such
// text left.
void paintObject::readPropertyPairs(WordReader& words)
{
    SharedRecordParts& parts = shared();
    if (parts.defaults) {
        parts.pendingPairs = words.rest();
        parts.properties.prefetch(parts.defaults, *parts.pendingPairs);
        return;
    }
    readPairs(words);
}

void paintObject::readPairs(WordReader& words)
{
    Latin1StringCache& strings = shared().strings;
    std::string_view name, value;
    while (words.readWord(name) && words.readWord(value))
        properties.insert(strings.text(name), strings.text(value));
}

QString paintObject::propertiesText() const
{
    QStringList lines;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
        lines.append(it.key() + QLatin1Char('=') + it.value());
    return lines.join(QLatin1Char('\n'));
}

QString paintObject::descriptionTail() const
{
    return propertiesText() + QLatin1Char('\n') + comments.join(QLatin1Char('\n'));
}

QColor paintObject::color() const
{
    return ViewerApp::instance()->colorOf(colorName);
}

namespace
{

// Styles kept by colour and width in a small open-addressed table: files use a handful of
// colours, and a kept style stays the same object (so painters and stamps see the same shared
// data) until the table fills up and starts afresh. The colour and width it was made for are kept
// beside it, so that telling whether it is the one asked for reads nothing out of the style.
template <typename Style> struct StylePlace {
    quint64 key = 0;
    bool used = false;
    int width = 0;
    QColor color;
    Style style;
};

template <typename Style> struct StyleTable {
    static constexpr std::size_t kPlaces = 128;
    static constexpr std::size_t kMostUsed = 96;
    std::array<StylePlace<Style>, kPlaces> places;
    std::size_t used = 0;
};

// The style made by `make` for the colour and width, made once and then shared.
template <typename Style, typename Make>
const Style& sharedStyle(StyleTable<Style>& table, const QColor& color, int width, Make make)
{
    constexpr std::size_t kPlaces = StyleTable<Style>::kPlaces;
    const quint64 key = color.rgba64() ^ (static_cast<quint64>(static_cast<quint32>(width)) << 20);
    std::size_t at = (key * 0x9E3779B97F4A7C15ULL) >> 57;
    for (;; at = (at + 1) % kPlaces) {
        StylePlace<Style>& place = table.places[at];
        if (!place.used)
            break;
        if (place.key == key) {
            // Colours that differ only where the key cannot see (RGB against HSV, say) share a
            // place.
            if (place.width != width || place.color != color) {
                place.width = width;
                place.color = color;
                place.style = make();
            }
            return place.style;
        }
    }
    if (table.used >= StyleTable<Style>::kMostUsed) {
        table = StyleTable<Style>();
        return sharedStyle(table, color, width, make);
    }
    StylePlace<Style>& place = table.places[at];
    place = {key, true, width, color, make()};
    ++table.used;
    return place.style;
}

} // namespace

const QBrush& paintObject::solidBrush(const QColor& color)
{
    static StyleTable<QBrush> brushes;
    return sharedStyle(brushes, color, 0, [&color] { return QBrush(color, Qt::SolidPattern); });
}

const QPen& paintObject::cosmeticPen(const QColor& color)
{
    static StyleTable<QPen> pens;
    return sharedStyle(pens, color, 0, [&color] { return QPen(color, 0); });
}

const QPen& paintObject::strokePen(const QColor& color)
{
    static StyleTable<QPen> pens;
    const int width = ViewerApp::instance()->lineWidth;
    return sharedStyle(pens, color, width, [&color, width] {
        return QPen(QBrush(color, Qt::SolidPattern), width, Qt::SolidLine, Qt::SquareCap,
                    Qt::BevelJoin);
    });
}

// Entries of one colour and size share one icon: a million listed points then hold a pixmap per
// colour instead of one each. The size, a few pixels each way, takes the width's place in the key.
QIcon paintObject::colorIcon(int width, int height) const
{
    static StyleTable<QIcon> icons;
    const QColor fill = color();
    return sharedStyle(icons, fill, width * 256 + height, [&fill, width, height] {
        QPixmap pixmap(width, height);
        pixmap.fill(fill);
        return QIcon(pixmap);
    });
}
