#pragma once

#include "support/WString.h"

#include <vector>

class SettingsStore;

// The most recently used maps, newest first, shown under File. Kept in the settings store as
// "RecentFile1" .. "RecentFile4"; an empty value ends the list.
class RecentFiles {
public:
    static constexpr int kCapacity = 4;
    static constexpr const char16_t* kKeyPrefix = u"RecentFile";

    const std::vector<WString>& Paths() const { return paths_; }
    int Count() const { return static_cast<int>(paths_.size()); }
    bool IsEmpty() const { return paths_.empty(); }

    // Puts path first; an entry for the same file moves up instead of appearing twice, and the
    // oldest falls off beyond the capacity. Empty paths are ignored.
    void Add(const WString& path);
    // Drops path, for example after it failed to open.
    void Remove(const WString& path);

    void Load(const SettingsStore& store);
    void Save(SettingsStore& store) const;

    // The menu text of entry index: "&1 keep.gv" shows the number and the file's name.
    static WString MenuText(int index, const WString& path);

private:
    static WString KeyFor(int index);

    std::vector<WString> paths_;
};
