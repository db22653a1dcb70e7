#pragma once

#include "support/WString.h"

#include <array>
#include <deque>
#include <string_view>
#include <unordered_map>

// The distinct names of one document's elements and attributes, each stored once. A map file repeats
// a handful of names for every tile, so nodes point at the shared copy instead of holding their own.
// Entries never move while the table lives, and Clear is only called once no node refers to them.
class XmlNameTable {
public:
    XmlNameTable() = default;
    XmlNameTable(const XmlNameTable&) = delete;
    XmlNameTable& operator=(const XmlNameTable&) = delete;

    // The shared string equal to units [units, units + count), added when new.
    const WString* Intern(const char16_t* units, int count);
    void Clear();
    size_t Count() const { return names_.size(); }

private:
    static constexpr size_t kRecentSlots = 64;

    static size_t RecentSlot(const char16_t* units, int count);
    static bool Same(const WString& name, const char16_t* units, int count);

    std::deque<WString> names_; // a deque keeps every entry where it is as the table grows
    std::unordered_map<std::u16string_view, const WString*> index_;
    // Most lookups repeat a recent name; a small direct-mapped cache answers them without hashing.
    std::array<const WString*, kRecentSlots> recent_{};
};
