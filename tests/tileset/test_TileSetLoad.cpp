#include "TileSetFixture.h"

#include "raster/RasterCanvas.h"
#include "tileset/TileSet.h"
#include "tileset/TileSetLoader.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

using namespace tilesettest;

namespace {

class TileSetLoadTest : public ::testing::Test {
protected:
    TileSetLoadTest() : tileSet(TileSetContext{dir.WPath(), &settings, &sink, false}) {
        dir.Write("red.png", SolidPng(4, 2, 255, 0, 0));
    }

    void Load(const std::string& name) { tileSet.Load(WString::FromUtf8(name)); }
    void WriteSet(const std::string& name, const std::string& root) { dir.Write(name, SetFile(root)); }
    std::string Label(int position) const { return tileSet.Category(position).label.ToUtf8(); }
    std::string AllErrors() const {
        std::string all;
        for (const auto& box : sink.boxes) {
            all += box.second;
        }
        return all;
    }

    ScratchDir dir;
    MemorySettings settings;
    RecordingSink sink;
    TileSet tileSet;
};

TEST_F(TileSetLoadTest, TilesetWithoutTileTypesGetsFiveDefaultCategoriesInOrder) {
    WriteSet("plain.set", "<Set><Tile name=\"Floor\" type=\"0\">red.png</Tile></Set>");
    Load("plain.set");

    ASSERT_EQ(tileSet.CategoryCount(), 5);
    const char* labels[] = {"Map Tiles", "Object Tiles", "Pick-up Item Tiles", "Figure Tiles", "Text"};
    const int kinds[] = {0, 1, 2, 3, -1};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Label(i), labels[i]);
        EXPECT_EQ(tileSet.Category(i).kind, kinds[i]);
        EXPECT_TRUE(tileSet.Category(i).shown);
        EXPECT_EQ(tileSet.Category(i).state, kCategoryUnlocked);
        EXPECT_FALSE(tileSet.Category(i).expanded);
    }
    EXPECT_EQ(tileSet.PanelCategoryCount(), 5);
    EXPECT_EQ(tileSet.CategoryOfKind(TileKinds::kText), 4);
    EXPECT_EQ(tileSet.CategoryOfKind(77), 0);
    EXPECT_TRUE(sink.boxes.empty());
}

TEST_F(TileSetLoadTest, TileTypesSortByKindWithTextAfterThemAndUnshownLast) {
    WriteSet("types.set", "<Set>"
                          "<TileType type=\"1000\">Far</TileType>"
                          "<TileType type=\"2\" show=\"false\">Secret</TileType>"
                          "<TileType type=\"5\" defaultstate=\"2\">Five</TileType>"
                          "<TileType type=\"0\">Zero</TileType>"
                          "<TileType type=\"-3\" show=\"false\" defaultstate=\"0\">Minus</TileType>"
                          "</Set>");
    Load("types.set");

    ASSERT_EQ(tileSet.CategoryCount(), 6);
    EXPECT_EQ(Label(0), "Zero");
    EXPECT_EQ(Label(1), "Five");
    EXPECT_EQ(Label(2), "Text");
    EXPECT_EQ(Label(3), "Far");
    EXPECT_EQ(Label(4), "Minus");
    EXPECT_EQ(Label(5), "Secret");
    EXPECT_EQ(tileSet.Category(1).state, kCategoryHidden);
    // Not shown and no default state: locked, and the panel does not list it.
    EXPECT_EQ(tileSet.Category(5).state, kCategoryLocked);
    EXPECT_FALSE(tileSet.Category(5).shown);
    EXPECT_EQ(tileSet.Category(4).state, kCategoryLocked);
    EXPECT_EQ(tileSet.PanelCategoryCount(), 4);
    EXPECT_EQ(tileSet.CategoryOfKind(2), 5);
}

