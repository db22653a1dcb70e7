#include "app/HeadlessHost.h"

#include "support/FileUtils.h"
#include "tileset/DataPath.h"
#include "tileset/TileSet.h"

#include <algorithm>
#include <filesystem>
#include <string>

HeadlessHost::HeadlessHost(TileSet& tileSet, const WString& dataDirectory)
    : tileSet_(tileSet), dataDirectory_(dataDirectory) {}

bool HeadlessHost::EnsureTileSet() {
    if (tileSet_.IsLoaded()) {
        return true;
    }
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(FileUtils::NativePath(dataDirectory_), error)) {
        if (entry.is_regular_file(error) && entry.path().extension() == ".set") {
            names.push_back(entry.path().filename().string());
        }
    }
    if (names.empty()) {
        return false;
    }
    std::sort(names.begin(), names.end());
    SetTileSetByName(WString::FromUtf8(names.front()));
    return tileSet_.IsLoaded();
}

void HeadlessHost::SetTileSetByName(const WString& name) {
    if (tileSet_.IsLoaded() && name.EqualsNoCase(tileSet_.Name())) {
        return;
    }
    const WString path = DataPath(dataDirectory_).Resolve(name);
    if (name.IsEmpty() || path.IsEmpty() || !FileUtils::Access(path, 4)) {
        missing_.push_back(name);
        return;
    }
    tileSet_.Load(name);
}
