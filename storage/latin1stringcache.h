#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <string_view>

// Turns short byte texts into QStrings (each byte the Latin-1 character of the same value),
// handing out the same shared QString for a text seen recently. Property names and common values
// repeat across millions of records; sharing them saves an allocation and its memory per use.
// Direct-mapped: a text evicts the one that had its slot, so texts that keep coming back stay and
// the table never grows.
class Latin1StringCache
{
public:
    QString text(std::string_view bytes);
    // Drops every kept text.
    void clear();

private:
    // Longer texts are rarely repeated word for word; they are converted without caching.
    static constexpr std::size_t kLongestText = 24;
    static constexpr std::size_t kSlots = 1024;

    // One cache line: a lookup compares the bytes kept here and touches the string only to share
    // it.
    struct Slot {
        QString text;
        std::uint64_t hash = 0;
        std::uint8_t length = 0;
        char bytes[kLongestText] = {};
    };
    std::array<Slot, kSlots> recent;
};
