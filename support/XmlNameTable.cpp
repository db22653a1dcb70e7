#include "support/XmlNameTable.h"

size_t XmlNameTable::RecentSlot(const char16_t* units, int count) {
    const size_t first = count > 0 ? units[0] : 0;
    const size_t last = count > 0 ? units[count - 1] : 0;
    return (static_cast<size_t>(count) * 31 + first * 7 + last) % kRecentSlots;
}

// Names are short: a plain loop beats a call to memcmp.
bool XmlNameTable::Same(const WString& name, const char16_t* units, int count) {
    if (name.Length() != count)
        return false;
    const char16_t* own = name.c_str();
    for (int i = 0; i < count; ++i) {
        if (own[i] != units[i])
            return false;
    }
    return true;
}

const WString* XmlNameTable::Intern(const char16_t* units, int count) {
    count = count > 0 ? count : 0;
    const size_t slot = RecentSlot(units, count);
    const WString* recent = recent_[slot];
    if (recent && Same(*recent, units, count))
        return recent;
    const std::u16string_view key(count > 0 ? units : u"", static_cast<size_t>(count));
    auto found = index_.find(key);
    if (found == index_.end()) {
        const WString& added = names_.emplace_back(units, count);
        found =
            index_.emplace(std::u16string_view(added.c_str(), static_cast<size_t>(added.Length())), &added)
                .first;
    }
    recent_[slot] = found->second;
    return found->second;
}

void XmlNameTable::Clear() {
    index_.clear();
    names_.clear();
    recent_.fill(nullptr);
}
