#pragma once

#include "document/CGridvellumDoc.h"
#include "document/ProgramState.h"
#include "tileset/TileSet.h"

#include <filesystem>
#include <string>

// What the halves of the end-to-end runs share: the work folder the run's script names in
// GV_E2E_DIR, files written and read there, the panel's pictures and a document over a tileset of
// the prepared program folder.
namespace e2e {

// Empty when no end-to-end run started this program.
std::string WorkDir();
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);
// The tile panel's category button pictures in the program folder.
void WritePanelButtons(const std::filesystem::path& program);

// A document over the tileset named tileSetName in the program folder.
struct LoadedMap {
    LoadedMap(const std::string& programDir, const char16_t* tileSetName);
    ProgramState state;
    TileSet tileSet;
    CGridvellumDoc doc;
};

} // namespace e2e
