#pragma once

#include <QColor>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

// The colours that names resolved to, remembered for a while in a small table chosen by a hash
// of the name: a paint resolves the colour of every object, and a file uses a handful of names.
// Whoever fills it decides for how long the colours stay valid.
class ColorMemo
{
public:
    // A colour, and the pixel that painting it writes when it is plain (DirectCanvas::plainColor).
    struct Resolved {
        QColor color;
        QRgb pixel = 0;
        bool plain = false;
    };

    // The remembered colour of the name, or null. Inline: it is asked once per painted object.
    const Resolved* find(const std::string& name) const
    {
        const Key key = keyOf(name);
        const Place& place = places[placeOf(key)];
        if (!place.used || !(place.key == key))
            return nullptr;
        return key.size <= kShortName || place.name == name ? &place.resolved : nullptr;
    }
    // Remembers the colour, in place of whatever name had its place.
    const Resolved& remember(const std::string& name, const QColor& color);
    void clear();

private:
    static constexpr int kPlaceBits = 6;
    static constexpr std::size_t kPlaces = std::size_t(1) << kPlaceBits;
    // Names up to this length are told apart by their key alone.
    static constexpr std::size_t kShortName = 16;

    // A name's length and two words read from its bytes: for a name of at most kShortName bytes,
    // words that cover every byte (overlapping where the name is shorter than 16), so that equal
    // keys mean equal names; for a longer one, its first and last eight bytes, confirmed by
    // comparing the names.
    struct Key {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        std::size_t size = 0;

        bool operator==(const Key& other) const
        {
            return low == other.low && high == other.high && size == other.size;
        }
    };

    static Key keyOf(const std::string& name)
    {
        Key key;
        key.size = name.size();
        const char* bytes = name.data();
        if (key.size >= 8) {
            std::memcpy(&key.low, bytes, 8);
            std::memcpy(&key.high, bytes + key.size - 8, 8);
        } else if (key.size >= 4) {
            std::uint32_t first, last;
            std::memcpy(&first, bytes, 4);
            std::memcpy(&last, bytes + key.size - 4, 4);
            key.low = first | std::uint64_t(last) << 32;
        } else if (key.size > 0) {
            const auto byte = [bytes](std::size_t at) {
                return std::uint64_t(static_cast<unsigned char>(bytes[at]));
            };
            key.low = byte(0) | byte(key.size / 2) << 8 | byte(key.size - 1) << 16;
        }
        return key;
    }
    static std::size_t placeOf(const Key& key)
    {
        constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
        const std::uint64_t hash = ((key.low * kMultiplier) ^ key.high ^ key.size) * kMultiplier;
        return static_cast<std::size_t>(hash >> (64 - kPlaceBits));
    }

    struct Place {
        Key key;
        std::string name;
        Resolved resolved;
        bool used = false;
    };

    std::array<Place, kPlaces> places;
};
