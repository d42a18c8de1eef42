#include "app/colormemo.h"

#include "render/directcanvas.h"
#include "storage/bytehash.h"

std::size_t ColorMemo::placeOf(const std::string& name)
{
    return hashBytes(0, name) % kPlaces;
}

const ColorMemo::Resolved* ColorMemo::find(const std::string& name) const
{
    const Place& place = places[placeOf(name)];
    return place.used && place.name == name ? &place.resolved : nullptr;
}

const ColorMemo::Resolved& ColorMemo::remember(const std::string& name, const QColor& color)
{
    Place& place = places[placeOf(name)];
    place.name = name;
    place.resolved.color = color;
    place.resolved.plain = DirectCanvas::plainColor(color, place.resolved.pixel);
    place.used = true;
    return place.resolved;
}

void ColorMemo::clear()
{
    for (Place& place : places)
        place.used = false;
}
