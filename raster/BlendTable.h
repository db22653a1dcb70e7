#pragma once

#include <cstdint>

// The 256 x 256 table that replaces "value * weight / 255" in every blend: Lookup(v, w) is the
// truncation of (w / 255.0) * v, quotient first, in double precision. That order matters: it differs
// from the integer (v * w) / 255 in twelve entries, e.g. Lookup(85, 147) = 48 where the integer form
// gives 49, and blended pictures must match the ones this program has always produced.
//
// The table is pure data computed once on first use and never changes.
class BlendTable {
public:
    static const BlendTable& Get();

    std::uint8_t Lookup(int value, int weight) const { return entries_[weight][value]; }
    // The 256 results of one weight, indexed by value: lets a loop that keeps the weight fixed skip
    // one index computation per channel.
    const std::uint8_t* WeightRow(int weight) const { return entries_[weight]; }
    // All 65,536 entries, Lookup(v, w) at [w * 256 + v].
    const std::uint8_t* Data() const { return &entries_[0][0]; }

private:
    BlendTable();
    std::uint8_t entries_[256][256];
};
