#include "render/sharedstyles.h"

#include <QFile>
#include <QPixmap>
#include <QString>

#include <array>

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

const QBrush& SharedStyles::solidBrush(const QColor& color)
{
    static thread_local StyleTable<QBrush> brushes;
    return sharedStyle(brushes, color, 0, [&color] { return QBrush(color, Qt::SolidPattern); });
}

const QPen& SharedStyles::cosmeticPen(const QColor& color)
{
    static thread_local StyleTable<QPen> pens;
    return sharedStyle(pens, color, 0, [&color] { return QPen(color, 0); });
}

const QPen& SharedStyles::strokePen(const QColor& color, int width)
{
    static thread_local StyleTable<QPen> pens;
    return sharedStyle(pens, color, width, [&color, width] {
        return QPen(QBrush(color, Qt::SolidPattern), width, Qt::SolidLine, Qt::SquareCap,
                    Qt::BevelJoin);
    });
}

// The size takes the width's place in the key.
QIcon SharedStyles::colorIcon(const QColor& color, int width, int height)
{
    static thread_local StyleTable<QIcon> icons;
    return sharedStyle(icons, color, width * 256 + height, [&color, width, height] {
        QPixmap pixmap(width, height);
        pixmap.fill(color);
        return QIcon(pixmap);
    });
}

QIcon SharedStyles::resourceIcon(const QString& path)
{
    QIcon icon(path);
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    for (const QLatin1String scale : {QLatin1String("@2x"), QLatin1String("@3x")}) {
        const QString scaled = path.left(dot) + scale + path.mid(dot);
        if (QFile::exists(scaled))
            icon.addFile(scaled);
    }
    return icon;
}
