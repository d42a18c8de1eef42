#include "canvas/colormemo.h"

#include "render/directcanvas.h"

const ColorMemo::Resolved& ColorMemo::remember(const std::string& name, const QColor& color)
{
    const Key key = keyOf(name);
    Place& place = places[placeOf(key)];
    place.key = key;
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
