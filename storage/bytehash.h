#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

// A fast hash of a short byte text for the record caches, eight bytes at a time, each step a
// multiply and a shift: record texts are a few dozen bytes, so hashing costs less than the
// comparison that confirms a hit. The seed tells apart equal texts of different contexts.
inline std::uint64_t hashBytes(std::uint64_t seed, std::string_view text)
{
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    std::uint64_t hash = seed ^ text.size();
    const auto mix = [&hash](std::uint64_t word) {
        hash = (hash ^ word) * kMultiplier;
        hash ^= hash >> 29;
    };
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, 8);
        mix(word);
    }
    // The last few bytes are gathered in a register: copied into a word in memory and read back,
    // they would stall the read until the copy's bytes reach it.
    if (at < text.size()) {
        std::uint64_t last = 0;
        for (std::size_t i = at; i < text.size(); ++i)
            last |= std::uint64_t(static_cast<unsigned char>(text[i])) << (8 * (i - at));
        mix(last);
    }
    // Tables pick slots by the low bits, which a multiply alone leaves poorly mixed.
    hash *= kMultiplier;
    return hash ^ (hash >> 32);
}
