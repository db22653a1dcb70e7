#include "document/UsageReport.h"

#include "document/CGridvellumDoc.h"
#include "document/TileRef.h"
#include "support/FileUtils.h"
#include "support/MemFile.h"
#include "support/Rect2.h"
#include "tileset/TileDef.h"
#include "tileset/TileSet.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

constexpr const char16_t* kHeader = u"tile                                available    used\n";
constexpr const char16_t* kRule = u"-----------------------------------------------------\n";
constexpr const char16_t* kNoMaximum = u"--        ";
constexpr const char16_t* kDataFolder = u"Gridvellum";

void AppendPadded(WString& out, const WString& text, int width) {
    out.Append(text);
    for (int i = text.Length(); i < width; ++i) {
        out.AppendUnit(u' ');
    }
}

// Placed map tiles per definition, counted in one pass over the map.
std::vector<int> PlacedCounts(const CGridvellumDoc& doc) {
    std::vector<int> counts(static_cast<size_t>(doc.Tiles().DefinitionCount()), 0);
    for (int i = 0; i < doc.TileCount(); ++i) {
        const TileRef* tile = doc.TileAt(i);
        if (tile != nullptr && tile->Kind() != TileKinds::kText && tile->DefinitionIndex() < counts.size()) {
            ++counts[tile->DefinitionIndex()];
        }
    }
    return counts;
}

WString WithTrailingSeparator(const WString& directory) {
    WString result = directory;
    if (!result.IsEmpty() && !result.EndsWith(u"/") && !result.EndsWith(u"\\")) {
        result.AppendUnit(u'/');
    }
    return result;
}

WString UserDataFolder() {
    WString base;
    if (const char* dataHome = std::getenv("XDG_DATA_HOME"); dataHome != nullptr && dataHome[0] == '/') {
        base = WString::FromUtf8(dataHome);
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        base = WithTrailingSeparator(WString::FromUtf8(home));
        base.Append(u".local/share");
    } else {
        return WString();
    }
    WString folder = WithTrailingSeparator(base);
    folder.Append(kDataFolder);
    return folder;
}

bool IsWritableDirectory(const WString& directory) {
    std::error_code error;
    return !directory.IsEmpty() && std::filesystem::is_directory(FileUtils::NativePath(directory), error) &&
           FileUtils::Access(directory, 2);
}

} // namespace

WString UsageReport::FormatNumber(double value) {
    return WString::FromReal(value);
}

void UsageReport::MapSizeInCells(const CGridvellumDoc& doc, double& widthCells, double& heightCells) {
    const Rect2 box = doc.DocumentBounds(false, false);
    const double cell = doc.Tiles().DrawGridSize();
    widthCells = cell > 0 ? box.Width() / cell : 0.0;
    heightCells = cell > 0 ? box.Height() / cell : 0.0;
}

WString UsageReport::Build(const CGridvellumDoc& doc, double widthCells, double heightCells) {
    WString text(u"map width = ");
    text.Append(FormatNumber(widthCells));
    text.Append(u"\nmap height = ");
    text.Append(FormatNumber(heightCells));
    text.Append(u"\n\n");
    text.Append(kHeader);
    text.Append(kRule);
    const TileSet& tileSet = doc.Tiles();
    const std::vector<int> counts = PlacedCounts(doc);
    for (int index = 0; index < tileSet.DefinitionCount(); ++index) {
        const int used = counts[static_cast<size_t>(index)];
        if (used == 0) {
            continue;
        }
        const TileDef& definition = tileSet.Definition(index);
        AppendPadded(text, definition.Name(), kNameColumn);
        if (definition.HasMaxCount()) {
            AppendPadded(text, WString::FromInt(definition.MaxCount()), kCountColumn);
        } else {
            text.Append(kNoMaximum);
        }
        AppendPadded(text, WString::FromInt(used), kCountColumn);
        text.AppendUnit(u'\n');
    }
    return text;
}

WString UsageReport::Write(const WString& path, const CGridvellumDoc& doc, double widthCells,
                           double heightCells) {
    const WString text = Build(doc, widthCells, heightCells);
    const char* bytes = text.ToAnsi(false, WString::kSystem);
    // Stored whole or not at all, so a full disk never leaves half a report behind.
    std::shared_ptr<MemFile> file = MemFile::Open(path, WString(u"wt"));
    const size_t size = text.AnsiSize();
    if (bytes == nullptr || !file || file->Write(bytes, 1, size) != size) {
        return FileUtils::ErrorText(ENOMEM);
    }
    return file->Close() ? WString() : FileUtils::ErrorText(file->LastError());
}

WString UsageReport::WriteFailure(const WString& path, const WString& reason) {
    WString error(u"Can't write the report file:\n");
    error.Append(path);
    error.Append(u"\n");
    error.Append(reason);
    error.Append(u".");
    return error;
}

WString UsageReport::ReportPath(const WString& programDirectory) {
    WString directory;
    if (IsWritableDirectory(programDirectory)) {
        directory = programDirectory;
    } else {
        directory = UserDataFolder();
        if (directory.IsEmpty()) {
            return WString();
        }
        std::error_code error;
        std::filesystem::create_directories(FileUtils::NativePath(directory), error);
        if (!IsWritableDirectory(directory)) {
            return WString();
        }
    }
    WString path = WithTrailingSeparator(directory);
    path.Append(kFileName);
    return path;
}

bool UsageReport::Generate(const CGridvellumDoc& doc, const WString& programDirectory, WString& path,
                           WString& error) {
    double width = 0.0;
    double height = 0.0;
    MapSizeInCells(doc, width, height);
    path = ReportPath(programDirectory);
    if (path.IsEmpty()) {
        error =
            u"Can't write the report: neither the program's folder nor the user's data folder is writable.";
        return false;
    }
    if (const WString reason = Write(path, doc, width, height); !reason.IsEmpty()) {
        error = WriteFailure(path, reason);
        return false;
    }
    return true;
}

bool UsageReport::ForCommandLine(const CGridvellumDoc& doc, const WString& outPath, WString& text,
                                 WString& error) {
    double width = 0.0;
    double height = 0.0;
    MapSizeInCells(doc, width, height);
    if (outPath.IsEmpty()) {
        text = Build(doc, width, height);
        return true;
    }
    if (const WString reason = Write(outPath, doc, width, height); !reason.IsEmpty()) {
        error = WriteFailure(outPath, reason);
        return false;
    }
    return true;
}
