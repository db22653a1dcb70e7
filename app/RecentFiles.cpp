#include "app/RecentFiles.h"

#include "support/SettingsStore.h"

#include <algorithm>

WString RecentFiles::KeyFor(int index) {
    WString key(kKeyPrefix);
    key += index + 1;
    return key;
}

void RecentFiles::Add(const WString& path) {
    if (path.IsEmpty()) {
        return;
    }
    Remove(path);
    paths_.insert(paths_.begin(), path);
    if (Count() > kCapacity) {
        paths_.resize(kCapacity);
    }
}

void RecentFiles::Remove(const WString& path) {
    // Paths name files exactly: on this system two spellings that differ in case are two files.
    paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end());
}

void RecentFiles::Load(const SettingsStore& store) {
    paths_.clear();
    for (int i = 0; i < kCapacity; ++i) {
        const WString path = store.ReadString(KeyFor(i), WString());
        if (path.IsEmpty()) {
            break;
        }
        if (std::find(paths_.begin(), paths_.end(), path) == paths_.end()) {
            paths_.push_back(path);
        }
    }
}

void RecentFiles::Save(SettingsStore& store) const {
    for (int i = 0; i < kCapacity; ++i) {
        store.WriteString(KeyFor(i), i < Count() ? paths_[i] : WString());
    }
}

WString RecentFiles::MenuText(int index, const WString& path) {
    WString text(u"&");
    text += index + 1;
    text += u" ";
    text += path.NameAndExtensionOf();
    return text;
}
