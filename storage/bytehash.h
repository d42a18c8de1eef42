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

// A keyed hash for texts that a file's author chooses and that must not be made to collide
// (SipHash-1-3, the rounds that hash tables built against flooding use): without the 128-bit key,
// finding two texts with the same hash is no easier than guessing. Every load hashes each record
// with it, so the rounds are the fewer of the two standard choices.
struct HashKey {
    std::uint64_t k0 = 0, k1 = 0;
};

inline std::uint64_t keyedHashBytes(const HashKey& key, std::string_view text)
{
    const auto rotate = [](std::uint64_t x, int bits) { return (x << bits) | (x >> (64 - bits)); };
    std::uint64_t v0 = key.k0 ^ 0x736f6d6570736575ull, v1 = key.k1 ^ 0x646f72616e646f6dull;
    std::uint64_t v2 = key.k0 ^ 0x6c7967656e657261ull, v3 = key.k1 ^ 0x7465646279746573ull;
    const auto round = [&] {
        v0 += v1;
        v1 = rotate(v1, 13) ^ v0;
        v0 = rotate(v0, 32);
        v2 += v3;
        v3 = rotate(v3, 16) ^ v2;
        v0 += v3;
        v3 = rotate(v3, 21) ^ v0;
        v2 += v1;
        v1 = rotate(v1, 17) ^ v2;
        v2 = rotate(v2, 32);
    };
    const auto absorb = [&](std::uint64_t word) {
        v3 ^= word;
        round();
        v0 ^= word;
    };
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, 8);
        absorb(word);
    }
    std::uint64_t last = std::uint64_t(text.size()) << 56;
    for (std::size_t i = at; i < text.size(); ++i)
        last |= std::uint64_t(static_cast<unsigned char>(text[i])) << (8 * (i - at));
    absorb(last);
    v2 ^= 0xff;
    round();
    round();
    round();
    return v0 ^ v1 ^ v2 ^ v3;
}
