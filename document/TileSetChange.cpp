#include "document/TileSetChange.h"

#include "document/CGridvellumDoc.h"
#include "document/DocumentHost.h"
#include "document/TileRef.h"
#include "support/FileUtils.h"
#include "support/SettingsStore.h"
#include "support/XmlDocument.h"
#include "tileset/DataPath.h"
#include "tileset/TileDef.h"
#include "tileset/TileSet.h"
#include "tileset/TileSetLoader.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <unordered_set>

namespace {

std::u16string Folded(const WString& text) {
    std::u16string folded;
    folded.reserve(static_cast<size_t>(text.Length()));
    for (int i = 0; i < text.Length(); ++i) {
        folded.push_back(WString::FoldCase(text.At(i)));
    }
    return folded;
}

// The tile name part of a definition key: what follows ".set:", or the whole key.
WString TileNameOfKey(const WString& key) {
    const int start = key.FindAfter(u".set:", 0, true);
    return start >= 0 ? key.Substring(start, key.Length() - start) : key;
}

SettingsStore* SettingsOf(const TileSet& tileSet) {
    return tileSet.Context().settings;
}

} // namespace

WString TileSetChange::NameFromPickedFile(const WString& pickedPath) {
    return pickedPath.NameAndExtensionOf();
}

bool TileSetChange::SetTileSetByName(TileSet& tileSet, const WString& name) {
    if (tileSet.IsLoaded() && name.EqualsNoCase(tileSet.Name())) {
        return false;
    }
    tileSet.Load(name);
    if (SettingsStore* settings = SettingsOf(tileSet)) {
        settings->WriteString(kLastTileSetKey, name);
    }
    return true;
}

WString TileSetChange::FirstTileSetIn(const WString& dataDirectory) {
    std::vector<std::string> found;
    std::error_code error;
    std::filesystem::directory_iterator it(FileUtils::NativePath(dataDirectory), error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() > 4 && WString::FromUtf8(name).ExtensionOf().EqualsNoCase(u".set") &&
            it->is_regular_file(error)) {
            found.push_back(name);
        }
    }
    if (found.empty()) {
        return WString();
    }
    return WString::FromUtf8(*std::min_element(found.begin(), found.end()));
}

bool TileSetChange::CanOpenMapsWith(const WString& dataDirectory, const WString& name, WString& problem) {
    const WString path = DataPath(dataDirectory).Resolve(name);
    if (name.IsEmpty() || path.IsEmpty() || !FileUtils::Access(path, 0)) {
        problem = u"its tileset \"";
        problem += name;
        problem += u"\" is not in ";
        problem += dataDirectory;
        problem += u".";
        return false;
    }
    WString failedPath;
    WString reason;
    if (TileSetLoader::CanRead(dataDirectory, name, failedPath, reason)) {
        return true;
    }
    problem = u"its tileset \"";
    problem += failedPath;
    problem += u"\" cannot be read: ";
    problem += reason;
    return false;
}

WString TileSetChange::NotWholeProblem(const WString& name) {
    WString problem(u"its tileset \"");
    problem += name;
    problem += u"\" could not be read whole.";
    return problem;
}

bool TileSetChange::ChooseAtStart(TileSet& tileSet, const std::function<WString()>& ask) {
    if (tileSet.IsLoaded()) {
        return true;
    }
    const WString& directory = tileSet.Context().dataDirectory;
    WString name;
    if (const SettingsStore* settings = SettingsOf(tileSet)) {
        name = settings->ReadString(kLastTileSetKey, WString());
    }
    // A tileset that was deleted or renamed since the last run would otherwise be "loaded" empty on
    // every start, and remembered again, so the program could never find another one by itself.
    if (!name.IsEmpty() && !DataPath::IsRegularFile(DataPath(directory).Resolve(name))) {
        name.Clear();
    }
    if (name.IsEmpty()) {
        name = FirstTileSetIn(directory);
    }
    if (name.IsEmpty() && ask) {
        name = NameFromPickedFile(ask());
    }
    if (!name.IsEmpty()) {
        SetTileSetByName(tileSet, name);
    }
    return tileSet.IsLoaded();
}

void TileSetChange::CollectTileNames(const WString& dataDirectory, const WString& setName, int depth,
                                     std::vector<WString>& visited, std::vector<WString>& names) {
    const WString fullPath = DataPath(dataDirectory).Resolve(setName);
    const bool seen = std::any_of(visited.begin(), visited.end(),
                                  [&fullPath](const WString& path) { return path.EqualsNoCase(fullPath); });
    if (depth > kMaxNesting || seen || !DataPath::IsRegularFile(fullPath)) {
        return;
    }
    visited.push_back(fullPath);
    XmlDocument file;
    if (!file.Load(fullPath)) {
        return;
    }
    for (const WString& base : TileSetLoader::BaseNames(file)) {
        CollectTileNames(dataDirectory, base, depth + 1, visited, names);
    }
    for (int i = 0; i < file.ChildCount(); ++i) {
        const XmlElement& child = *file.Child(i);
        if (child.Name() == u"Tile") {
            names.push_back(child.Attribute(u"name"));
        }
    }
}

std::vector<WString> TileSetChange::TileNamesOf(const WString& dataDirectory, const WString& setName) {
    std::vector<WString> visited;
    std::vector<WString> names;
    CollectTileNames(dataDirectory, setName, 0, visited, names);
    return names;
}

WString TileSetChange::MissingTilesMessage(const CGridvellumDoc& doc, const WString& setName) {
    std::unordered_set<std::u16string> defined;
    for (const WString& name : TileNamesOf(doc.Tiles().Context().dataDirectory, setName)) {
        defined.insert(Folded(name));
    }
    WString message;
    for (int i = 0; i < doc.TileCount(); ++i) {
        const TileRef* tile = doc.TileAt(i);
        const TileDef* definition = tile != nullptr ? tile->Definition() : nullptr;
        if (definition == nullptr || tile->Kind() == TileKinds::kText) {
            continue;
        }
        const WString name = TileNameOfKey(definition->Key());
        if (defined.count(Folded(name)) == 0) {
            if (message.IsEmpty()) {
                message = kMissingTilesHeading;
            }
            message.Append(name);
            message.AppendUnit(u'\n');
        }
    }
    return message;
}

bool TileSetChange::ChangeTileSet(CGridvellumDoc& doc, DocumentHost* host, const WString& pickedPath,
                                  WString& message) {
    const WString name = NameFromPickedFile(pickedPath);
    WString failedPath;
    WString reason;
    if (!TileSetLoader::CanRead(doc.Tiles().Context().dataDirectory, name, failedPath, reason)) {
        message = u"Can't change tilesets: \"";
        message += failedPath;
        message += u"\" cannot be read.  ";
        message += reason;
        return false;
    }
    message = MissingTilesMessage(doc, name);
    if (!message.IsEmpty()) {
        return false;
    }
    WString text;
    doc.DetachForTilesetChange(text);
    if (host != nullptr) {
        // A refusal keeps the tileset the tiles came from, so they come back as they were.
        host->SetTileSetByName(name, message);
    } else {
        SetTileSetByName(doc.Tiles(), name);
    }
    doc.ReattachAfterTilesetChange(text);
    return true;
}
