#pragma once

#include "common/MemorySettings.h"
#include "common/ScratchDir.h"
#include "common/TestPng.h"
#include "document/CGridvellumDoc.h"
#include "document/ProgramState.h"
#include "support/WString.h"
#include "tileset/TileSet.h"

#include <cstdint>
#include <string>
#include <vector>

class RasterCanvas;

// Scaffolding of the view tests: a scratch folder that plays the program's directory, a small
// tileset written into it byte by byte, and a document over that tileset.
namespace viewtest {

using testsupport::EncodePng;
using testsupport::MemorySettings;
using testsupport::ScratchDir;

// Definition indices of "view.set":
//   0 Red   64 x 64 opaque red map tile
//   1 Green 32 x 32 opaque green object tile whose definition always shows resize handles
enum TestTile { kRed = 0, kGreen = 1 };

// Colours of "view.set".
constexpr std::uint32_t kBackColor = 0x001E140A; // 10, 20, 30 as 0x00BBGGRR
constexpr std::uint32_t kGridColor = 0x00C8C8C8; // 200, 200, 200

// Writes view.set and its pictures; rootAttributes replace the default look when given.
void WriteTileSet(const ScratchDir& dir, const std::string& name, const std::string& rootAttributes);
std::string DefaultLook();

// A document over view.set (or a tileset with the given root attributes).
class ViewDocument {
public:
    explicit ViewDocument(const std::string& rootAttributes = DefaultLook());

    // Places a tile of the definition with its image corner (0, 0) at the world point.
    TileRef* Place(int definition, float worldX, float worldY);

    ScratchDir dir;
    ProgramState state;
    TileSet tileSet;
    CGridvellumDoc doc;
};

// 0x00BBGGRR of the pixel at client (x, y), y down from the top row.
std::uint32_t ClientPixel(const RasterCanvas& canvas, int x, int y);
// The inverse of a colour, as an inverting pen leaves it.
constexpr std::uint32_t Inverted(std::uint32_t color) {
    return ~color & 0x00FFFFFF;
}

} // namespace viewtest
