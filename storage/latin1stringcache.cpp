#include "storage/latin1stringcache.h"

#include "storage/bytehash.h"

#include <QLatin1StringView>

#include <cstring>

QString Latin1StringCache::text(std::string_view bytes)
{
    // An empty view may have no address, which memcpy and memcmp do not accept.
    if (bytes.empty())
        bytes = "";
    const QLatin1StringView latin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (bytes.size() > kLongestText)
        return QString(latin1);
    const std::uint64_t hash = hashBytes(0, bytes);
    Slot& slot = recent[hash % kSlots];
    if (slot.hash != hash || slot.text.isNull() || slot.length != bytes.size() ||
        std::memcmp(slot.bytes, bytes.data(), bytes.size()) != 0) {
        slot.text = QString(latin1);
        slot.hash = hash;
        slot.length = static_cast<std::uint8_t>(bytes.size());
        std::memcpy(slot.bytes, bytes.data(), bytes.size());
    }
    return slot.text;
}

void Latin1StringCache::clear()
{
    for (Slot& slot : recent)
        slot = Slot();
}
