#pragma once

#include "storage/bytehash.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// A bounded table from short byte texts, each with a context address that tells apart equal texts
// read under different conditions, to values: for sharing what repeated record texts produce. A
// text is stored only when it comes a second time (docs/DESIGN.md, "Caches"). Once it holds
// maxEntries values it takes no more; texts longer than kLongestText are never stored, so its
// pool stays within maxEntries * kLongestText bytes.
template <typename Value> class TextKeyedTable
{
public:
    static constexpr std::size_t kLongestText = 256;

    explicit TextKeyedTable(std::uint32_t maxEntries) : maxEntries(maxEntries) {}

    // The value stored for the text and context, or null.
    const Value* find(const void* context, std::string_view text) const
    {
        if (entries.empty())
            return nullptr;
        text = nonNull(text);
        const std::uint64_t hash = hashOf(context, text);
        const std::uint64_t tag = tagOf(hash);
        for (std::size_t slot = hash & slotMask; slotEntries[slot] != 0;
             slot = (slot + 1) & slotMask) {
            if ((slotEntries[slot] & kTagBits) != tag)
                continue;
            const Entry& entry = entries[(slotEntries[slot] & ~kTagBits) - 1];
            if (entry.hash == hash && entry.context == context && textEquals(entry, text))
                return &entry.value;
        }
        return nullptr;
    }

    // Asks the processor to start fetching the slot where find() will begin for the text, so that
    // work done in between hides the wait.
    void prefetch(const void* context, std::string_view text) const
    {
        if (!entries.empty())
            __builtin_prefetch(&slotEntries[hashOf(context, nonNull(text)) & slotMask]);
    }

    // The second step of fetching ahead, once the slot has arrived: asks the processor to fetch
    // the entry that the slot names, if it may hold the text.
    void prefetchEntry(const void* context, std::string_view text) const
    {
        if (entries.empty())
            return;
        const std::uint64_t hash = hashOf(context, nonNull(text));
        const std::uint64_t slot = slotEntries[hash & slotMask];
        if (slot != 0 && (slot & kTagBits) == tagOf(hash)) {
            const Entry* entry = &entries[(slot & ~kTagBits) - 1];
            __builtin_prefetch(entry);
            __builtin_prefetch(reinterpret_cast<const char*>(entry + 1) - 1);
        }
    }

    // Whether a value for the text, which find() did not find, is to be stored now: only when the
    // text comes a second time, there is room, and it is not too long. The first time, the text is
    // only remembered as seen.
    bool admits(const void* context, std::string_view text)
    {
        if (full() || text.size() > kLongestText)
            return false;
        const std::uint64_t hash = hashOf(context, nonNull(text));
        if (seenBefore(hash))
            return true;
        remember(hash);
        return false;
    }

    bool full() const { return entries.size() >= maxEntries; }

    // Stores a copy of the value for a text that admits() took, and gives the stored copy.
    const Value& insert(const void* context, std::string_view text, const Value& value)
    {
        text = nonNull(text);
        const std::uint64_t hash = hashOf(context, text);
        forget(hash);
        if (2 * (entries.size() + 1) > slotEntries.size())
            growSlots();
        std::size_t slot = hash & slotMask;
        while (slotEntries[slot] != 0)
            slot = (slot + 1) & slotMask;
        Entry& entry = entries.emplace_back(Entry{hash,
                                                  context,
                                                  static_cast<std::uint32_t>(pool.size()),
                                                  static_cast<std::uint32_t>(text.size()),
                                                  {},
                                                  value});
        const std::size_t inlined = std::min(text.size(), kInlineText);
        std::memcpy(entry.head, text.data(), inlined);
        pool.append(text.substr(inlined));
        slotEntries[slot] = tagOf(hash) | entries.size();
        return entry.value;
    }

    // Forgets every entry and returns the memory.
    void clear()
    {
        std::vector<std::uint32_t>().swap(sightings);
        std::vector<std::uint64_t>().swap(slotEntries);
        slotMask = 0;
        std::vector<Entry>().swap(entries);
        std::string().swap(pool);
    }

private:
    static constexpr std::uint64_t kTagBits = 0xFFFFFFFF00000000ull;

    // Never 0 for a stored entry's slot, whose low half is at least 1.
    static std::uint64_t tagOf(std::uint64_t hash) { return hash & kTagBits; }

    // Fingerprints of texts seen lately: 128 KiB, which stays in the processor's caches, in sets
    // of four within one cache line. A text goes to a free place of its set, or else takes the
    // place of one chosen at random: texts that keep coming in the same order and share a set
    // would otherwise keep taking each other's place and never be stored. A text whose place
    // another took since is stored a sighting later, no harm done; with 32 bits, a text taken
    // for another is rare enough that one-off texts do not fill the table.
    static constexpr std::size_t kSightings = std::size_t(1) << 15;
    static constexpr std::size_t kSightingWays = 4;
    static std::size_t sightingSetOf(std::uint64_t hash)
    {
        return ((hash >> 16) & (kSightings / kSightingWays - 1)) * kSightingWays;
    }
    // Never 0, the mark of a free place.
    static std::uint32_t fingerprintOf(std::uint64_t hash)
    {
        return static_cast<std::uint32_t>(hash >> 32) | 1;
    }
    bool seenBefore(std::uint64_t hash) const
    {
        if (sightings.empty())
            return false;
        const std::uint32_t* set = &sightings[sightingSetOf(hash)];
        const std::uint32_t fingerprint = fingerprintOf(hash);
        return set[0] == fingerprint || set[1] == fingerprint || set[2] == fingerprint ||
               set[3] == fingerprint;
    }
    // A stored text needs its place no more.
    void forget(std::uint64_t hash)
    {
        if (sightings.empty())
            return;
        std::uint32_t* set = &sightings[sightingSetOf(hash)];
        for (std::size_t way = 0; way < kSightingWays; ++way) {
            if (set[way] == fingerprintOf(hash))
                set[way] = 0;
        }
    }
    void remember(std::uint64_t hash)
    {
        if (sightings.empty())
            sightings.assign(kSightings, 0);
        std::uint32_t* set = &sightings[sightingSetOf(hash)];
        std::size_t way = 0;
        while (way < kSightingWays && set[way] != 0)
            ++way;
        if (way == kSightingWays) {
            // xorshift: a cheap, well-spread choice.
            victimChoice ^= victimChoice << 13;
            victimChoice ^= victimChoice >> 17;
            victimChoice ^= victimChoice << 5;
            way = victimChoice % kSightingWays;
        }
        set[way] = fingerprintOf(hash);
    }

    // Twice the slots, with every entry placed anew by its hash: kept at most half full.
    void growSlots()
    {
        slotMask = slotEntries.empty() ? kFirstSlots - 1 : slotMask * 2 + 1;
        slotEntries.assign(slotMask + 1, 0);
        for (std::size_t number = 1; number <= entries.size(); ++number) {
            const std::uint64_t hash = entries[number - 1].hash;
            std::size_t slot = hash & slotMask;
            while (slotEntries[slot] != 0)
                slot = (slot + 1) & slotMask;
            slotEntries[slot] = tagOf(hash) | number;
        }
    }
    static constexpr std::size_t kFirstSlots = 1024;

    // Texts up to this length are compared within their entry, without a visit to the pool.
    static constexpr std::size_t kInlineText = 32;

    // What a lookup compares comes first, in the first 56 bytes, and the value after it.
    struct Entry {
        std::uint64_t hash;
        const void* context;
        // Where the part of the text after its head starts in the pool, and the whole length.
        std::uint32_t tailStart;
        std::uint32_t textLength;
        char head[kInlineText];
        Value value;
    };

    bool textEquals(const Entry& entry, std::string_view text) const
    {
        if (entry.textLength != text.size())
            return false;
        const std::size_t inlined = std::min(text.size(), kInlineText);
        return std::memcmp(entry.head, text.data(), inlined) == 0 &&
               std::memcmp(pool.data() + entry.tailStart, text.data() + inlined,
                           text.size() - inlined) == 0;
    }

    // The same text with an address that memcpy and memcmp accept even when it is empty.
    static std::string_view nonNull(std::string_view text) { return text.empty() ? "" : text; }

    static std::uint64_t hashOf(const void* context, std::string_view text)
    {
        return hashBytes(reinterpret_cast<std::uintptr_t>(context), text);
    }

    const std::uint32_t maxEntries;
    std::size_t slotMask = 0;
    std::vector<std::uint32_t> sightings;
    std::uint32_t victimChoice = 2463534242u;
    // Per slot: entry number + 1 in the low half, the high half of the entry's hash in the high
    // half; 0 for an empty slot. Allocated with the first entry. The hash half lets a lookup
    // pass by other texts' slots without visiting their entries.
    std::vector<std::uint64_t> slotEntries;
    std::vector<Entry> entries;
    std::string pool;
};
