#pragma once

#include <QColor>

#include <array>
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

    // The remembered colour of the name, or null.
    const Resolved* find(const std::string& name) const;
    // Remembers the colour, in place of whatever name had its place.
    const Resolved& remember(const std::string& name, const QColor& color);
    void clear();

private:
    static constexpr std::size_t kPlaces = 64;

    struct Place {
        std::string name;
        Resolved resolved;
        bool used = false;
    };

    static std::size_t placeOf(const std::string& name);

    std::array<Place, kPlaces> places;
};
