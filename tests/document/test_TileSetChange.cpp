#include "DocFixture.h"

#include "document/TileRef.h"
#include "document/TileSetChange.h"
#include "document/UndoHistory.h"
#include "support/Matrix3.h"
#include "support/SettingsStore.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace doctest;

namespace {

std::string SetFile(const std::string& rootAttributes, const std::string& tiles) {
    return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<TileSet " + rootAttributes + ">\r\n" +
           tiles + "</TileSet>\r\n";
}

std::string TileElement(const std::string& name, const std::string& image = "floor.png") {
    return "<Tile name=\"" + name + "\" type=\"0\">" + image + "</Tile>\r\n";
}

class TileSetChangeTest : public ::testing::Test, public DocumentTest {
protected:
    TileSetChangeTest() {
        // "winter.set" defines every tile of test.set, Floor through its base and the rest in other
        // letter cases and another order.
        dir.Write("base.set", SetFile("", TileElement("Floor", "wall.png")));
        dir.Write("winter.set",
                  SetFile("basetilesets=\"base.set\"", TileElement("wall") + TileElement("CHEST") +
                                                           TileElement("hero") + TileElement("door")));
        dir.Write("sparse.set", SetFile("", TileElement("Floor") + TileElement("Wall")));
    }

    TileRef& Place(int definition, double x) {
        TileRef* tile = doc.AddTile(definition);
        EXPECT_NE(tile, nullptr);
        tile->SetTransform(Matrix3::Translation(x, 0));
        tile->UpdateBounds();
        return *tile;
    }
    void MakeUndoStep() {
        UndoHistory history(doc);
        history.BeginEdit();
        doc.TileAt(0)->SetTransform(Matrix3::Translation(640, 0));
        ASSERT_TRUE(history.CommitEdit());
    }
};

TEST_F(TileSetChangeTest, NamesComeFromTheFileAndItsBases) {
    const std::vector<WString> names = TileSetChange::TileNamesOf(dir.WPath(), u"winter.set");
    const std::vector<WString> expected{u"Floor", u"wall", u"CHEST", u"hero", u"door"};
    EXPECT_EQ(names, expected);
    EXPECT_TRUE(TileSetChange::TileNamesOf(dir.WPath(), u"absent.set").empty());
}

TEST_F(TileSetChangeTest, TilesetsThatNameThemselvesAsBaseAreReadOnce) {
    dir.Write("loop.set", SetFile("basetilesets=\"loop.set LOOP.set other.set\"", TileElement("A")));
    dir.Write("other.set", SetFile("basetilesets=\"loop.set\"", TileElement("B")));
    const std::vector<WString> expected{u"B", u"A"};
    EXPECT_EQ(TileSetChange::TileNamesOf(dir.WPath(), u"loop.set"), expected);
}

TEST_F(TileSetChangeTest, MissingTilesAreListedOncePerPlacement) {
    Place(kFloor, 0);
    Place(kDoor, 64);
    Place(kDoor, 128);
    Place(kChest, 0);
    EXPECT_TRUE(TileSetChange::MissingTilesMessage(doc, u"winter.set").IsEmpty());
    EXPECT_EQ(TileSetChange::MissingTilesMessage(doc, u"sparse.set").ToUtf8(),
              "Can't change tilesets due to\nthe following missing tiles:\n---------------------------\n"
              "Door\nDoor\nChest\n");
}

TEST_F(TileSetChangeTest, RefusedChangeKeepsTilesetMapAndHistory) {
    Place(kChest, 0);
    MakeUndoStep();
    WString message;
    EXPECT_FALSE(TileSetChange::ChangeTileSet(doc, &host, u"/somewhere/else/sparse.set", message));
    EXPECT_NE(message.ToUtf8().find("Chest\n"), std::string::npos);
    EXPECT_EQ(tileSet.Name(), WString(u"test.set"));
    EXPECT_EQ(doc.TileCount(), 1);
    EXPECT_EQ(doc.UndoHistory().size(), 1u);
    EXPECT_TRUE(host.tileSetRequests.empty());
}

TEST_F(TileSetChangeTest, ChangeResolvesTilesByNameAgainstTheNewTileset) {
    Place(kFloor, 0);
    Place(kChest, 64).SetLocalFlag(2, true);
    MakeUndoStep();
    WString message;
    // Picked from another folder: only the file name counts.
    ASSERT_TRUE(TileSetChange::ChangeTileSet(doc, &host, u"C:\\maps\\winter.set", message))
        << message.ToUtf8();
    EXPECT_EQ(host.tileSetRequests, (std::vector<std::string>{"winter.set"}));
    EXPECT_EQ(tileSet.Name(), WString(u"winter.set"));
    ASSERT_EQ(doc.TileCount(), 2);
    EXPECT_EQ(doc.TileAt(0)->Definition()->Key(), WString(u"base.set:Floor"));
    EXPECT_EQ(doc.TileAt(0)->Origin(), Vec2(640, 0));
    EXPECT_EQ(doc.TileAt(1)->Definition()->Key(), WString(u"winter.set:CHEST"));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.UndoHistory().empty());
}

