#include "AppFixture.h"

#include "app/AppSettings.h"
#include "app/CommandTable.h"
#include "app/RecentFiles.h"
#include "document/ProgramState.h"
#include "platform/QtSettingsStore.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

using namespace apptest;

namespace {

std::vector<std::uint8_t> Binary(const SettingsStore& store, const char16_t* key) {
    std::vector<std::uint8_t> bytes;
    if (!store.ReadBinary(key, bytes)) {
        bytes.assign(1, 0xEE); // absent: a value no flag writes
        bytes.push_back(0xEE);
    }
    return bytes;
}

void WriteByte(SettingsStore& store, const char16_t* key, std::uint8_t value) {
    store.WriteBinary(key, &value, 1);
}

class AppSettingsTest : public ::testing::Test {
protected:
    AppSettingsTest() : store(dir.WJoin("settings.ini")) {}

    ScratchDir dir;
    QtSettingsStore store;
};

TEST_F(AppSettingsTest, StoredPanelValuesOutsideTheirLimitsStartAt128AndSixColumns) {
    store.WriteInt(u"TileSize", 96);
    store.WriteInt(u"NumTileColumns", 9);
    AppSettings settings(store);
    ProgramState state;
    settings.ReadAtStart(state);
    EXPECT_EQ(settings.TileSize(), 128);
    EXPECT_EQ(settings.Columns(), 6);

    store.WriteInt(u"TileSize", 64);
    store.WriteInt(u"NumTileColumns", 0);
    settings.ReadAtStart(state);
    EXPECT_EQ(settings.TileSize(), 64);
    EXPECT_EQ(settings.Columns(), 6);

    store.WriteInt(u"NumTileColumns", 3);
    settings.ReadAtStart(state);
    EXPECT_EQ(settings.Columns(), 3);
}

TEST_F(AppSettingsTest, NothingStoredStartsWithLargeTilesInOneColumnAndSoftwareDrawing) {
    AppSettings settings(store);
    ProgramState state;
    settings.ReadAtStart(state);
    EXPECT_EQ(settings.TileSize(), 128);
    EXPECT_EQ(settings.Columns(), 1);
    EXPECT_FALSE(state.openGlThisRun);
    EXPECT_FALSE(state.openGlNextRun);
    EXPECT_FALSE(state.superWheel);
    // Reading alone stores OpenGL off; the panel values are stored only by the panel commands.
    EXPECT_EQ(Binary(store, u"OpenGL"), std::vector<std::uint8_t>{0});
    EXPECT_EQ(store.ReadInt(u"TileSize", -1), -1);
}

TEST_F(AppSettingsTest, OpenGlIsWrittenOffAtStartAndItsNextRunChoiceAtCleanExit) {
    WriteByte(store, u"OpenGL", 1);
    WriteByte(store, u"SuperWheel", 1);
    AppSettings settings(store);
    ProgramState state;
    settings.ReadAtStart(state);
    EXPECT_TRUE(state.openGlThisRun);
    EXPECT_TRUE(state.openGlNextRun);
    EXPECT_TRUE(state.superWheel);
    EXPECT_EQ(Binary(store, u"OpenGL"), std::vector<std::uint8_t>{0});

    // A run that is killed never writes again: the next start draws without OpenGL.
    ProgramState afterCrash;
    AppSettings(store).ReadAtStart(afterCrash);
    EXPECT_FALSE(afterCrash.openGlThisRun);

    // A clean exit stores the choice for the next run and the wheel mode.
    state.superWheel = false;
    settings.WriteAtExit(state);
    EXPECT_EQ(Binary(store, u"OpenGL"), std::vector<std::uint8_t>{1});
    EXPECT_EQ(Binary(store, u"SuperWheel"), std::vector<std::uint8_t>{0});
    state.openGlNextRun = false;
    settings.WriteAtExit(state);
    EXPECT_EQ(Binary(store, u"OpenGL"), std::vector<std::uint8_t>{0});
}

TEST_F(AppSettingsTest, FlagsStayOneByteBinaryValuesInTheSettingsFile) {
    AppSettings settings(store);
    ProgramState state;
    settings.ReadAtStart(state);
    state.openGlNextRun = true;
    settings.WriteAtExit(state);
    settings.SetPanel(64, 4);
    store.Sync();
    const std::string text = dir.Read("settings.ini");
    EXPECT_NE(text.find("[Gridvellum]"), std::string::npos) << text;
    EXPECT_NE(text.find("OpenGL=@ByteArray(\\x1)"), std::string::npos) << text;
    EXPECT_NE(text.find("SuperWheel=@ByteArray(\\0)"), std::string::npos) << text;
    EXPECT_NE(text.find("TileSize=64"), std::string::npos) << text;
    EXPECT_NE(text.find("NumTileColumns=4"), std::string::npos) << text;
}

TEST(RecentFilesTest, NewestFirstWithoutDuplicatesAndAtMostFour) {
    RecentFiles recent;
    recent.Add(u"/maps/a.gv");
    recent.Add(u"/maps/b.gv");
    recent.Add(u"");
    recent.Add(u"/maps/a.gv");
    ASSERT_EQ(recent.Count(), 2);
    EXPECT_EQ(recent.Paths()[0].ToUtf8(), "/maps/a.gv");
    EXPECT_EQ(recent.Paths()[1].ToUtf8(), "/maps/b.gv");
    for (const char16_t* path : {u"/maps/c.gv", u"/maps/d.gv", u"/maps/e.gv"}) {
        recent.Add(path);
    }
    ASSERT_EQ(recent.Count(), 4);
    EXPECT_EQ(recent.Paths()[0].ToUtf8(), "/maps/e.gv");
    EXPECT_EQ(recent.Paths()[3].ToUtf8(), "/maps/a.gv"); // b fell off
    recent.Remove(u"/maps/d.gv");
    EXPECT_EQ(recent.Count(), 3);
    EXPECT_EQ(RecentFiles::MenuText(1, recent.Paths()[1]).ToUtf8(), "&2 c.gv");
}

TEST(RecentFilesTest, ListSurvivesTheSettingsStoreAndShrinksCleanly) {
    ScratchDir dir;
    QtSettingsStore store(dir.WJoin("settings.ini"));
    RecentFiles recent;
    for (const char16_t* path : {u"/m/1.gv", u"/m/2.gv", u"/m/3.gv"}) {
        recent.Add(path);
    }
    recent.Save(store);
    RecentFiles loaded;
    loaded.Load(store);
    EXPECT_EQ(loaded.Paths(), recent.Paths());

    // A shorter list leaves no stale entries behind.
    RecentFiles shorter;
    shorter.Add(u"/m/9.gv");
    shorter.Save(store);
    loaded.Load(store);
    ASSERT_EQ(loaded.Count(), 1);
    EXPECT_EQ(loaded.Paths()[0].ToUtf8(), "/m/9.gv");
}

TEST(CommandTableTest, FileAndViewEntriesCarryTheirExactTextsAndKeys) {
    const std::vector<std::pair<int, std::string>> expected = {
        {57600, "&New\tCtrl+N"},
        {57601, "&Open...\tCtrl+O"},
        {57603, "&Save\tCtrl+S"},
        {57604, "Save &As..."},
        {32827, "Change TileSet"},
        {57616, "Recent File"},
        {57665, "E&xit"},
        {32771, "&Zoom Extents"},
        {32856, "Advanced Mouse Wheel Zoom"},
        {32848, "Small Tiles"},
        {32849, "Large Tiles"},
        {32850, "1 Column"},
        {32851, "2 Columns"},
        {32855, "6 Columns"},
        {32790, "Quick Draw"},
        {32844, "OpenGL"},
        {32841, "Show Drawtime"},
        {32793, "100%"},
        {32806, "90%"},
        {32809, "60%"},
        {32794, "50%"},
        {32810, "40%"},
        {32813, "10%"},
    };
    for (const auto& [id, text] : expected) {
        const CommandInfo* command = CommandTable::Find(id);
        ASSERT_NE(command, nullptr) << id;
        EXPECT_EQ(std::string(command->menuText), text) << id;
    }
    EXPECT_EQ(CommandTable::MenuLabel(57600), "&New");
    EXPECT_EQ(CommandTable::Accelerators(57603), std::vector<std::string>{"Ctrl+S"});
    EXPECT_TRUE(CommandTable::Accelerators(57604).empty());
    EXPECT_EQ(CommandTable::Accelerators(CommandTable::kPreviousPane), std::vector<std::string>{"Shift+F6"});
    EXPECT_EQ(CommandTable::Find(12345), nullptr);

    std::set<int> ids;
    for (const CommandInfo& command : CommandTable::All()) {
        if (command.id == 0) {
            continue; // a menu separator
        }
        EXPECT_TRUE(ids.insert(command.id).second) << "identifier used twice: " << command.id;
    }
}

TEST(CommandTableTest, ZoomAndColumnEntriesMapToTheirValues) {
    EXPECT_EQ(CommandTable::ZoomCommand(100), 32793);
    EXPECT_EQ(CommandTable::ZoomCommand(50), 32794);
    EXPECT_EQ(CommandTable::ZoomCommand(90), 32806);
    EXPECT_EQ(CommandTable::ZoomCommand(20), 32812);
    EXPECT_EQ(CommandTable::ZoomCommand(55), 0);
    EXPECT_EQ(CommandTable::ZoomCommand(0), 0);
    for (int percent = 10; percent <= 100; percent += 10) {
        EXPECT_EQ(CommandTable::ZoomPercent(CommandTable::ZoomCommand(percent)), percent);
    }
    EXPECT_EQ(CommandTable::ZoomPercent(CommandTable::kNew), 0);
    EXPECT_EQ(CommandTable::ColumnsCommand(4), 32853);
    EXPECT_EQ(CommandTable::ColumnsOf(32855), 6);
    EXPECT_EQ(CommandTable::ColumnsOf(32856), 0);
    EXPECT_EQ(CommandTable::ColumnsCommand(7), 0);
}

} // namespace
