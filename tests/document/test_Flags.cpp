#include "DocFixture.h"

#include "document/Flags.h"
#include "document/TileRef.h"
#include "support/SettingsStore.h"
#include "tileset/DrawEntry.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace doctest;

namespace {

// Settings kept in memory, so toggling a flag never reaches a user's store.
class MemorySettings : public SettingsStore {
public:
    int ReadInt(const WString& key, int defaultValue) const override {
        auto it = strings.find(key.ToUtf8());
        return it != strings.end() ? WString::FromUtf8(it->second).AsInt() : defaultValue;
    }
    void WriteInt(const WString& key, int value) override { strings[key.ToUtf8()] = std::to_string(value); }
    WString ReadString(const WString& key, const WString& defaultValue) const override {
        auto it = strings.find(key.ToUtf8());
        return it != strings.end() ? WString::FromUtf8(it->second) : defaultValue;
    }
    void WriteString(const WString& key, const WString& value) override {
        strings[key.ToUtf8()] = value.ToUtf8();
    }
    bool ReadBinary(const WString& key, std::vector<std::uint8_t>& bytes) const override {
        auto it = binary.find(key.ToUtf8());
        if (it == binary.end()) {
            return false;
        }
        bytes = it->second;
        return true;
    }
    void WriteBinary(const WString& key, const std::uint8_t* bytes, std::size_t count) override {
        binary[key.ToUtf8()] = std::vector<std::uint8_t>(bytes, bytes + count);
    }

    std::map<std::string, std::string> strings;
    std::map<std::string, std::vector<std::uint8_t>> binary;
};

// Twelve global flags: "Night" (0) starts set, the others clear; "Fog" (1) was saved as set.
std::string FlagTileSet() {
    std::string set = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<TileSet>\r\n"
                      "<Tile name=\"Chest\" type=\"2\">chest.png"
                      "<LocalFlag index=\"0\" defaultstate=\"true\">Open</LocalFlag>"
                      "<LocalFlag index=\"2\">Trapped</LocalFlag></Tile>\r\n"
                      "<Tile name=\"Rug\" type=\"0\">floor.png</Tile>\r\n"
                      "<GlobalFlag index=\"0\" defaultstate=\"true\">Night</GlobalFlag>\r\n";
    for (int i = 1; i < 12; ++i) {
        set += "<GlobalFlag index=\"" + std::to_string(i) + "\">" +
               (i == 1 ? "Fog" : "G" + std::to_string(i)) + "</GlobalFlag>\r\n";
    }
    return set + "</TileSet>\r\n";
}

class FlagsTest : public ::testing::Test {
protected:
    FlagsTest()
        : tileSet(TileSetContext{dir.WPath(), &settings, nullptr, false}), doc(tileSet, state, nullptr) {
        WriteTestTileSet(dir);
        dir.Write("flags.set", FlagTileSet());
        const std::uint8_t set = 1;
        settings.WriteBinary(u"Fog", &set, 1);
        tileSet.Load(u"flags.set");
    }

