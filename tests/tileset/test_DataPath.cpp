#include "TileSetFixture.h"

#include "tileset/DataPath.h"

#include <gtest/gtest.h>

#include <string>

using namespace tilesettest;

namespace {

std::string Resolve(const ScratchDir& dir, const char16_t* name) {
    return DataPath(dir.WPath()).Resolve(name).ToUtf8();
}

TEST(DataPathTest, BackslashesSeparateLikeSlashes) {
    ScratchDir dir;
    dir.Write("tiles/dungeon/door.png", "x");
    EXPECT_EQ(Resolve(dir, u"tiles\\dungeon\\door.png"), dir.Join("tiles/dungeon/door.png"));
    EXPECT_EQ(Resolve(dir, u"\\tiles/dungeon\\door.png"), dir.Join("tiles/dungeon/door.png"));
}

TEST(DataPathTest, EachComponentFallsBackToAMatchWithoutCase) {
    ScratchDir dir;
    dir.Write("Tiles/Dungeon/Door.png", "x");
    EXPECT_EQ(Resolve(dir, u"TILES\\dungeon\\door.PNG"), dir.Join("Tiles/Dungeon/Door.png"));
}

TEST(DataPathTest, AnExactMatchWinsOverOneWithoutCase) {
    ScratchDir dir;
    dir.Write("door.png", "lower");
    dir.Write("Door.png", "upper");
    EXPECT_EQ(Resolve(dir, u"Door.png"), dir.Join("Door.png"));
    EXPECT_EQ(Resolve(dir, u"door.png"), dir.Join("door.png"));
    // Neither spelling exists: the choice among the candidates is the same on every run.
    EXPECT_EQ(Resolve(dir, u"DOOR.PNG"), dir.Join("Door.png"));
}

TEST(DataPathTest, AMissingFileKeepsItsNameAsWritten) {
    ScratchDir dir;
    dir.MakeDir("Tiles");
    EXPECT_EQ(Resolve(dir, u"tiles\\Gone\\X.png"), dir.Join("Tiles/Gone/X.png"));
    EXPECT_EQ(Resolve(dir, u"nothing.set"), dir.Join("nothing.set"));
}

TEST(DataPathTest, PathsOfAThousandAndTwentyFourUnitsOrMoreAreEmpty) {
    ScratchDir dir;
    DataPath paths(dir.WPath());
    const int room = DataPath::kMaxPathUnits - 1 - (paths.Directory().Length() + 1);
    EXPECT_EQ(paths.Join(WString::FromUtf8(std::string(room, 'a'))).Length(), DataPath::kMaxPathUnits - 1);
    EXPECT_TRUE(paths.Join(WString::FromUtf8(std::string(room + 1, 'a'))).IsEmpty());
    EXPECT_TRUE(paths.Resolve(WString::FromUtf8(std::string(room + 1, 'a'))).IsEmpty());
}

TEST(DataPathTest, TheDirectoryIsTakenWithOrWithoutItsFinalSeparator) {
    EXPECT_EQ(DataPath(u"/opt/gv/").Join(u"a.set").ToUtf8(), "/opt/gv/a.set");
    EXPECT_EQ(DataPath(u"/opt/gv").Join(u"a.set").ToUtf8(), "/opt/gv/a.set");
    EXPECT_EQ(DataPath(u"/").Join(u"a.set").ToUtf8(), "/a.set");
}

} // namespace