TEST_F(TileSetLoadTest, TileNamesDifferingOnlyInCaseAreRejectedWithinOneFile) {
    WriteSet("base.set", "<Set><Tile name=\"Door\">red.png</Tile></Set>");
    WriteSet("main.set", "<Set basetilesets=\"base.set\">"
                         "<Tile name=\"Door\" type=\"1\">red.png</Tile>"
                         "<Tile name=\"DOOR\" type=\"2\">red.png</Tile>"
                         "</Set>");
    Load("main.set");

    ASSERT_EQ(tileSet.DefinitionCount(), 2);
    EXPECT_EQ(tileSet.Definition(0).Key().ToUtf8(), "base.set:Door");
    EXPECT_EQ(tileSet.Definition(1).Key().ToUtf8(), "main.set:Door");
    EXPECT_EQ(tileSet.Definition(1).Kind(), 1);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].first, "Gridvellum");
    EXPECT_EQ(sink.boxes[0].second,
              "Error: Tile \"main.set:DOOR\" already exists.  Tiles need unique names.\n");
}

TEST_F(TileSetLoadTest, BadTileElementsAreReportedByPositionAndSkipped) {
    WriteSet("bad.set", "<Set>"
                        "<GlobalFlag index=\"0\">Lights</GlobalFlag>"
                        "<Tile type=\"1\">red.png</Tile>"
                        "<Tile name=\"NoImage\"/>"
                        "<Other name=\"x\"/>"
                        "<Tile name=\"Good\">red.png</Tile>"
                        "</Set>");
    Load("bad.set");

    ASSERT_EQ(tileSet.DefinitionCount(), 1);
    EXPECT_EQ(tileSet.Definition(0).Name().ToUtf8(), "Good");
    EXPECT_EQ(tileSet.Definition(0).Index(), 0);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].second,
              "Error: Tile 1 needs a name.\nError: Tile 2 needs a filename for the tile image.\n");
}

TEST_F(TileSetLoadTest, BooleansAreTrueOnlyWhenTheTextStartsWithTrue) {
    const std::pair<const char*, bool> cases[] = {{"1", false},   {"True", true}, {"trueish", true},
                                                  {"TRUE", true}, {"yes", false}, {" true", true}};
    for (const auto& [text, expected] : cases) {
        // The XML layer trims attribute values, so " true" arrives as "true".
        WriteSet("grid.set", std::string("<Set publishwithgrid=\"") + text + "\"/>");
        Load("grid.set");
        EXPECT_EQ(tileSet.Settings().publishWithGrid, expected) << text;
    }
}

TEST_F(TileSetLoadTest, ScalesOfZeroOrNonsenseStayOne) {
    WriteSet("scale.set", "<Set>"
                          "<Tile name=\"A\" xscale=\"0\" yscale=\"2.5\">red.png</Tile>"
                          "<Tile name=\"B\" xscale=\"nan\" yscale=\"-1\">red.png</Tile>"
                          "<Tile name=\"C\" xscale=\"\">red.png</Tile>"
                          "</Set>");
    Load("scale.set");

    ASSERT_EQ(tileSet.DefinitionCount(), 3);
    EXPECT_EQ(tileSet.Definition(0).XScale(), 1.0);
    EXPECT_EQ(tileSet.Definition(0).YScale(), 2.5);
    EXPECT_EQ(tileSet.Definition(1).XScale(), 1.0);
    EXPECT_EQ(tileSet.Definition(1).YScale(), -1.0);
    EXPECT_EQ(tileSet.Definition(2).XScale(), 1.0);
}

TEST_F(TileSetLoadTest, GridSizeSetsBothGridsAndTheFinerSnapSizes) {
    WriteSet("g32.set", "<Set gridsize=\"32\"/>");
    Load("g32.set");
    EXPECT_EQ(tileSet.GridSize(), 32);
    EXPECT_EQ(tileSet.DrawGridSize(), 32);
    EXPECT_EQ(tileSet.HalfGridSize(), 16);
    EXPECT_EQ(tileSet.QuarterGridSize(), 8);
    EXPECT_EQ(tileSet.EighthGridSize(), 4);

    WriteSet("g40.set", "<Set drawgridsize=\"48\" gridsize=\"40\"/>");
    Load("g40.set");
    EXPECT_EQ(tileSet.GridSize(), 40);
    EXPECT_EQ(tileSet.DrawGridSize(), 48);

    // Each load starts from the defaults.
    WriteSet("none.set", "<Set/>");
    Load("none.set");
    EXPECT_EQ(tileSet.GridSize(), 64);
    EXPECT_EQ(tileSet.DrawGridSize(), 64);
    EXPECT_EQ(tileSet.EighthGridSize(), 8);
}

