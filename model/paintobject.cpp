#include "model/paintobject.h"

#include "app/viewerapp.h"
#include "model/objectarena.h"
#include "script/wordreader.h"

#include <QPixmap>

#include <unordered_map>

#include <vector>

namespace
{

// Splits at every occurrence of the separator, keeping empty parts.
std::vector<std::string_view> splitKeepEmpty(std::string_view text, std::string_view separator)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

// Record text is 8-bit; every byte becomes the Latin-1 character of the same value.
QStringList splitAtHash(std::string_view text)
{
    QStringList pieces;
    for (const std::string_view piece : splitKeepEmpty(text, "#"))
        pieces.append(QString::fromLatin1(piece.data(), static_cast<qsizetype>(piece.size())));
    return pieces;
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
    static constexpr std::size_t kMaxEntries = 1 << 16;
    std::unordered_map<std::string, paintObject::PropertyMap> properties;
    std::unordered_map<std::string, QStringList> searches;
    // The declared defaults of the record being read, or null outside readRecord.
    const paintObject::PropertyMap* defaults = nullptr;
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
}

// The record is cut at "//" (comments), its first piece at "!!" (related searches); pieces after
// a second separator are dropped. Splitting the bytes gives the same pieces as splitting their
// Latin-1 text, without converting records that have neither separator.
void paintObject::readRecord(std::string_view record, const PropertyMap& defaults)
{
    properties = defaults;
    const std::vector<std::string_view> byComment = splitKeepEmpty(record, "//");
    const std::vector<std::string_view> byRelated = splitKeepEmpty(byComment[0], "!!");
    shared().defaults = &defaults;
    parse(byRelated[0]);
    shared().defaults = nullptr;
    if (byRelated.size() > 1) {
        auto& searches = shared().searches;
        const std::string key(byRelated[1]);
        const auto known = searches.find(key);
        if (known != searches.end()) {
            relatedSearches = known->second;
        } else {
            relatedSearches = splitAtHash(byRelated[1]);
            if (searches.size() < SharedRecordParts::kMaxEntries)
                searches.emplace(key, relatedSearches);
        }
    }
    if (byComment.size() > 1)
        comments = splitAtHash(byComment[1]);
    computeBounds();
}

// Within readRecord the properties start as the type's defaults, so the same remaining text
// always gives the same map: the defaults' address and the text identify it.
void paintObject::readPropertyPairs(WordReader& words)
{
    const PropertyMap* defaults = shared().defaults;
    std::string key;
    if (defaults) {
        const std::string_view rest = words.rest();
        key.reserve(sizeof defaults + rest.size());
        key.append(reinterpret_cast<const char*>(&defaults), sizeof defaults).append(rest);
        const auto known = shared().properties.find(key);
        if (known != shared().properties.end()) {
            properties = known->second;
            return;
        }
    }
    std::string_view name, value;
    while (words.readWord(name) && words.readWord(value)) {
        properties.insert(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())),
                          QString::fromLatin1(value.data(), static_cast<qsizetype>(value.size())));
    }
    if (defaults && shared().properties.size() < SharedRecordParts::kMaxEntries)
        shared().properties.emplace(std::move(key), properties);
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

// Files use a handful of colours; the bound only guards against a file that defines many.
constexpr std::size_t kMaxCachedStyles = 4096;

// The style made by `make` for the key, made once and then shared; `same` tells whether a
// cached style is the one asked for (colours that differ only where the key cannot see).
template <typename Style, typename Make, typename Same>
const Style& sharedStyle(std::unordered_map<quint64, Style>& cache, quint64 key, Same same,
                         Make make)
{
    const auto found = cache.find(key);
    if (found != cache.end() && same(found->second))
        return found->second;
    if (cache.size() >= kMaxCachedStyles)
        cache.clear();
    return cache[key] = make();
}

} // namespace

const QBrush& paintObject::solidBrush(const QColor& color)
{
    static std::unordered_map<quint64, QBrush> brushes;
    return sharedStyle(
        brushes, color.rgba(), [&color](const QBrush& brush) { return brush.color() == color; },
        [&color] { return QBrush(color, Qt::SolidPattern); });
}

const QPen& paintObject::cosmeticPen(const QColor& color)
{
    static std::unordered_map<quint64, QPen> pens;
    return sharedStyle(
        pens, color.rgba(), [&color](const QPen& pen) { return pen.color() == color; },
        [&color] { return QPen(color); });
}

const QPen& paintObject::strokePen(const QColor& color)
{
    static std::unordered_map<quint64, QPen> pens;
    const int width = ViewerApp::instance()->lineWidth;
    const quint64 key = (static_cast<quint64>(static_cast<quint32>(width)) << 32) | color.rgba();
    return sharedStyle(
        pens, key,
        [&color, width](const QPen& pen) { return pen.color() == color && pen.width() == width; },
        [&color, width] {
            return QPen(QBrush(color, Qt::SolidPattern), width, Qt::SolidLine, Qt::SquareCap,
                        Qt::BevelJoin);
        });
}

QIcon paintObject::colorIcon(int width, int height) const
{
    QPixmap pixmap(width, height);
    pixmap.fill(color());
    return QIcon(pixmap);
}
