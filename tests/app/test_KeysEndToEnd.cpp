// The two halves the keyboard end-to-end run (tests/app/e2e_keys.sh) calls around the real editor:
// one lays out a program folder and a small map, the other checks what the editor saved and asked
// the desktop to open after real key presses. Run on their own they have nothing to do.
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
#include <string>

namespace {

using e2e::LoadedMap;
using e2e::ReadFile;
using e2e::WorkDir;
using e2e::WriteFile;
using e2e::WritePanelButtons;

const char* kTileSet = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                       "<Set backcolor=\"10,20,30\" gridsize=\"64\">"
                       "<Tile name=\"Floor A\" type=\"0\">a.png</Tile>"
                       "<Tile name=\"Floor B\" type=\"0\">b.png</Tile>"
                       "</Set>\r\n";

TEST(EditorKeys, PrepareProgramFolder) {
    const std::string work = WorkDir();
    if (work.empty()) {
        GTEST_SKIP() << "GV_E2E_DIR names no folder; the end-to-end run sets it";
    }
    const std::filesystem::path program = std::filesystem::path(work) / "program";
    WriteFile(program / "keys.set", kTileSet);
    WriteFile(program / "a.png", testsupport::SolidPng(128, 128, 200, 120, 60));
    WriteFile(program / "b.png", testsupport::SolidPng(64, 64, 60, 120, 200));
    WriteFile(program / "help.txt", "How to draw maps.\n");
    WritePanelButtons(program);
    {
        LoadedMap loaded(program.string(), u"keys.set");
        ASSERT_EQ(loaded.tileSet.DefinitionCount(), 2);
        const int definitions[] = {0, 1, 1};
        const double places[][2] = {{-128, 0}, {64, 64}, {128, -64}};
        for (int i = 0; i < 3; ++i) {
            TileRef* tile = loaded.doc.AddTile(definitions[i]);
            ASSERT_NE(tile, nullptr);
            tile->SetTransform(Matrix3::Translation(places[i][0], places[i][1]));
            tile->UpdateBounds();
        }
        loaded.doc.SetScenario(u"A scenario\nin two lines");
        ASSERT_TRUE(loaded.doc.OnSaveDocument(WString::FromUtf8(work + "/first-write.gv")));
    }
    // Opened and saved once more, as the editor will save it: the map the keys must give back.
    LoadedMap again(program.string(), u"keys.set");
    ASSERT_TRUE(again.doc.OnOpenDocument(WString::FromUtf8(work + "/first-write.gv")));
    ASSERT_TRUE(again.doc.OnSaveDocument(WString::FromUtf8(work + "/original.gv")));
    std::filesystem::copy_file(work + "/original.gv", work + "/map.gv");
}

TEST(EditorKeys, SavedMapsAndTheOpenedHelpFollowTheKeys) {
    const std::string work = WorkDir();
    if (work.empty()) {
        GTEST_SKIP() << "GV_E2E_DIR names no folder; the end-to-end run sets it";
    }
    // Ctrl+A, Delete, Ctrl+Z, Ctrl+S: the map as it was, byte for byte.
    const std::string original = ReadFile(work + "/original.gv");
    ASSERT_FALSE(original.empty());
    EXPECT_EQ(ReadFile(work + "/undone.gv"), original);

    // Ctrl+A, Ctrl+C, Ctrl+V, Ctrl+S: every tile twice, the copies placed together.
    LoadedMap doubled(work + "/program", u"keys.set");
    ASSERT_TRUE(doubled.doc.OnOpenDocument(WString::FromUtf8(work + "/doubled.gv")));
    ASSERT_EQ(doubled.doc.TileCount(), 6);
    EXPECT_EQ(doubled.doc.CountPlaced(0), 2);
    EXPECT_EQ(doubled.doc.CountPlaced(1), 4);
    EXPECT_EQ(doubled.doc.Scenario().ToUtf8(), "A scenario\nin two lines");

    // F1 asked the desktop to open the help file beside the program.
    EXPECT_EQ(ReadFile(work + "/asked.txt"), work + "/program/help.txt\n");
}

} // namespace