TEST_F(TileSetLoadTest, GridSizesBelowOneAreIgnoredAndSnapSizesNeverReachZero) {
    WriteSet("zero.set", "<Set gridsize=\"0\" drawgridsize=\"-5\"/>");
    Load("zero.set");
    EXPECT_EQ(tileSet.GridSize(), 64);
    EXPECT_EQ(tileSet.DrawGridSize(), 64);

    WriteSet("tiny.set", "<Set gridsize=\"3\"/>");
    Load("tiny.set");
    EXPECT_EQ(tileSet.GridSize(), 3);
    EXPECT_EQ(tileSet.HalfGridSize(), 1);
    EXPECT_EQ(tileSet.QuarterGridSize(), 1);
    EXPECT_EQ(tileSet.EighthGridSize(), 1);
    EXPECT_EQ(tileSet.GridFit(5.0), 6.0);
}

TEST_F(TileSetLoadTest, BaseTileSetsSeparatedByBlanksOrCommasAllLoadInOrder) {
    WriteSet("one.set", "<Set gridsize=\"16\"><Tile name=\"A\">red.png</Tile></Set>");
    WriteSet("two.set", "<Set gridsize=\"24\"><Tile name=\"B\">red.png</Tile></Set>");
    WriteSet("blank.set", "<Set basetilesets=\"one.set  two.set\"><Tile name=\"C\">red.png</Tile></Set>");
    WriteSet("comma.set",
             "<Set basetilesets=\"two.set, one.set\" gridsize=\"8\"><Tile name=\"C\">red.png</Tile></Set>");

    Load("blank.set");
    ASSERT_EQ(tileSet.DefinitionCount(), 3);
    EXPECT_EQ(tileSet.Definition(0).Key().ToUtf8(), "one.set:A");
    EXPECT_EQ(tileSet.Definition(1).Key().ToUtf8(), "two.set:B");
    EXPECT_EQ(tileSet.Definition(2).Key().ToUtf8(), "blank.set:C");
    EXPECT_EQ(tileSet.GridSize(), 24); // later files overwrite settings
    EXPECT_EQ(tileSet.Name().ToUtf8(), "blank.set");

    Load("comma.set");
    ASSERT_EQ(tileSet.DefinitionCount(), 3);
    EXPECT_EQ(tileSet.Definition(0).Key().ToUtf8(), "two.set:B");
    EXPECT_EQ(tileSet.Definition(1).Key().ToUtf8(), "one.set:A");
    EXPECT_EQ(tileSet.GridSize(), 8);
    EXPECT_TRUE(sink.boxes.empty()) << AllErrors();
}