TEST_F(TileSetChangeTest, ChangingToTheLoadedTilesetStillRereadsTheMap) {
    // Left off the grid and selected: reading the map back snaps it and selects nothing.
    Place(kFloor, 10).SetSelected(true);
    WString message;
    ASSERT_TRUE(TileSetChange::ChangeTileSet(doc, nullptr, u"TEST.set", message));
    EXPECT_EQ(tileSet.Name(), WString(u"test.set")); // not loaded again
    ASSERT_EQ(doc.TileCount(), 1);
    EXPECT_EQ(doc.TileAt(0)->Origin(), Vec2(0, 0));
    EXPECT_FALSE(doc.TileAt(0)->IsSelected());
    EXPECT_TRUE(doc.IsModified());
}

// Settings kept in memory for the choice at start.
class StringSettings : public SettingsStore {
public:
    int ReadInt(const WString&, int defaultValue) const override { return defaultValue; }
    void WriteInt(const WString&, int) override {}
    WString ReadString(const WString& key, const WString& defaultValue) const override {
        auto it = values.find(key.ToUtf8());
        return it != values.end() ? WString::FromUtf8(it->second) : defaultValue;
    }
    void WriteString(const WString& key, const WString& value) override {
        values[key.ToUtf8()] = value.ToUtf8();
    }
    bool ReadBinary(const WString&, std::vector<std::uint8_t>&) const override { return false; }
    void WriteBinary(const WString&, const std::uint8_t*, std::size_t) override {}

    std::map<std::string, std::string> values;
};

class ChooseAtStartTest : public ::testing::Test {
protected:
    ChooseAtStartTest() : tileSet(TileSetContext{dir.WPath(), &settings, nullptr, false}) {
        WriteTestTileSet(dir, "m.set");
        WriteTestTileSet(dir, "b.SET");
        WriteTestTileSet(dir, "k.set");
    }
    WString Ask() {
        ++asked;
        return answer;
    }

    ScratchDir dir;
    StringSettings settings;
    TileSet tileSet;
    int asked = 0;
    WString answer;
};

TEST_F(ChooseAtStartTest, TheLastUsedTilesetComesFirst) {
    settings.values["LastTileSet"] = "k.set";
    ASSERT_TRUE(TileSetChange::ChooseAtStart(tileSet, [this] { return Ask(); }));
    EXPECT_EQ(tileSet.Name(), WString(u"k.set"));
    EXPECT_EQ(asked, 0);
    // Once loaded, nothing changes.
    settings.values["LastTileSet"] = "m.set";
    ASSERT_TRUE(TileSetChange::ChooseAtStart(tileSet, [this] { return Ask(); }));
    EXPECT_EQ(tileSet.Name(), WString(u"k.set"));
}

TEST_F(ChooseAtStartTest, AVanishedLastTilesetFallsBackToTheFirstInTheFolder) {
    settings.values["LastTileSet"] = "gone.set";
    ASSERT_TRUE(TileSetChange::ChooseAtStart(tileSet, [this] { return Ask(); }));
    EXPECT_EQ(tileSet.Name(), WString(u"b.SET"));
    EXPECT_EQ(settings.values["LastTileSet"], "b.SET");
    EXPECT_GT(tileSet.DefinitionCount(), 0);
}

TEST_F(ChooseAtStartTest, WithoutAnyTilesetTheUserIsAsked) {
    ScratchDir empty;
    WriteTestTileSet(empty, "picked.txt"); // a tileset under another extension
    TileSet bare(TileSetContext{empty.WPath(), &settings, nullptr, false});
    answer = u"/home/someone/picked.txt";
    ASSERT_TRUE(TileSetChange::ChooseAtStart(bare, [this] { return Ask(); }));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(bare.Name(), WString(u"picked.txt"));
    EXPECT_GT(bare.DefinitionCount(), 0);

    TileSet cancelled(TileSetContext{empty.WPath(), &settings, nullptr, false});
    settings.values.clear();
    answer = WString();
    EXPECT_FALSE(TileSetChange::ChooseAtStart(cancelled, [this] { return Ask(); }));
    EXPECT_FALSE(cancelled.IsLoaded());
}

} // namespace
