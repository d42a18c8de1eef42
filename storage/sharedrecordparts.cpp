#include "storage/sharedrecordparts.h"

void SharedRecordParts::clear()
{
    propertyMaps.clear();
    searchLists.clear();
    strings.clear();
    // A record that a failed allocation broke off ends here too.
    defaults = nullptr;
    deferringPairs = false;
    searchText.reset();
    pairText.reset();
}
