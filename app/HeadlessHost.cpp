#include "app/HeadlessHost.h"

#include "document/TileSetChange.h"
#include "support/FileUtils.h"
#include "tileset/TileSet.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

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
    WString problem;
    return SetTileSetByName(WString::FromUtf8(names.front()), problem);
}

bool HeadlessHost::SetTileSetByName(const WString& name, WString& problem) {
    if (tileSet_.IsLoaded() && name.EqualsNoCase(tileSet_.Name())) {
        return true;
    }
    if (!TileSetChange::CanOpenMapsWith(dataDirectory_, name, problem)) {
        return false;
    }
    if (!tileSet_.Load(name)) {
        problem = TileSetChange::NotWholeProblem(name);
        return false;
    }
    return true;
}