TEST_F(TileSetLoadTest, DrawEntriesResolveOnlyTilesReadBeforeThem) {
    const float values[6] = {0.0f, 1.0f, -1.0f, 0.0f, 12.5f, -3.0f};
    const std::string matrix = WString::EncodeBytes(values, sizeof values).ToUtf8();
    WriteSet("base.set", "<Set><Tile name=\"Shadow\">red.png</Tile></Set>");
    WriteSet("draw.set", "<Set basetilesets=\"base.set\">"
                         "<Tile name=\"Door\">red.png"
                         "<PreDrawTile name=\"draw.set:Later\" type=\"1\" index=\"4\"/>"
                         "<PreDrawTile name=\"draw.set:door\" matrix=\"" +
                             matrix +
                             "\" type=\"5\" index=\"7\"/>"
                             "<PostDrawTile name=\"elsewhere.set:SHADOW\" type=\"3\" index=\"2\"/>"
                             "<PostDrawTile name=\"draw.set:Door\" matrix=\"garbage\" type=\"9\"/>"
                             "</Tile>"
                             "<Tile name=\"Later\">red.png</Tile>"
                             "</Set>");
    Load("draw.set");

    ASSERT_EQ(tileSet.DefinitionCount(), 3);
    const TileDef& door = tileSet.Definition(1);
    ASSERT_EQ(door.PreDraw().size(), 2u);
    ASSERT_EQ(door.PostDraw().size(), 2u);

    const DrawEntry& later = door.PreDraw()[0];
    EXPECT_EQ(later.definition, 0); // not read yet: the first definition
    EXPECT_EQ(later.condition, kDrawIfGlobalFlagSet);
    EXPECT_EQ(later.flagIndex, 4);
    EXPECT_TRUE(later.matrix.Equals(Matrix3::Identity()));

    const DrawEntry& self = door.PreDraw()[1];
    EXPECT_EQ(self.definition, 1);
    EXPECT_EQ(self.condition, kDrawIfSelected);
    EXPECT_EQ(self.flagIndex, 0); // only conditions 1 to 4 read a flag
    Matrix3 expected;
    expected.Set(0.0, 1.0, -1.0, 0.0, 12.5, -3.0);
    EXPECT_TRUE(self.matrix.Equals(expected));
    const Vec2 mapped = self.matrix.TransformPoint(Vec2(2.0f, 0.0f));
    EXPECT_FLOAT_EQ(mapped.X(), 12.5f);
    EXPECT_FLOAT_EQ(mapped.Y(), -1.0f);

    EXPECT_EQ(door.PostDraw()[0].definition, 0); // found by the name after ".set:"
    EXPECT_EQ(door.PostDraw()[0].flagIndex, 2);
    EXPECT_EQ(door.PostDraw()[1].condition, 9);
    EXPECT_TRUE(door.PostDraw()[1].matrix.Equals(Matrix3::Identity()));
}

TEST_F(TileSetLoadTest, MissingTilesetIsReportedWithItsFullPath) {
    Load("nothing.set");

    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].first, "Gridvellum");
    EXPECT_EQ(sink.boxes[0].second,
              "Error, could not open tileset:\"" + dir.Join("nothing.set") + "\" File does not exist.");
    EXPECT_EQ(tileSet.DefinitionCount(), 0);
    EXPECT_EQ(tileSet.CategoryCount(), 5); // the default categories are still there
    EXPECT_EQ(tileSet.Name().ToUtf8(), "nothing.set");
}

TEST_F(TileSetLoadTest, UnreadableTilesetIsReportedAsLackingReadPermission) {
    dir.MakeDir("folder.set");
    Load("folder.set");
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].second, "Error, could not open tileset:\"" + dir.Join("folder.set") +
                                        "\" File does not have read permissions.");

    if (::geteuid() != 0) { // the superuser reads anything
        WriteSet("locked.set", "<Set/>");
        ::chmod(dir.Join("locked.set").c_str(), 0);
        Load("locked.set");
        ASSERT_EQ(sink.boxes.size(), 2u);
        EXPECT_EQ(sink.boxes[1].second, "Error, could not open tileset:\"" + dir.Join("locked.set") +
                                            "\" File does not have read permissions.");
    }
}

TEST_F(TileSetLoadTest, MalformedTilesetGetsItsOwnReason) {
    dir.Write("broken.set", "this is not xml at all");
    Load("broken.set");
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].second, "Error, could not open tileset:\"" + dir.Join("broken.set") +
                                        "\" File is not a readable XML document.");
    EXPECT_EQ(tileSet.CategoryCount(), 5);
}

TEST_F(TileSetLoadTest, TilesetThatIncludesItselfIsReadOnce) {
    WriteSet("a.set", "<Set basetilesets=\"b.set\"><Tile name=\"A\">red.png</Tile></Set>");
    WriteSet("b.set", "<Set basetilesets=\"A.SET, b.set\"><Tile name=\"B\">red.png</Tile></Set>");
    Load("a.set");

    ASSERT_EQ(tileSet.DefinitionCount(), 2);
    EXPECT_EQ(tileSet.Definition(0).Key().ToUtf8(), "b.set:B");
    EXPECT_EQ(tileSet.Definition(1).Key().ToUtf8(), "a.set:A");
    // b.set's own box names both files it may not include.
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].second, "Error, tileset includes itself:\"" + dir.Join("a.set") +
                                        "\"\nError, tileset includes itself:\"" + dir.Join("b.set") + "\"\n");
}

