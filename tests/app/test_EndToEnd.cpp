// The two halves the end-to-end run (tests/app/e2e_drag.sh) calls around the real editor: one
// lays out a program folder with a small tileset and an empty map, the other checks the map the
// editor saved after real pointer and key events. Run on their own they have nothing to do.
#include "EndToEndFolder.h"

#include "common/TestPng.h"
#include "document/CGridvellumDoc.h"
#include "document/ProgramState.h"
#include "document/TileRef.h"
#include "support/Matrix3.h"
#include "tileset/TileSet.h"

#include <QString>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <numbers>
#include <string>

namespace {

using e2e::LoadedMap;
using e2e::WorkDir;
using e2e::WriteFile;
using e2e::WritePanelButtons;

// Three opaque map tiles two grid cells wide, so a press a little off a tile's centre still hits it.
const char* kTileSet = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                       "<Set backcolor=\"10,20,30\" gridsize=\"64\">"
                       "<Tile name=\"Floor A\" type=\"0\">a.png</Tile>"
                       "<Tile name=\"Floor B\" type=\"0\">b.png</Tile>"
                       "<Tile name=\"Floor C\" type=\"0\">c.png</Tile>"
                       "</Set>\r\n";

TEST(EditorEndToEnd, PrepareProgramFolder) {
    const std::string work = WorkDir();
    if (work.empty()) {
        GTEST_SKIP() << "GV_E2E_DIR names no folder; the end-to-end run sets it";
    }
    const std::filesystem::path program = std::filesystem::path(work) / "program";
    WriteFile(program / "drag.set", kTileSet);
    WriteFile(program / "a.png", testsupport::SolidPng(128, 128, 200, 120, 60));
    WriteFile(program / "b.png", testsupport::SolidPng(128, 128, 60, 120, 200));
    WriteFile(program / "c.png", testsupport::SolidPng(128, 128, 60, 200, 120));
    WritePanelButtons(program);
    // Small cells in two columns, so the cells sit where the run expects them.
    WriteFile(std::filesystem::path(work) / "config" / "Local AppWizard-Generated Applications" /
                  "Gridvellum.conf",
              "[Gridvellum]\nTileSize=64\nNumTileColumns=2\n");
    LoadedMap loaded(program.string(), u"drag.set");
    ASSERT_EQ(loaded.tileSet.DefinitionCount(), 3);
    ASSERT_TRUE(loaded.doc.OnSaveDocument(WString::FromUtf8(work + "/map.gv")));
}

TEST(EditorEndToEnd, SavedMapHoldsTheDroppedTurnedAndMovedTiles) {
    const std::string work = WorkDir();
    if (work.empty()) {
        GTEST_SKIP() << "GV_E2E_DIR names no folder; the end-to-end run sets it";
    }
    LoadedMap loaded(work + "/program", u"drag.set");
    ASSERT_TRUE(loaded.doc.OnOpenDocument(WString::FromUtf8(work + "/map.gv")));
    std::map<std::string, const TileRef*> byName;
    for (int i = 0; i < loaded.doc.TileCount(); ++i) {
        const TileRef* tile = loaded.doc.TileAt(i);
        byName[tile->Definition()->Name().ToUtf8()] = tile;
    }
    ASSERT_EQ(loaded.doc.TileCount(), 3);
    ASSERT_EQ(byName.size(), 3u);
    // A was dropped centred on (-192, 64), so its corner sits on the grid at (-256, 0).
    const Matrix3& a = byName.at("Floor A")->Transform();
    EXPECT_TRUE(a.Equals(Matrix3::Translation(-256, 0))) << a.m31() << ", " << a.m32();
    // B, dropped centred on (0, 64), was turned a quarter about its centre by a right drag, which
    // brings its corner to (64, 0), then moved two cells right with the arrow key.
    const Matrix3& b = byName.at("Floor B")->Transform();
    EXPECT_TRUE(b.Equals(Matrix3::Rotation(std::numbers::pi / 2) * Matrix3::Translation(192, 0)))
        << b.m11() << " " << b.m12() << " " << b.m21() << " " << b.m22() << " " << b.m31() << ", " << b.m32();
    const Matrix3& c = byName.at("Floor C")->Transform();
    EXPECT_TRUE(c.Equals(Matrix3::Translation(128, 0))) << c.m31() << ", " << c.m32();
}

// After e2e_recover.sh: Floor B, found through the search box, dropped centred on (0, 64) and moved
// two cells right, came back from the autosave copy of a killed run and was saved.
TEST(EditorEndToEnd, RecoveredMapHoldsTheSearchedDroppedAndMovedTile) {
    const std::string work = WorkDir();
    if (work.empty()) {
        GTEST_SKIP() << "GV_E2E_DIR names no folder; the end-to-end run sets it";
    }
    LoadedMap loaded(work + "/program", u"drag.set");
    ASSERT_TRUE(loaded.doc.OnOpenDocument(WString::FromUtf8(work + "/map.gv")));
    ASSERT_EQ(loaded.doc.TileCount(), 1);
    const TileRef* tile = loaded.doc.TileAt(0);
    EXPECT_EQ(tile->Definition()->Name().ToUtf8(), "Floor B");
    const Matrix3& at = tile->Transform();
    EXPECT_TRUE(at.Equals(Matrix3::Translation(64, 0))) << at.m31() << ", " << at.m32();
}

} // namespace
