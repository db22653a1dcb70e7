#include "DocFixture.h"

#include "document/MapFile.h"
#include "document/TextTile.h"
#include "document/TileRef.h"
#include "support/Matrix3.h"
#include "support/XmlDocument.h"

#include <gtest/gtest.h>

using namespace doctest;

namespace {

class MapFormatTest : public ::testing::Test, public DocumentTest {
protected:
    TileRef& Tile(int index) { return *doc.TileAt(index); }
    TextTile& Text(int index) { return static_cast<TextTile&>(*doc.TileAt(index)); }
};

TEST(MatrixEncoding, IdentityIsTheKnownThirtyEightCharacters) {
    EXPECT_EQ(MapFile::EncodeMatrix(Matrix3()).ToUtf8(), "gaaaaaaacapWaaaaaaaaaaaacapWaaaaaaaaaa");
}

TEST(MatrixEncoding, DecodesWhatItEncodesAtSinglePrecision) {
    Matrix3 m;
    m.Set(0.1, -2.5, 3.25, 1e-3, -1234.5, 98765.0);
    const WString text = MapFile::EncodeMatrix(m);
    ASSERT_EQ(text.Length(), MapFile::kMatrixChars);
    EXPECT_LT(text.Find(u","), 0);
    Matrix3 back;
    ASSERT_TRUE(MapFile::DecodeMatrix(text, back));
    EXPECT_EQ(back.m11(), static_cast<double>(0.1f));
    EXPECT_EQ(back.m12(), -2.5);
    EXPECT_EQ(back.m21(), 3.25);
    EXPECT_EQ(back.m22(), static_cast<double>(1e-3f));
    EXPECT_EQ(back.m31(), -1234.5);
    EXPECT_EQ(back.m32(), 98765.0);
}

TEST(MatrixEncoding, TextThatDoesNotCarryExactlyTwentyFourBytesLeavesTheMatrixAlone) {
    Matrix3 kept = Matrix3::Translation(7, 9);
    std::uint8_t sixteen[16] = {};
    for (const WString& bad :
         {WString(u""), WString(u"gaaaaa"), WString(u"gaaaaaaacapW"), WString::EncodeBytes(sixteen, 16),
          WString(u"!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!")}) {
        EXPECT_FALSE(MapFile::DecodeMatrix(bad, kept)) << bad.ToUtf8();
        EXPECT_TRUE(kept.Equals(Matrix3::Translation(7, 9)));
    }
}

TEST(MatrixEncoding, InfiniteEntriesAreRefused) {
    Matrix3 m;
    m.Set(1, 0, 0, 1, 1e300, 0); // beyond single precision: becomes infinite
    Matrix3 kept;
    EXPECT_FALSE(MapFile::DecodeMatrix(MapFile::EncodeMatrix(m), kept));
    EXPECT_TRUE(kept.Equals(Matrix3()));
}

std::string At(double x, double y) {
    return Encoded(1, 0, 0, 1, x, y);
}

std::string Utf16Le(const std::u16string& text) {
    std::string bytes("\xFF\xFE", 2);
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

TEST_F(MapFormatTest, MapWrittenReadAndWrittenAgainIsByteIdentical) {
    const std::string file =
        MapText("   <Scenario>The heroes enter.\r\nBeware the trap.</Scenario>\r\n"
                "   <TileRef name=\"test.set:Floor\" matrix=\"" +
                At(0, 0) +
                "\"/>\r\n"
                "   <TileRef name=\"test.set:Floor\" matrix=\"" +
                Encoded(0, 1, -1, 0, 128, -64) +
                "\" color=\"255,0,10\" color_percentage=\"0.5\" freeplacement=\"true\"/>\r\n"
                "   <TileRef name=\"test.set:Door\" matrix=\"" +
                At(64, 0) +
                "\" color=\"0,0,0\" color_percentage=\"1.0\"/>\r\n"
                "   <TileRef name=\"test.set:Hero\" matrix=\"" +
                At(10.5, 20.25) + "," + At(74.5, 20.25) + "," + Encoded(0, 1, -1, 0, 74.5, 84.25) +
                "\" flip=\"true\"/>\r\n"
                "   <TileRef name=\"test.set:Chest\" matrix=\"" +
                At(192, 64) +
                "\" localflags=\"101\"/>\r\n"
                "   <TextTile matrix=\"" +
                At(16, 48) +
                "\" text=\"Entry &amp; exit &lt;here&gt;\"/>\r\n"
                "   <TextTile matrix=\"" +
                At(3.5, 7.25) + "\" color=\"10,20,30\" freeplacement=\"true\" text=\"Zwölf\"/>\r\n");
    ASSERT_TRUE(OpenBytes("in.gv", file));
    ASSERT_EQ(doc.TileCount(), 7);
    EXPECT_EQ(SaveBytes("out.gv"), file);
    ASSERT_TRUE(OpenBytes("again.gv", dir.Read("out.gv")));
    EXPECT_EQ(SaveBytes("out2.gv"), file);
}

TEST_F(MapFormatTest, ReadValuesLandInTheTiles) {
    ASSERT_TRUE(
        OpenBytes("in.gv", MapText("   <TileRef name=\"test.set:Floor\" matrix=\"" + At(128, 64) +
                                   "\" color=\"255,0,10\" color_percentage=\"0.5\" flip=\"true\"/>\r\n")));
    TileRef& floor = Tile(0);
    EXPECT_EQ(floor.DefinitionIndex(), static_cast<unsigned>(kFloor));
    EXPECT_TRUE(floor.IsTinted());
    EXPECT_EQ(floor.TintColor(), Rgb8(255, 0, 10));
    EXPECT_DOUBLE_EQ(floor.Strength(), 0.5);
    // Floor has no flip image, but the flag is kept as read.
    EXPECT_TRUE(floor.IsFlipped());
    EXPECT_EQ(floor.Origin(), Vec2(128, 64));
    EXPECT_EQ(doc.Scenario().ToUtf8(), "");
}

TEST_F(MapFormatTest, TextTileListedFirstEndsUpAboveTheMapTiles) {
    ASSERT_TRUE(OpenBytes("in.gv", MapText("   <TextTile matrix=\"" + At(0, 0) +
                                           "\" text=\"Hall\"/>\r\n"
                                           "   <TileRef name=\"test.set:Chest\" matrix=\"" +
                                           At(0, 0) +
                                           "\"/>\r\n"
                                           "   <TileRef name=\"test.set:Floor\" matrix=\"" +
                                           At(64, 0) + "\"/>\r\n")));
    ASSERT_EQ(doc.TileCount(), 3);
    EXPECT_EQ(Tile(0).DefinitionIndex(), static_cast<unsigned>(kFloor));
    EXPECT_EQ(Tile(1).DefinitionIndex(), static_cast<unsigned>(kChest));
    EXPECT_EQ(Tile(2).Kind(), -1);
}

TEST_F(MapFormatTest, TilesOffTheGridComeBackSnappedUnlessPlacedFreely) {
    ASSERT_TRUE(OpenBytes("in.gv", MapText("   <TileRef name=\"test.set:Floor\" matrix=\"" +
                                           Encoded(0.8, 0.6, -0.6, 0.8, 95.9, -10) +
                                           "\"/>\r\n"
                                           "   <TileRef name=\"test.set:Floor\" matrix=\"" +
                                           At(95.9, -10) +
                                           "\" freeplacement=\"TRUE\"/>\r\n"
                                           "   <TileRef name=\"test.set:Hero\" matrix=\"" +
                                           At(5.5, 6.5) +
                                           "\"/>\r\n"
                                           "   <TextTile matrix=\"" +
                                           At(13, 7) + "\" text=\"T\"/>\r\n")));
    ASSERT_EQ(doc.TileCount(), 4);
    // Rotated by about 37 degrees: back to no turn, origin on the 64 grid.
    const Matrix3& snapped = Tile(0).Transform();
    EXPECT_NEAR(snapped.m11(), 1.0, 1e-6);
    EXPECT_EQ(snapped.m12(), 0.0);
    EXPECT_EQ(snapped.m21(), 0.0);
    EXPECT_EQ(Tile(0).Origin(), Vec2(64, 0));
    EXPECT_NEAR(Tile(1).Origin().X(), 95.9, 1e-4);
    EXPECT_EQ(Tile(1).Origin().Y(), -10.0f);
    EXPECT_EQ(Tile(2).Origin(), Vec2(5.5, 6.5)); // Hero's definition places freely
    // Text snaps on a quarter cell: 13 -> 16, 7 -> 0 (threshold 8).
    EXPECT_EQ(Tile(3).Origin(), Vec2(16, 0));
}

TEST_F(MapFormatTest, NamesResolveByKeyThenByNameElseToTheFirstDefinition) {
    ASSERT_TRUE(OpenBytes("in.gv", MapText("   <TileRef name=\"TEST.SET:chest\" matrix=\"" + At(0, 0) +
                                           "\"/>\r\n"
                                           "   <TileRef name=\"tiles\\other.set:Chest\" matrix=\"" +
                                           At(64, 0) +
                                           "\"/>\r\n"
                                           "   <TileRef name=\"test.set:Dragon\" matrix=\"" +
                                           At(128, 0) +
                                           "\"/>\r\n"
                                           "   <TileRef matrix=\"" +
                                           At(192, 0) +
                                           "\" id=\"3\"/>\r\n"
                                           "   <TileRef name=\"\" matrix=\"" +
                                           At(256, 0) + "\" id=\"99\"/>\r\n")));
    ASSERT_EQ(doc.TileCount(), 4);                                       // id 99 is out of range and dropped
    EXPECT_EQ(Tile(0).DefinitionIndex(), static_cast<unsigned>(kFloor)); // the unknown name
    EXPECT_EQ(Tile(0).Origin(), Vec2(128, 0));
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(Tile(i).DefinitionIndex(), static_cast<unsigned>(kChest)) << i;
    }
    // Resolved tiles are written under their own key.
    EXPECT_NE(SaveBytes("out.gv").find("name=\"test.set:Chest\" matrix=\"" + At(64, 0)), std::string::npos);
}

TEST_F(MapFormatTest, TilesBeyondTheMaximumAreDroppedUnlessTheDefinitionWarns) {
    std::string tiles;
    for (int i = 0; i < 4; ++i) {
        tiles += "   <TileRef name=\"test.set:Door\" matrix=\"" + At(64 * i, 0) + "\"/>\r\n";
        tiles += "   <TileRef name=\"test.set:Wall\" matrix=\"" + At(64 * i, 64) + "\"/>\r\n";
    }
    ASSERT_TRUE(OpenBytes("in.gv", MapText(tiles)));
    EXPECT_EQ(doc.CountPlaced(kDoor), 2);
    EXPECT_EQ(doc.CountPlaced(kWall), 4);
    EXPECT_EQ(doc.TileAt(0)->Origin(), Vec2(0, 0)); // the first doors are the ones kept
    EXPECT_EQ(doc.TileAt(1)->Origin(), Vec2(64, 0));
}

TEST_F(MapFormatTest, LocalFlagsReadOnlyTheDigitsTheDefinitionHasRoomFor) {
    ASSERT_TRUE(OpenBytes("in.gv", MapText("   <TileRef name=\"test.set:Chest\" matrix=\"" + At(0, 0) +
                                           "\" localflags=\"x01\"/>\r\n"
                                           "   <TileRef name=\"test.set:Chest\" matrix=\"" +
                                           At(64, 0) +
                                           "\" localflags=\"0111111\"/>\r\n"
                                           "   <TileRef name=\"test.set:Chest\" matrix=\"" +
                                           At(128, 0) + "\"/>\r\n")));
    ASSERT_EQ(doc.TileCount(), 3);
    EXPECT_EQ(Tile(0).LocalFlagCount(), 3);
    EXPECT_TRUE(Tile(0).LocalFlag(0)); // x keeps the default, which is on
    EXPECT_FALSE(Tile(0).LocalFlag(1));
    EXPECT_TRUE(Tile(0).LocalFlag(2));
    EXPECT_EQ(Tile(1).LocalFlagCount(), 3);
    EXPECT_FALSE(Tile(1).LocalFlag(0));
    EXPECT_TRUE(Tile(1).LocalFlag(2));
    EXPECT_TRUE(Tile(2).LocalFlag(0)); // defaults without the attribute
    EXPECT_FALSE(Tile(2).LocalFlag(2));
}

TEST_F(MapFormatTest, ColoursAndStrengthsAreReadLeniently) {
    state.defaultTint.strength = 0.6;
    ASSERT_TRUE(OpenBytes("in.gv", MapText("   <TileRef name=\"test.set:Floor\" matrix=\"" + At(0, 0) +
                                           "\" color=\"300, 20\" color_percentage=\"1.7\"/>\r\n"
                                           "   <TileRef name=\"test.set:Floor\" matrix=\"" +
                                           At(64, 0) +
                                           "\" color=\"1,2,3\" color_percentage=\"-0.3\"/>\r\n"
                                           "   <TileRef name=\"test.set:Floor\" matrix=\"" +
                                           At(128, 0) +
                                           "\" color=\"1,2,3\"/>\r\n"
                                           "   <TileRef name=\"test.set:Floor\" matrix=\"" +
                                           At(192, 0) + "\" color=\"\" color_percentage=\"0.9\"/>\r\n")));
    ASSERT_EQ(doc.TileCount(), 4);
    EXPECT_EQ(Tile(0).TintColor(), Rgb8(300 & 0xFF, 20, 0));
    EXPECT_DOUBLE_EQ(Tile(0).Strength(), 1.0);
    EXPECT_DOUBLE_EQ(Tile(1).Strength(), 0.0);
    EXPECT_DOUBLE_EQ(Tile(2).Strength(), 0.6);
    EXPECT_FALSE(Tile(3).IsTinted());
    EXPECT_DOUBLE_EQ(Tile(3).Strength(), 0.6); // not read without a colour
}

TEST_F(MapFormatTest, MatrixListGivesAMovementPathWhoseLastStepIsCurrent) {
    ASSERT_TRUE(OpenBytes("in.gv", MapText("   <TileRef name=\"test.set:Hero\" matrix=\" " + At(1, 2) +
                                           " , " + At(65, 2) + "," + At(129, 66) +
                                           "\"/>\r\n"
                                           "   <TileRef name=\"test.set:Hero\" matrix=\"" +
                                           At(1, 2) + ",garbage," + At(7, 8) +
                                           "\"/>\r\n"
                                           "   <TileRef name=\"test.set:Hero\" matrix=\"broken\"/>\r\n")));
    ASSERT_EQ(doc.TileCount(), 3);
    EXPECT_EQ(Tile(0).PathLength(), 3);
    EXPECT_EQ(Tile(0).Origin(), Vec2(129, 66));
    EXPECT_TRUE(Tile(0).PathStep(1).Equals(Matrix3::Translation(65, 2)));
    // A damaged step keeps what it had: a new step starts at the identity.
    EXPECT_EQ(Tile(1).PathLength(), 3);
    EXPECT_TRUE(Tile(1).PathStep(1).Equals(Matrix3()));
    EXPECT_EQ(Tile(1).Origin(), Vec2(7, 8));
    EXPECT_EQ(Tile(2).PathLength(), 1);
    EXPECT_TRUE(Tile(2).Transform().Equals(Matrix3()));
}

TEST_F(MapFormatTest, ScenarioIsWrittenOnlyWhenThereIsOneAndNeverInTheClipboardForm) {
    doc.AddTile(kFloor);
    EXPECT_EQ(SaveBytes("plain.gv").find("Scenario"), std::string::npos);
    doc.SetScenario(u"Find the key.");
    EXPECT_NE(SaveBytes("with.gv").find("   <Scenario>Find the key.</Scenario>\r\n"), std::string::npos);
    WString text;
    doc.ToText(text);
    EXPECT_EQ(text.Find(u"Scenario"), -1);
    EXPECT_TRUE(text.StartsWith(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<Gridvellum"));

    ASSERT_TRUE(doc.OnOpenDocument(dir.WJoin("with.gv")));
    EXPECT_EQ(doc.Scenario().ToUtf8(), "Find the key.");
    ASSERT_TRUE(doc.OnOpenDocument(dir.WJoin("plain.gv")));
    EXPECT_TRUE(doc.Scenario().IsEmpty());
}

TEST_F(MapFormatTest, TextFormRoundTripsTheTilesWithoutTouchingScenarioOrTileset) {
    ASSERT_TRUE(OpenBytes("in.gv", MapText("   <Scenario>Keep me</Scenario>\r\n"
                                           "   <TileRef name=\"test.set:Hero\" matrix=\"" +
                                           At(1, 2) + "," + At(3, 4) +
                                           "\" color=\"9,8,7\" color_percentage=\"0.75\"/>\r\n"
                                           "   <TextTile matrix=\"" +
                                           At(16, 16) + "\" text=\"Note\"/>\r\n")));
    WString before;
    doc.ToText(before);
    const size_t requests = host.tileSetRequests.size();
    doc.DeleteAllTiles();
    ASSERT_TRUE(doc.LoadTilesFromText(before));
    WString after;
    doc.ToText(after);
    EXPECT_EQ(after.ToUtf8(), before.ToUtf8());
    EXPECT_EQ(doc.Scenario().ToUtf8(), "Keep me");
    EXPECT_EQ(host.tileSetRequests.size(), requests);
    EXPECT_FALSE(doc.LoadTilesFromText(u"<Gridvellum><TileRef"));
    EXPECT_EQ(doc.TileCount(), 2);
}

TEST_F(MapFormatTest, EmptyTextsAreDroppedWhenRead) {
    ASSERT_TRUE(OpenBytes("in.gv", MapText("   <TextTile matrix=\"" + At(0, 0) +
                                           "\" text=\"\"/>\r\n"
                                           "   <TextTile matrix=\"" +
                                           At(0, 0) +
                                           "\" text=\" \"/>\r\n"
                                           "   <TextTile matrix=\"" +
                                           At(0, 0) + "\" text=\"  \"/>\r\n")));
    ASSERT_EQ(doc.TileCount(), 1);
    EXPECT_EQ(static_cast<TextTile&>(Tile(0)).Text().ToUtf8(), "  ");
}

TEST_F(MapFormatTest, OpeningAMapSwitchesToItsTilesetThroughTheHost) {
    WriteTestTileSet(dir, "tiles/dungeon.set");
    ASSERT_TRUE(OpenBytes(
        "keep.gv", MapText("   <TileRef name=\"tiles\\dungeon.set:Door\" matrix=\"" + At(0, 0) + "\"/>\r\n",
                           "tiles\\dungeon.set")));
    ASSERT_EQ(host.tileSetRequests.size(), 1u);
    EXPECT_EQ(host.tileSetRequests[0], "tiles\\dungeon.set");
    EXPECT_EQ(tileSet.Name().ToUtf8(), "tiles\\dungeon.set");
    ASSERT_EQ(doc.TileCount(), 1);
    EXPECT_EQ(doc.TileAt(0)->DefinitionIndex(), static_cast<unsigned>(kDoor));
    EXPECT_EQ(doc.Title().ToUtf8(), "keep.gv [tiles\\dungeon.set]");
    EXPECT_NE(SaveBytes("keep2.gv").find("tileset=\"tiles\\dungeon.set\""), std::string::npos);
}

TEST_F(MapFormatTest, Utf16AndWindows1252FilesAreRead) {
    const std::string tile = "<TextTile matrix=\"" + At(0, 0) + "\" text=\"";
    std::u16string utf16 =
        u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Gridvellum tileset=\"test.set\">";
    for (char c : tile) {
        utf16 += static_cast<char16_t>(c);
    }
    utf16 += u"Zw\u00f6lf \u20ac\u4e2d\"/></Gridvellum>";
    ASSERT_TRUE(OpenBytes("wide.gv", Utf16Le(utf16)));
    ASSERT_EQ(doc.TileCount(), 1);
    EXPECT_EQ(static_cast<TextTile&>(Tile(0)).Text().ToUtf8(), "Zw\xc3\xb6lf \xe2\x82\xac\xe4\xb8\xad");

    ASSERT_TRUE(OpenBytes("ansi.gv", "<?xml version=\"1.0\"?>\r\n<Gridvellum tileset=\"test.set\">" + tile +
                                         "Zw\xf6lf \x80\"/></Gridvellum>"));
    ASSERT_EQ(doc.TileCount(), 1);
    EXPECT_EQ(static_cast<TextTile&>(Tile(0)).Text().ToUtf8(), "Zw\xc3\xb6lf \xe2\x82\xac");
}

} // namespace

namespace {

std::string TreeText(const CGridvellumDoc& doc) {
    XmlDocument tree;
    doc.WriteXml(tree, true);
    WString text;
    tree.ToText(text);
    return text.ToUtf8();
}

TEST_F(MapFormatTest, SnapshotTextIsWhatTheXmlWriterWouldWrite) {
    WString empty;
    doc.ToText(empty);
    EXPECT_EQ(empty.ToUtf8(), TreeText(doc));
    ASSERT_TRUE(OpenBytes(
        "in.gv", MapText("   <Scenario>Not in snapshots</Scenario>\r\n"
                         "   <TileRef name=\"test.set:Chest\" matrix=\"" +
                         At(64, 0) + "," + At(0, 0) +
                         "\" color=\"1,2,3\" color_percentage=\"0.3\" flip=\"true\" freeplacement=\"true\" "
                         "localflags=\"010\"/>\r\n"
                         "   <TextTile matrix=\"" +
                         At(0, 0) +
                         "\" color=\"4,5,6\" freeplacement=\"true\" "
                         "text=\" &quot;Quotes&quot; &amp; &apos;marks&apos; &lt;&gt; \"/>\r\n")));
    WString full;
    doc.ToText(full);
    EXPECT_EQ(full.ToUtf8(), TreeText(doc));
    EXPECT_NE(full.Find(u"&quot;Quotes&quot;"), -1);
}

} // namespace