TEST_F(TileSetLoadTest, DeeplyNestedBaseTilesetsStopAtTheNestingLimit) {
    const int files = TileSetLoader::kMaxNesting + 4;
    for (int i = 0; i < files; ++i) {
        WriteSet("n" + std::to_string(i) + ".set", "<Set basetilesets=\"n" + std::to_string(i + 1) +
                                                       ".set\"><Tile name=\"T\">red.png</Tile></Set>");
    }
    Load("n0.set");
    EXPECT_EQ(tileSet.DefinitionCount(), TileSetLoader::kMaxNesting + 1);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].second,
              "Error, tilesets are nested too deeply:\"" +
                  dir.Join("n" + std::to_string(TileSetLoader::kMaxNesting + 1) + ".set") + "\"\n");
}

TEST_F(TileSetLoadTest, BaseTilesetsNamedOverAndOverStopAtTheFileLimit) {
    // Every level names the next one ten times: without a limit this would read 10^6 files.
    std::string list;
    for (int i = 0; i < 10; ++i) {
        list += "f1.set ";
    }
    WriteSet("f0.set", "<Set basetilesets=\"" + list + "\"/>");
    for (int level = 1; level < 6; ++level) {
        std::string next;
        for (int i = 0; i < 10; ++i) {
            next += "f" + std::to_string(level + 1) + ".set ";
        }
        WriteSet("f" + std::to_string(level) + ".set", "<Set basetilesets=\"" + next + "\"/>");
    }
    WriteSet("f6.set", "<Set/>");
    Load("f0.set");
    EXPECT_NE(AllErrors().find("Error, too many tilesets included:"), std::string::npos);
}

TEST_F(TileSetLoadTest, NamesWrittenOnOtherSystemsResolveAcrossSlashAndCase) {
    dir.Write("Tiles/Dungeon.set", SetFile("<Set><Tile name=\"Door\">art\\DOOR.PNG</Tile></Set>"));
    dir.Write("Art/door.png", SolidPng(6, 3, 0, 255, 0));
    Load("tiles\\dungeon.set");

    EXPECT_TRUE(sink.boxes.empty()) << AllErrors();
    ASSERT_EQ(tileSet.DefinitionCount(), 1);
    EXPECT_EQ(tileSet.Name().ToUtf8(), "tiles\\dungeon.set");
    EXPECT_EQ(tileSet.Definition(0).Key().ToUtf8(), "tiles\\dungeon.set:Door");
    EXPECT_EQ(tileSet.Definition(0).Image().Width(), 6); // the real picture, not the grey stand-in
    EXPECT_EQ(tileSet.Definition(0).ImageSlot().path.ToUtf8(), dir.Join("Art/door.png"));
}

