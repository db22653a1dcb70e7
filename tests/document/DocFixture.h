#pragma once

#include "common/ScratchDir.h"
#include "common/TestPng.h"
#include "document/CGridvellumDoc.h"
#include "document/DocumentHost.h"
#include "document/EditOps.h"
#include "document/ProgramState.h"
#include "document/UndoHistory.h"
#include "support/WString.h"
#include "tileset/TileSet.h"

#include <cstdint>
#include <string>
#include <vector>

class Matrix3;
class TextTile;
class TileRef;

// Shared scaffolding of the document tests: a scratch folder playing the program's directory with a
// five-tile tileset written into it, and a host that records what the document asks of it.
namespace doctest {

using testsupport::EncodePng;
using testsupport::ScratchDir;

// Definition indices of the test tileset "test.set" (grid 64):
//   0 Floor  map tile, 64 x 64 opaque red
//   1 Door   object tile, 64 x 64, left half transparent, at most 2 (no warn)
//   2 Hero   figure tile, 32 x 48 with a 48 x 32 flip image, placed freely
//   3 Chest  pick-up item, sort 5, 64 x 64, local flags 0 (default on) and 2 (slot 1 undefined)
//   4 Wall   map tile, sort 2, 64 x 64, at most 1 but warn
enum TestTile { kFloor = 0, kDoor = 1, kHero = 2, kChest = 3, kWall = 4 };

// Writes the tileset files into dir; extraRootAttributes go on the root element.
void WriteTestTileSet(const ScratchDir& dir, const std::string& name = "test.set",
                      const std::string& extraRootAttributes = "");

class RecordingHost : public DocumentHost {
public:
    explicit RecordingHost(TileSet& tileSet) : tileSet_(tileSet) {}

    void RepaintMap() override { ++repaints; }
    ClientSize ViewClientSize() const override { return clientSize; }
    bool EnsureTileSet() override;
    bool SetTileSetByName(const WString& name, WString& problem) override;
    void SetTitle(const WString& title) override { titles.push_back(title.ToUtf8()); }

    ClientSize clientSize;
    int repaints = 0;
    std::vector<std::string> tileSetRequests;
    std::vector<std::string> titles;
    std::string fallbackTileSet = "test.set";

private:
    TileSet& tileSet_;
};

// A document over the test tileset in a fresh scratch folder.
class DocumentTest {
public:
    DocumentTest();

    ScratchDir dir;
    ProgramState state;
    TileSet tileSet;
    RecordingHost host;
    CGridvellumDoc doc;

    // The map file bytes a document holding the given root children would have, as written by hand:
    // UTF-8 with the mark and CR LF line ends.
    static std::string MapText(const std::string& children, const std::string& tileset = "test.set");
    // Writes bytes to name in the scratch folder and opens it; returns what the open reported.
    bool OpenBytes(const std::string& name, const std::string& bytes);
    // Saves to name in the scratch folder and returns the bytes written ("" when nothing was written).
    std::string SaveBytes(const std::string& name);

    // A tile of the definition under transform, or moved to (x, y); a test fails when none is added.
    TileRef& Place(int definition, const Matrix3& transform);
    TileRef& Place(int definition, double x, double y);
    // A text tile at (x, y).
    TextTile& PlaceText(const char16_t* text, double x, double y);
};

// The document over a tileset with path pictures: a white 8 x 8 step image, turn images of 16 x 16,
// and a piece that shows a ring when selected (which marks where its path starts), drawn in blue.
class PathDocumentTest : public DocumentTest {
public:
    PathDocumentTest();

    // A selected piece at (x, y).
    TileRef& PlacePiece(double x, double y);
    // One left drag of the selection as the edit tool makes it with recording on.
    bool RecordedDrag(const Matrix3& move);

    EditOps edits;
    UndoHistory history;
};

// The encoded text of a matrix with the given six entries.
std::string Encoded(double m11, double m12, double m21, double m22, double m31, double m32);

} // namespace doctest