    ScratchDir dir;
    MemorySettings settings;
    ProgramState state;
    TileSet tileSet;
    CGridvellumDoc doc;
};

TEST_F(FlagsTest, DrawingConditionsFollowTheTable) {
    TileRef* chest = doc.AddTile(0);
    ASSERT_NE(chest, nullptr);
    ASSERT_TRUE(tileSet.GlobalFlag(0));
    ASSERT_TRUE(tileSet.GlobalFlag(1)); // taken from the settings over its default
    ASSERT_FALSE(tileSet.GlobalFlag(2));

    auto holds = [&](int code, int flag) { return Flags::ConditionHolds(code, flag, *chest, tileSet); };
    EXPECT_TRUE(holds(kDrawAlways, 0));
    EXPECT_TRUE(holds(kDrawIfGlobalFlagSet, 0));
    EXPECT_FALSE(holds(kDrawIfGlobalFlagSet, 2));
    EXPECT_FALSE(holds(kDrawIfGlobalFlagClear, 1));
    EXPECT_TRUE(holds(kDrawIfGlobalFlagClear, 2));
    EXPECT_TRUE(holds(kDrawIfGlobalFlagClear, 99)); // a flag the tileset lacks reads as clear
    EXPECT_TRUE(holds(kDrawIfLocalFlagSet, 0));
    EXPECT_FALSE(holds(kDrawIfLocalFlagSet, 2));
    EXPECT_TRUE(holds(kDrawIfLocalFlagClear, 1)); // the undefined slot is clear
    EXPECT_TRUE(holds(kDrawIfLocalFlagClear, 7));
    EXPECT_FALSE(holds(kDrawIfSelected, 0));
    EXPECT_TRUE(holds(kDrawIfNotSelected, 0));
    chest->SetSelected(true);
    EXPECT_TRUE(holds(kDrawIfSelected, 0));
    EXPECT_FALSE(holds(kDrawIfNotSelected, 0));
    EXPECT_FALSE(holds(7, 0));
    EXPECT_FALSE(holds(-1, 0));
}

TEST_F(FlagsTest, LocalFlagMenuListsEverySlotWithEmptyLabelsForGaps) {
    TileRef* chest = doc.AddTile(0);
    ASSERT_NE(chest, nullptr);
    const std::vector<Flags::MenuItem> items = Flags::LocalFlagMenu(*chest);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].label, WString(u"Open"));
    EXPECT_TRUE(items[0].checked);
    EXPECT_TRUE(items[1].label.IsEmpty());
    EXPECT_FALSE(items[1].checked);
    EXPECT_EQ(items[2].label, WString(u"Trapped"));
    TileRef* rug = doc.AddTile(1);
    ASSERT_NE(rug, nullptr);
    EXPECT_TRUE(Flags::LocalFlagMenu(*rug).empty());
}

TEST_F(FlagsTest, LocalFlagCommandIgnoresTilesThatAreGoneAndNumbersTheyLack) {
    TileRef* chest = doc.AddTile(0);
    ASSERT_NE(chest, nullptr);
    EXPECT_FALSE(Flags::ToggleLocalFlag(doc, chest, 3));
    EXPECT_FALSE(Flags::ToggleLocalFlag(doc, nullptr, 0));
    EXPECT_TRUE(Flags::ToggleLocalFlag(doc, chest, 0));
    EXPECT_FALSE(chest->LocalFlag(0));
    EXPECT_EQ(doc.UndoHistory().size(), 1u);

    TileRef stray(doc.Context());
    stray.SetDefinition(0);
    EXPECT_FALSE(Flags::ToggleLocalFlag(doc, &stray, 0));
    EXPECT_TRUE(stray.LocalFlag(0));
}

TEST_F(FlagsTest, GlobalFlagToggleIsStoredAsOneByteAndDoesNotModifyTheMap) {
    ASSERT_TRUE(Flags::ToggleGlobalFlag(tileSet, 0));
    EXPECT_FALSE(tileSet.GlobalFlag(0));
    EXPECT_EQ(settings.binary["Night"], (std::vector<std::uint8_t>{0}));
    ASSERT_TRUE(Flags::ToggleGlobalFlag(tileSet, 0));
    EXPECT_EQ(settings.binary["Night"], (std::vector<std::uint8_t>{1}));
    EXPECT_FALSE(Flags::ToggleGlobalFlag(tileSet, 12));
    EXPECT_FALSE(Flags::ToggleGlobalFlag(tileSet, -1));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(doc.UndoHistory().empty());

    // The next run starts from the stored state.
    ASSERT_TRUE(Flags::ToggleGlobalFlag(tileSet, 2));
    TileSet nextRun(TileSetContext{dir.WPath(), &settings, nullptr, false});
    nextRun.Load(u"flags.set");
    EXPECT_TRUE(nextRun.GlobalFlag(2));
}

TEST_F(FlagsTest, GlobalFlagMenuOffersTheFirstTen) {
    const std::vector<Flags::MenuItem> items = Flags::GlobalFlagMenu(tileSet);
    ASSERT_EQ(items.size(), 10u);
    EXPECT_EQ(items[0].label, WString(u"Night"));
    EXPECT_TRUE(items[0].checked);
    EXPECT_TRUE(items[1].checked);
    EXPECT_EQ(items[9].label, WString(u"G9"));
    EXPECT_FALSE(items[9].checked);
}

} // namespace