TEST_F(TileSetLoadTest, GlobalFlagStatesComeFromTheSettingsBeforeTheirDefaults) {
    settings.binary["Show Traps"] = {1};
    settings.binary["Lights"] = {0};
    settings.binary["Empty"] = {};
    WriteSet("base.set", "<Set><GlobalFlag index=\"0\">Show Traps</GlobalFlag></Set>");
    WriteSet("flags.set", "<Set basetilesets=\"base.set\">"
                          "<GlobalFlag index=\"0\" defaultstate=\"true\">Overridden</GlobalFlag>"
                          "<GlobalFlag index=\"3\" defaultstate=\"true\">Lights</GlobalFlag>"
                          "<GlobalFlag index=\"2\" defaultstate=\"true\">Doors</GlobalFlag>"
                          "<GlobalFlag index=\"4\" defaultstate=\"true\">Empty</GlobalFlag>"
                          "</Set>");
    Load("flags.set");

    ASSERT_EQ(tileSet.GlobalFlagCount(), 5);
    EXPECT_EQ(tileSet.GlobalFlagLabel(0).ToUtf8(), "Show Traps"); // the first definition wins
    EXPECT_TRUE(tileSet.GlobalFlag(0));
    EXPECT_TRUE(tileSet.GlobalFlagLabel(1).IsEmpty());
    EXPECT_FALSE(tileSet.GlobalFlag(1));
    EXPECT_TRUE(tileSet.GlobalFlag(2));  // nothing stored: the default
    EXPECT_FALSE(tileSet.GlobalFlag(3)); // stored 0 beats the default
    EXPECT_TRUE(tileSet.GlobalFlag(4));  // an empty stored value has no first byte
    EXPECT_FALSE(tileSet.GlobalFlag(99));

    tileSet.ToggleGlobalFlag(2);
    EXPECT_FALSE(tileSet.GlobalFlag(2));
    EXPECT_EQ(settings.binary["Doors"], std::vector<std::uint8_t>{0});
    tileSet.ToggleGlobalFlag(3);
    EXPECT_EQ(settings.binary["Lights"], std::vector<std::uint8_t>{1});
    tileSet.ToggleGlobalFlag(1); // undefined: nothing is stored under an empty label
    EXPECT_EQ(settings.binary.count(""), 0u);
}

TEST_F(TileSetLoadTest, FlagNumbersOutsideTheAllowedRangeAreReported) {
    WriteSet("range.set", "<Set>"
                          "<GlobalFlag index=\"2000000000\">Huge</GlobalFlag>"
                          "<Tile name=\"Door\">red.png<LocalFlag index=\"-1\">Bad</LocalFlag></Tile>"
                          "</Set>");
    Load("range.set");
    EXPECT_EQ(tileSet.GlobalFlagCount(), 0);
    EXPECT_EQ(tileSet.Definition(0).LocalFlagCount(), 0);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].second,
              "Error: GlobalFlag 0 needs an index from 0 to 1023.\n"
              "Error: LocalFlag of Tile \"range.set:Door\" needs an index from 0 to 1023.\n");
}

TEST_F(TileSetLoadTest, LocalFlagSlotsGrowToTheHighestIndexAndKeepTheirFirstDefinition) {
    WriteSet("local.set", "<Set><Tile name=\"Door\">red.png"
                          "<LocalFlag index=\"2\" defaultstate=\"true\">Open</LocalFlag>"
                          "<LocalFlag index=\"0\">Locked</LocalFlag>"
                          "<LocalFlag index=\"2\">Again</LocalFlag>"
                          "</Tile></Set>");
    Load("local.set");
    const TileDef& door = tileSet.Definition(0);
    ASSERT_EQ(door.LocalFlagCount(), 3);
    EXPECT_EQ(door.LocalFlagLabel(0).ToUtf8(), "Locked");
    EXPECT_FALSE(door.LocalFlagDefault(0));
    EXPECT_TRUE(door.LocalFlagLabel(1).IsEmpty());
    EXPECT_EQ(door.LocalFlagLabel(2).ToUtf8(), "Open");
    EXPECT_TRUE(door.LocalFlagDefault(2));
}

TEST_F(TileSetLoadTest, FindMatchesKeysWithoutCaseThenTheNameAfterDotSet) {
    WriteSet("base.set", "<Set><Tile name=\"Floor\">red.png</Tile></Set>");
    WriteSet("find.set", "<Set basetilesets=\"base.set\">"
                         "<Tile name=\"Door\">red.png</Tile><Tile name=\"Chest\">red.png</Tile></Set>");
    Load("find.set");

    EXPECT_EQ(tileSet.Find(u"find.set:Chest"), 2);
    EXPECT_EQ(tileSet.Find(u"FIND.SET:door"), 1);
    EXPECT_EQ(tileSet.Find(u"base.set:floor"), 0);
    EXPECT_EQ(tileSet.Find(u"other.set:chest"), 2);
    EXPECT_EQ(tileSet.Find(u"tiles\\old.set:DOOR"), 1);
    EXPECT_EQ(tileSet.Find(u"find.set:Nothing"), 0);
    EXPECT_EQ(tileSet.Find(u"Chest"), 0); // a bare name is not a key
    EXPECT_EQ(tileSet.Find(u""), 0);
}

