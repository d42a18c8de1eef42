#include "app/colormemo.h"

#include "storage/bytehash.h"

std::size_t ColorMemo::placeOf(const std::string& name)
{
    return hashBytes(0, name) % kPlaces;
}

const QColor* ColorMemo::find(const std::string& name) const
{
    const Place& place = places[placeOf(name)];
    return place.used && place.name == name ? &place.color : nullptr;
}

void ColorMemo::remember(const std::string& name, const QColor& color)
{
    Place& place = places[placeOf(name)];
    place.name = name;
    place.color = color;
    place.used = true;
}

void ColorMemo::clear()
{
    for (Place& place : places)
        place.used = false;
}
