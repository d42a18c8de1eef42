#include "storage/sharedrecordparts.h"

void SharedRecordParts::clear()
{
    propertyMaps.clear();
    searchLists.clear();
    strings.clear();
}