TEST_F(TileSetLoadTest, GridFitRoundsToWholeCellsNeverBelowOne) {
    WriteSet("g.set", "<Set/>");
    Load("g.set");
    EXPECT_EQ(tileSet.GridFit(0.0), 64.0);
    EXPECT_EQ(tileSet.GridFit(10.0), 64.0);
    EXPECT_EQ(tileSet.GridFit(64.0), 64.0);
    EXPECT_EQ(tileSet.GridFit(96.0), 64.0);  // exactly half a cell over stays
    EXPECT_EQ(tileSet.GridFit(97.0), 128.0); // more than half rounds up
    EXPECT_EQ(tileSet.GridFit(200.0), 192.0);
    EXPECT_EQ(tileSet.GridFit(96.9), 64.0); // only the integer part counts
}

TEST_F(TileSetLoadTest, MaximumCountsDriveLabelStatusAndPlacing) {
    WriteSet("max.set", "<Set>"
                        "<Tile name=\"Orc\" type=\"3\" maxcount=\"3\">red.png</Tile>"
                        "<Tile name=\"Hero\" type=\"3\" maxcount=\"1\" warn=\"true\">red.png</Tile>"
                        "<Tile name=\"Wall\" maxcount=\"\">red.png</Tile>"
                        "</Set>");
    Load("max.set");

    EXPECT_EQ(tileSet.TileLabel(0, 2).ToUtf8(), "Orc : 2 used of 3");
    EXPECT_EQ(tileSet.TileLabel(2, 40).ToUtf8(), "Wall");
    EXPECT_FALSE(tileSet.Definition(2).HasMaxCount());

    EXPECT_EQ(tileSet.CountStatus(0, 2), 0);
    EXPECT_EQ(tileSet.CountStatus(0, 3), 1);
    EXPECT_EQ(tileSet.CountStatus(0, 4), 2);
    EXPECT_EQ(tileSet.CountStatus(2, 1000), 0);

    EXPECT_TRUE(tileSet.MayPlace(0, 2));
    EXPECT_FALSE(tileSet.MayPlace(0, 3));
    EXPECT_TRUE(tileSet.MayPlace(1, 1)); // over the maximum, but the definition only warns
    EXPECT_TRUE(tileSet.MayPlace(2, 1000));
    EXPECT_FALSE(tileSet.MayPlace(7, 0)); // no such definition
}

TEST_F(TileSetLoadTest, RootAttributesAreReadAndEmptyOnesKeepTheirValue) {
    WriteSet("look.set", "<Set copyright=\"(c) Us\" fontname=\"Serif\" fontname2=\"x\" backcolor=\"1,2,3\" "
                         "gridcolor=\"\" backpublishcolor=\"10, 20 ,30\" textscreencolor=\"300,0,0\" "
                         "textpublishcolor=\"7,8\" htmltitlecolor=\"#123456\" htmltitlebkcolor=\"red\" "
                         "pathtransparency=\"0.25\" gui_expanded=\"e.png\" gui_textcolor=\"9,9,9\"/>");
    Load("look.set");

    const TileSetSettings& s = tileSet.Settings();
    EXPECT_EQ(s.copyright.ToUtf8(), "(c) Us");
    EXPECT_EQ(s.fontName.ToUtf8(), "Serif");
    EXPECT_EQ(s.backColor, Rgb8(1, 2, 3));
    EXPECT_EQ(s.gridColor, Rgb8(128, 128, 128));
    EXPECT_EQ(s.backPublishColor, Rgb8(10, 20, 30));
    EXPECT_EQ(s.textScreenColor, Rgb8(44, 0, 0)); // 300 kept in 8 bits
    EXPECT_EQ(s.textPublishColor, Rgb8(7, 8, 0));
    EXPECT_EQ(s.htmlTitleColor.ToUtf8(), "#123456");
    EXPECT_EQ(s.htmlTitleBkColor.ToUtf8(), "red");
    EXPECT_FLOAT_EQ(s.pathTransparency, 0.25f);
    EXPECT_EQ(s.guiExpanded.ToUtf8(), "e.png");
    EXPECT_EQ(s.guiCollapsed.ToUtf8(), "gui_typebutton_collapsed.png");
    EXPECT_EQ(s.guiTextColor, Rgb8(9, 9, 9));
}

