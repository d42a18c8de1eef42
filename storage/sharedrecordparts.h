#pragma once

#include "storage/latin1stringcache.h"
#include "storage/textkeyedtable.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string_view>

// What the records of one load share: one property map per pair text (of a type), one list per
// related-search text, bounded; past the bound, new texts are parsed as usual. A record is read in
// three steps, beginRecord() before its geometry is read, fetchEntries() right after and
// finishRecord() at its end, so that the table memory each step reads was asked for by the one
// before (docs/DESIGN.md, "Caches"). One per thread (instance()), for the load that runs on it.
class SharedRecordParts
{
public:
    using PropertyMap = QMap<QString, QString>;

    static SharedRecordParts& instance();

    // Starts a record whose pairs are read over the declared defaults of its type (the same map
    // for every record of the type, alive until finishRecord()), with its related-search text if
    // it has one. Until fetchEntries(), the record's pairs are deferred (see deferPairs()).
    void beginRecord(const PropertyMap& defaults, std::optional<std::string_view> searchText);
    // While pairs are deferred, notes the text of the record's pairs, for finishRecord() to read,
    // and returns true. Otherwise returns false: the caller reads the pairs itself.
    bool deferPairs(std::string_view pairText);
    // Once the geometry has been read: ends the deferring of pairs, and asks for the table entries
    // that the texts' slots name.
    void fetchEntries();
    // Sets the record's related searches (left as they are without a search text) and its
    // properties (the defaults without a pair text): the shared ones where the texts have them,
    // else what splitSearches(text) returns and what readPairs(text, properties) reads over a copy
    // of the defaults. What is made is kept once its text has come a second time, and shared from
    // then on. The record's texts must be alive until here.
    template <typename SplitSearches, typename ReadPairs>
    void finishRecord(QStringList& relatedSearches, PropertyMap& properties,
                      const SplitSearches& splitSearches, const ReadPairs& readPairs);

    // The bytes as a shared Latin-1 string, for property names and values.
    QString sharedText(std::string_view bytes) { return strings.text(bytes); }

    // Forgets everything shared and returns the memory: called whenever the declared defaults
    // change, and when a load ends.
    void clear();

private:
    SharedRecordParts() = default;

    static constexpr std::uint32_t kMaxEntries = 1 << 16;
    // Keyed by the pair text, in the context of the type's declared defaults.
    TextKeyedTable<PropertyMap> propertyMaps{kMaxEntries};
    TextKeyedTable<QStringList> searchLists{kMaxEntries};
    Latin1StringCache strings;

    // The record being read: the declared defaults of its type (null outside a record), whether
    // its pairs are deferred, and its texts.
    const PropertyMap* defaults = nullptr;
    bool deferringPairs = false;
    std::optional<std::string_view> searchText;
    std::optional<std::string_view> pairText;
};

// Defined here, to be inlined: a load goes through them for every record.

inline SharedRecordParts& SharedRecordParts::instance()
{
    // One per thread: a file loaded in the background shares its parts on its own thread.
    static thread_local SharedRecordParts parts;
    return parts;
}

inline void SharedRecordParts::beginRecord(const PropertyMap& recordDefaults,
                                           std::optional<std::string_view> recordSearchText)
{
    searchText = recordSearchText;
    if (searchText)
        searchLists.prefetch(nullptr, *searchText);
    defaults = &recordDefaults;
    deferringPairs = true;
    pairText.reset();
}

inline bool SharedRecordParts::deferPairs(std::string_view recordPairText)
{
    if (!deferringPairs)
        return false;
    pairText = recordPairText;
    propertyMaps.prefetch(defaults, recordPairText);
    return true;
}

inline void SharedRecordParts::fetchEntries()
{
    deferringPairs = false;
    if (searchText)
        searchLists.prefetchEntry(nullptr, *searchText);
    if (pairText)
        propertyMaps.prefetchEntry(defaults, *pairText);
}

template <typename SplitSearches, typename ReadPairs>
void SharedRecordParts::finishRecord(QStringList& relatedSearches, PropertyMap& properties,
                                     const SplitSearches& splitSearches, const ReadPairs& readPairs)
{
    const PropertyMap& recordDefaults = *defaults;
    defaults = nullptr;
    if (searchText) {
        if (const QStringList* known = searchLists.find(nullptr, *searchText)) {
            relatedSearches = *known;
        } else {
            relatedSearches = splitSearches(*searchText);
            if (searchLists.admits(nullptr, *searchText))
                searchLists.insert(nullptr, *searchText, relatedSearches);
        }
    }
    if (!pairText) {
        properties = recordDefaults;
        return;
    }
    if (const PropertyMap* known = propertyMaps.find(&recordDefaults, *pairText)) {
        properties = *known;
        return;
    }
    properties = recordDefaults;
    readPairs(*pairText, properties);
    if (propertyMaps.admits(&recordDefaults, *pairText))
        propertyMaps.insert(&recordDefaults, *pairText, properties);
}