TEST_F(TileSetLoadTest, TileAttributesAndDefaultsReachTheDefinition) {
    WriteSet("attrs.set",
             "<Set>"
             "<Tile name=\"Trap\" type=\"1\" sort=\"7\" freeplacement=\"true\" pathcolor=\"1,2,3\" "
             "alwaysdrawsmooth=\"True\" highlightonselect=\"false\" showhandles=\"true\">red.png</Tile>"
             "<Tile name=\"Plain\" type=\"2\">red.png</Tile>"
             "</Set>");
    Load("attrs.set");

    const TileDef& trap = tileSet.Definition(0);
    EXPECT_EQ(trap.Kind(), 1);
    EXPECT_EQ(trap.Sort(), 7);
    EXPECT_TRUE(trap.FreePlacement());
    EXPECT_EQ(trap.PathColor(), Rgb8(1, 2, 3));
    EXPECT_TRUE(trap.AlwaysDrawSmooth());
    EXPECT_FALSE(trap.HighlightOnSelect());
    EXPECT_TRUE(trap.ShowHandles());

    const TileDef& plain = tileSet.Definition(1);
    EXPECT_EQ(plain.Sort(), 2); // the kind, when no sort is given
    EXPECT_FALSE(plain.FreePlacement());
    EXPECT_EQ(plain.PathColor(), Rgb8(255, 255, 255));
    EXPECT_TRUE(plain.HighlightOnSelect());
    EXPECT_FALSE(plain.HasFlipImage());
    EXPECT_EQ(plain.SurfaceImage(), nullptr);
    EXPECT_EQ(tileSet.DefinitionsOfKind(2), std::vector<int>{1});
}

TEST_F(TileSetLoadTest, ErrorsOfABaseTilesetShowInItsOwnBoxFirst) {
    WriteSet("base.set", "<Set><Tile/></Set>");
    WriteSet("main.set", "<Set basetilesets=\"base.set, gone.set\"><Tile name=\"X\"/></Set>");
    Load("main.set");

    ASSERT_EQ(sink.boxes.size(), 3u);
    EXPECT_EQ(sink.boxes[0].second, "Error: Tile 0 needs a name.\n");
    EXPECT_EQ(sink.boxes[1].second,
              "Error, could not open tileset:\"" + dir.Join("gone.set") + "\" File does not exist.");
    EXPECT_EQ(sink.boxes[2].second, "Error: Tile 0 needs a filename for the tile image.\n");
}

TEST_F(TileSetLoadTest, LoadingAgainReplacesEverything) {
    settings.binary.clear();
    WriteSet("first.set", "<Set gridsize=\"32\" copyright=\"one\" backimage=\"red.png\">"
                          "<TileType type=\"0\">Only</TileType>"
                          "<GlobalFlag index=\"1\">F</GlobalFlag>"
                          "<Tile name=\"A\">red.png</Tile></Set>");
    WriteSet("second.set", "<Set><Tile name=\"B\">red.png</Tile></Set>");
    Load("first.set");
    ASSERT_EQ(tileSet.DefinitionCount(), 1);
    EXPECT_TRUE(tileSet.BackImage().IsLoaded());

    Load("second.set");
    ASSERT_EQ(tileSet.DefinitionCount(), 1);
    EXPECT_EQ(tileSet.Definition(0).Key().ToUtf8(), "second.set:B");
    EXPECT_EQ(tileSet.Find(u"first.set:A"), 0);
    EXPECT_EQ(tileSet.GlobalFlagCount(), 0);
    EXPECT_EQ(tileSet.CategoryCount(), 5);
    EXPECT_TRUE(tileSet.Settings().copyright.IsEmpty());
    EXPECT_EQ(tileSet.GridSize(), 64);
    EXPECT_FALSE(tileSet.BackImage().IsLoaded());
}

} // namespace
