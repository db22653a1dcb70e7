#include "TileSetFixture.h"

#include "raster/DcRasterCanvas.h"
#include "tileset/TilePanel.h"
#include "tileset/TileSet.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace tilesettest;

namespace {

struct Bgr {
    int b, g, r;
    bool operator==(const Bgr& other) const { return b == other.b && g == other.g && r == other.r; }
};

std::ostream& operator<<(std::ostream& out, const Bgr& pixel) {
    return out << "(r " << pixel.r << ", g " << pixel.g << ", b " << pixel.b << ")";
}

// The pixel at client (x, y), y down from the top row.
Bgr PixelAt(const RasterCanvas& canvas, int x, int y) {
    const std::uint8_t* p = canvas.Rows()[canvas.Height() - 1 - y] + x * canvas.BytesPerPixel();
    return Bgr{p[0], p[1], p[2]};
}

bool IsRed(const Bgr& pixel) {
    return pixel.r > 200 && pixel.g < 60 && pixel.b < 60;
}

// The tile pictures' colours, allowing for the rounding of smoothed sampling.
bool IsGreen(const Bgr& pixel) {
    return pixel.g > 190 && pixel.r < 10 && pixel.b < 10;
}

bool IsBlue(const Bgr& pixel) {
    return pixel.b > 245 && pixel.r < 10 && pixel.g < 10;
}

// A bar picture whose every column has its own colour, so copies and stretches can be told apart.
std::string StripedBar() {
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < 17; ++y) {
        for (int x = 0; x < 111; ++x) {
            pixels.push_back(static_cast<std::uint8_t>(x * 2));
            pixels.push_back(static_cast<std::uint8_t>(255 - x));
            pixels.push_back(77);
        }
    }
    return EncodePng(111, 17, 3, pixels);
}

Bgr BarColumn(int column) {
    return Bgr{77, 255 - column, column * 2};
}

class TilePanelTest : public ::testing::Test {
protected:
    TilePanelTest() : tileSet(TileSetContext{dir.WPath(), &settings, &sink, false}) {
        dir.Write("green.png", SolidPng(8, 8, 0, 200, 0));
        dir.Write("blue.png", SolidPng(8, 8, 0, 0, 255));
        dir.Write("gui_typebutton_expanded.png", StripedBar());
        dir.Write("gui_typebutton_collapsed.png", StripedBar());
        dir.Write("gui_typebutton_unlocked.png", SolidPng(17, 17, 10, 20, 30));
        dir.Write("gui_typebutton_locked.png", SolidPng(17, 17, 40, 50, 60));
        dir.Write("gui_typebutton_hidden.png", SolidPng(17, 17, 70, 80, 90));
    }

    // A tileset with `mapTiles` map tiles (the first with a maximum of one, the second flippable)
    // and three objects.
    void LoadSet(int mapTiles) {
        std::string root = "<Set backcolor=\"1,2,3\">";
        for (int i = 0; i < mapTiles; ++i) {
            std::string extra;
            if (i == 0) {
                extra = " maxcount=\"1\" warn=\"true\"";
            } else if (i == 1) {
                extra = " flipimage=\"blue.png\"";
            }
            root += "<Tile name=\"M" + std::to_string(i) + "\" type=\"0\"" + extra + ">green.png</Tile>";
        }
        for (int i = 0; i < 3; ++i) {
            root += "<Tile name=\"O" + std::to_string(i) + "\" type=\"1\">green.png</Tile>";
        }
        root += "</Set>";
        dir.Write("panel.set", SetFile(root));
        tileSet.Load(u"panel.set");
        ASSERT_TRUE(sink.boxes.empty()) << sink.boxes.front().second;
    }

    ScratchDir dir;
    MemorySettings settings;
    RecordingSink sink;
    TileSet tileSet;
};

TEST_F(TilePanelTest, PaneIsColumnsTimesTileSizePlusScrollBarAndBadValuesFallBack) {
    TilePanel small(tileSet, 64, 4);
    EXPECT_EQ(small.PanelWidth(), 256);
    EXPECT_EQ(small.PaneWidth(), 273);

    TilePanel fallback(tileSet, 96, 9);
    EXPECT_EQ(fallback.TileSize(), 128);
    EXPECT_EQ(fallback.Columns(), 6);

    EXPECT_FALSE(small.SetTileSize(96));
    EXPECT_FALSE(small.SetTileSize(64)); // unchanged
    EXPECT_FALSE(small.SetColumns(0));
    EXPECT_FALSE(small.SetColumns(7));
    EXPECT_TRUE(small.SetColumns(6));
    EXPECT_TRUE(small.SetTileSize(128));
    EXPECT_EQ(small.PaneWidth(), 6 * 128 + 17);
}

TEST_F(TilePanelTest, SevenTilesInThreeColumnsMakeAGridOfThreeRows) {
    LoadSet(7);
    TilePanel panel(tileSet, 64, 3);
    panel.RebuildAll();
    // Map, object, pick-up, figure and text categories; only the first two hold tiles.
    ASSERT_EQ(panel.CategoryCount(), 5);
    EXPECT_EQ(panel.TilesOf(0).size(), 7u);
    EXPECT_EQ(panel.GridRows(0), 3);
    ASSERT_NE(panel.GridImage(0), nullptr);
    EXPECT_EQ(panel.GridImage(0)->Width(), 192);
    EXPECT_EQ(panel.GridImage(0)->Height(), 192);
    EXPECT_EQ(panel.GridRows(1), 1);
    EXPECT_EQ(panel.GridImage(2), nullptr);
    EXPECT_EQ(panel.GridImage(4), nullptr); // text never has tiles

    panel.SetColumns(2);
    EXPECT_EQ(panel.GridRows(0), 4);
    EXPECT_EQ(panel.GridImage(0)->Width(), 128);
}

TEST_F(TilePanelTest, HeaderClickAtTenCyclesStateAndAtEighteenExpands) {
    LoadSet(3);
    TilePanel panel(tileSet, 64, 2);
    panel.RebuildAll();
    panel.Layout(600);
    EXPECT_EQ(panel.ContentHeight(), 5 * 17);

    EXPECT_EQ(panel.MouseDown(10, 5), TilePanel::Click::StateCycled);
    EXPECT_EQ(tileSet.Category(0).state, kCategoryLocked);
    panel.MouseDown(10, 5);
    EXPECT_EQ(tileSet.Category(0).state, kCategoryHidden);
    panel.MouseDown(17, 5); // the type button reaches x = 17
    EXPECT_EQ(tileSet.Category(0).state, kCategoryUnlocked);
    EXPECT_FALSE(tileSet.Category(0).expanded);

    EXPECT_EQ(panel.MouseDown(18, 5), TilePanel::Click::ExpandToggled);
    EXPECT_TRUE(tileSet.Category(0).expanded);
    EXPECT_EQ(panel.ContentHeight(), 5 * 17 + 2 * 64);
    // The second header now lies below the first category's grid.
    EXPECT_EQ(panel.HitTest(18, 17 + 2 * 64 + 3).category, 1);
    panel.MouseDown(18, 17 + 2 * 64 + 3);
    EXPECT_TRUE(tileSet.Category(1).expanded);
    panel.MouseDown(18, 5);
    EXPECT_FALSE(tileSet.Category(0).expanded);
    EXPECT_EQ(panel.ContentHeight(), 5 * 17 + 2 * 64); // three objects in two columns
}

TEST_F(TilePanelTest, PressOnTilePicksRightHalfPastTheMiddleOfTheCell) {
    LoadSet(3);
    tileSet.SetCategoryExpanded(0, true);
    TilePanel panel(tileSet, 64, 2);
    panel.RebuildAll();
    panel.Layout(600);

    EXPECT_EQ(panel.MouseDown(40, 17 + 10), TilePanel::Click::Picked);
    EXPECT_TRUE(panel.Pick().dragging);
    EXPECT_EQ(panel.Pick().definition, tileSet.DefinitionsOfKind(0)[0]);
    EXPECT_TRUE(panel.Pick().rightHalf);

    panel.MouseDown(32, 17 + 10);
    EXPECT_FALSE(panel.Pick().rightHalf);

    // Second row, first column: the third tile.
    panel.MouseDown(5, 17 + 64 + 5);
    EXPECT_EQ(panel.Pick().definition, tileSet.DefinitionsOfKind(0)[2]);

    // The empty cell beside it picks nothing, and the earlier pick is gone.
    EXPECT_EQ(panel.MouseDown(64 + 5, 17 + 64 + 5), TilePanel::Click::None);
    EXPECT_FALSE(panel.Pick().dragging);

    panel.MouseDown(5, 17 + 5);
    panel.MouseUp();
    EXPECT_FALSE(panel.Pick().dragging);

    // Beyond the panel's width nothing happens, not even on a header row.
    EXPECT_EQ(panel.MouseDown(128, 5), TilePanel::Click::None);
    EXPECT_TRUE(tileSet.Category(0).expanded);
}

TEST_F(TilePanelTest, TilesOfLockedOrHiddenCategoriesCannotBePicked) {
    LoadSet(3);
    tileSet.SetCategoryExpanded(0, true);
    TilePanel panel(tileSet, 64, 2);
    panel.RebuildAll();
    panel.Layout(600);
    tileSet.SetCategoryState(0, kCategoryLocked);
    EXPECT_EQ(panel.MouseDown(5, 17 + 5), TilePanel::Click::None);
    EXPECT_FALSE(panel.Pick().dragging);
    tileSet.SetCategoryState(0, kCategoryHidden);
    EXPECT_EQ(panel.MouseDown(5, 17 + 5), TilePanel::Click::None);
    tileSet.SetCategoryState(0, kCategoryUnlocked);
    EXPECT_EQ(panel.MouseDown(5, 17 + 5), TilePanel::Click::Picked);
}

TEST_F(TilePanelTest, ScrollingMovesByLinesPagesAndWheelStepsWithinTheContent) {
    LoadSet(12);
    tileSet.SetCategoryExpanded(0, true);
    TilePanel panel(tileSet, 64, 1);
    panel.RebuildAll();
    panel.Layout(200);
    const int content = 5 * 17 + 12 * 64;
    ASSERT_EQ(panel.ContentHeight(), content);
    EXPECT_TRUE(panel.ScrollBarEnabled());

    EXPECT_TRUE(panel.Wheel(-120));
    EXPECT_EQ(panel.ScrollPosition(), 51);
    panel.Wheel(0); // no direction counts as toward the end
    EXPECT_EQ(panel.ScrollPosition(), 102);
    panel.Wheel(120);
    EXPECT_EQ(panel.ScrollPosition(), 51);
    panel.ScrollLine(true);
    EXPECT_EQ(panel.ScrollPosition(), 68);
    panel.ScrollPage(true);
    EXPECT_EQ(panel.ScrollPosition(), 268);
    panel.ScrollTo(100000);
    EXPECT_EQ(panel.ScrollPosition(), content - 200);
    EXPECT_FALSE(panel.Wheel(-120));
    panel.ScrollPage(false);
    panel.ScrollTo(-5);
    EXPECT_EQ(panel.ScrollPosition(), 0);

    // Hit tests follow the scroll position.
    panel.ScrollTo(17);
    EXPECT_EQ(panel.HitTest(5, 0).part, TilePanel::Part::Tile);
    EXPECT_EQ(panel.HitTest(5, 0).definition, tileSet.DefinitionsOfKind(0)[0]);

    // Collapsing makes the content shorter than the client: back to the top, no scrolling.
    panel.ScrollTo(300);
    tileSet.SetCategoryExpanded(0, false);
    panel.Layout(200);
    EXPECT_EQ(panel.ScrollPosition(), 0);
    EXPECT_FALSE(panel.ScrollBarEnabled());
    EXPECT_FALSE(panel.Wheel(-120));
    EXPECT_EQ(panel.ScrollPosition(), 0);
}

TEST_F(TilePanelTest, TooltipsNameTheActionTheStateAndTheTileCount) {
    LoadSet(3);
    tileSet.SetCategoryExpanded(1, true);
    TilePanel panel(tileSet, 64, 2);
    panel.RebuildAll();
    panel.Layout(600);
    auto used = [](int) { return 1; };
    EXPECT_EQ(panel.Tooltip(30, 5, used).ToUtf8(), "Expand Map Tiles");
    EXPECT_EQ(panel.Tooltip(30, 17 + 5, used).ToUtf8(), "Collapse Object Tiles");
    EXPECT_EQ(panel.Tooltip(5, 5, used).ToUtf8(), "Map Tiles : unlocked");
    tileSet.SetCategoryState(0, kCategoryLocked);
    EXPECT_EQ(panel.Tooltip(5, 5, used).ToUtf8(), "Map Tiles : locked");
    tileSet.SetCategoryState(0, kCategoryHidden);
    EXPECT_EQ(panel.Tooltip(5, 5, used).ToUtf8(), "Map Tiles : hidden");
    EXPECT_EQ(panel.Tooltip(5, 2 * 17 + 5, used).ToUtf8(), "O0");
    EXPECT_EQ(panel.Tooltip(200, 5, used).ToUtf8(), "");

    tileSet.SetCategoryExpanded(0, true);
    panel.Layout(600);
    EXPECT_EQ(panel.Tooltip(5, 17 + 5, used).ToUtf8(), "M0 : 1 used of 1");
}

class TilePanelPaintTest : public TilePanelTest {
protected:
    void Paint(TilePanel& panel, int width, int height, int used) {
        canvas.SetBitsPerPixel(32);
        ASSERT_TRUE(canvas.EnsureSize(width, height));
        panel.Layout(height);
        panel.Paint(canvas, [used](int) { return used; });
    }

    DcRasterCanvas canvas;
};

TEST_F(TilePanelPaintTest, BarIsCopiedAsItIsAtWidth128AndStretchedOtherwise) {
    LoadSet(3);
    TilePanel natural(tileSet, 64, 2);
    natural.RebuildAll();
    Paint(natural, 128, 200, 0);
    for (int column = 0; column < 111; ++column) {
        ASSERT_EQ(PixelAt(canvas, 17 + column, 8), BarColumn(column)) << "column " << column;
    }
    EXPECT_EQ(PixelAt(canvas, 5, 3), (Bgr{30, 20, 10})); // unlocked button

    TilePanel wide(tileSet, 64, 4);
    wide.RebuildAll();
    Paint(wide, 256, 200, 0);
    // 111 columns spread over 239 pixels: the last pixel shows the last column, the pixel at 128
    // shows one from the middle.
    EXPECT_EQ(PixelAt(canvas, 255, 8), BarColumn(110));
    EXPECT_EQ(PixelAt(canvas, 17, 8), BarColumn(0));
    EXPECT_NE(PixelAt(canvas, 127, 8), BarColumn(110));

    tileSet.SetCategoryState(0, kCategoryHidden);
    Paint(wide, 256, 200, 0);
    EXPECT_EQ(PixelAt(canvas, 5, 3), (Bgr{90, 80, 70}));
    // Below the five headers the back colour fills the rest.
    EXPECT_EQ(PixelAt(canvas, 100, 5 * 17 + 10), (Bgr{3, 2, 1}));
    EXPECT_EQ(PixelAt(canvas, 255, 199), (Bgr{3, 2, 1}));
}

TEST_F(TilePanelPaintTest, TilesAreCentredInTheirCellsAndFlipImagesTakeTheRightHalf) {
    LoadSet(3);
    tileSet.SetCategoryExpanded(0, true);
    TilePanel panel(tileSet, 64, 2);
    panel.RebuildAll();
    Paint(panel, 128, 200, 0);
    const Bgr back{3, 2, 1};
    const int top = 17;
    // First tile: green, 60 pixels across, centred, so the 2 pixels at the cell's edge stay back colour.
    EXPECT_TRUE(IsGreen(PixelAt(canvas, 32, top + 32)));
    EXPECT_TRUE(IsGreen(PixelAt(canvas, 5, top + 32)));
    EXPECT_EQ(PixelAt(canvas, 0, top + 32), back);
    EXPECT_EQ(PixelAt(canvas, 32, top + 0), back);
    // Second tile: green normal face left of the middle, blue flip face right of it, each
    // (32 - 4) / 8 = 3.5 times its size.
    EXPECT_TRUE(IsGreen(PixelAt(canvas, 64 + 16, top + 32)));
    EXPECT_TRUE(IsBlue(PixelAt(canvas, 64 + 48, top + 32)));
    EXPECT_EQ(PixelAt(canvas, 64 + 16, top + 5), back);
    // The faces keep apart: 28 pixels each, centred in their 32-pixel halves.
    EXPECT_EQ(PixelAt(canvas, 64 + 32, top + 32), back);
    EXPECT_EQ(PixelAt(canvas, 64 + 16, top + 32 + 16), back);
}

TEST_F(TilePanelPaintTest, FullTilesGetARedCrossAndOverfullOnesARedCircle) {
    LoadSet(3);
    tileSet.SetCategoryExpanded(0, true);
    TilePanel panel(tileSet, 128, 1);
    panel.RebuildAll();
    const int top = 17;

    Paint(panel, 128, 600, 0);
    EXPECT_FALSE(IsRed(PixelAt(canvas, 40, top + 40)));

    Paint(panel, 128, 600, 1); // M0 has a maximum of 1: full
    EXPECT_TRUE(IsRed(PixelAt(canvas, 40, top + 40)));
    EXPECT_TRUE(IsRed(PixelAt(canvas, 88, top + 40)));
    EXPECT_TRUE(IsRed(PixelAt(canvas, 64, top + 64)));
    EXPECT_FALSE(IsRed(PixelAt(canvas, 64, top + 24)));
    // Only the definition with a maximum is marked.
    EXPECT_FALSE(IsRed(PixelAt(canvas, 64, top + 128 + 64)));

    Paint(panel, 128, 600, 2); // beyond the maximum
    EXPECT_TRUE(IsRed(PixelAt(canvas, 64, top + 21)));
    EXPECT_TRUE(IsRed(PixelAt(canvas, 21, top + 64)));
    EXPECT_FALSE(IsRed(PixelAt(canvas, 64, top + 64)));
}

TEST_F(TilePanelTest, RebuildAfterATilesetLoadFollowsTheNewCategories) {
    LoadSet(3);
    TilePanel panel(tileSet, 64, 2);
    panel.RebuildAll();
    panel.Layout(600);
    tileSet.SetCategoryExpanded(0, true);
    panel.MouseDown(5, 17 + 5);
    ASSERT_TRUE(panel.Pick().dragging);

    dir.Write("other.set", SetFile("<Set><TileType type=\"1\">Things</TileType>"
                                   "<Tile name=\"X\" type=\"1\">green.png</Tile></Set>"));
    tileSet.Load(u"other.set");
    panel.RebuildAll();
    EXPECT_FALSE(panel.Pick().dragging); // the picked definition no longer exists
    ASSERT_EQ(panel.CategoryCount(), 2);
    EXPECT_EQ(panel.TilesOf(0).size(), 1u);
    EXPECT_EQ(panel.Tooltip(30, 5, nullptr).ToUtf8(), "Expand Things");
}

} // namespace

// Map tiles Stone, Élan Wall (blue, at most one) and Grass; objects WALL torch and Chest. The
// tileset's other three categories (pick-up items, figures, text) stay empty: a header each.
class TilePanelSearchTest : public TilePanelPaintTest {
protected:
    void SetUp() override {
        dir.Write("red.png", SolidPng(8, 8, 255, 0, 0));
        dir.Write("search.set",
                  SetFile("<Set backcolor=\"1,2,3\">"
                          "<Tile name=\"Stone\" type=\"0\">green.png</Tile>"
                          "<Tile name=\"\xC3\x89lan Wall\" type=\"0\" maxcount=\"1\">blue.png</Tile>"
                          "<Tile name=\"Grass\" type=\"0\">green.png</Tile>"
                          "<Tile name=\"WALL torch\" type=\"1\">red.png</Tile>"
                          "<Tile name=\"Chest\" type=\"1\">green.png</Tile>"
                          "</Set>"));
        tileSet.Load(u"search.set");
        ASSERT_TRUE(sink.boxes.empty()) << sink.boxes.front().second;
    }
    static constexpr int kOtherHeaders = 3 * 17;
};

TEST_F(TilePanelSearchTest, SearchShowsMatchesOfEveryCategoryAndAnEmptyTextGivesThePanelBack) {
    TilePanel panel(tileSet, 64, 1);
    panel.RebuildAll();
    tileSet.SetCategoryExpanded(0, true);
    tileSet.SetCategoryExpanded(1, true);
    Paint(panel, 64, 100, 1);
    ASSERT_TRUE(panel.ScrollTo(40));
    const std::vector<int> fullMapTiles = panel.TilesOf(0);

    // Case and accents are ignored; the matches come together at the top of each category.
    panel.SetFilter(u"wAlL");
    EXPECT_EQ(panel.MatchCount(), 2);
    EXPECT_EQ(panel.TilesOf(0), std::vector<int>{1});
    EXPECT_EQ(panel.TilesOf(1), std::vector<int>{3});
    EXPECT_EQ(panel.ScrollPosition(), 0);
    Paint(panel, 64, 300, 1);
    const int firstCell = 17 + 32;
    // Above the cross through the cell's middle.
    EXPECT_TRUE(IsBlue(PixelAt(canvas, 32, 17 + 10)));
    // The full tile's red cross lies on the cell it moved to.
    EXPECT_TRUE(IsRed(PixelAt(canvas, 20 + 2, 17 + 20 + 2)));
    EXPECT_EQ(panel.Tooltip(32, firstCell, [](int) { return 1; }).ToUtf8(), "\xC3\x89lan Wall : 1 used of 1");
    // The torch's red cell follows its header right under the one match above.
    EXPECT_TRUE(IsRed(PixelAt(canvas, 32, 17 + 64 + 17 + 32)));
    EXPECT_EQ(panel.ContentHeight(), 17 + 64 + 17 + 64 + kOtherHeaders);
    EXPECT_EQ(panel.MouseDown(40, firstCell), TilePanel::Click::Picked);
    EXPECT_EQ(panel.Pick().definition, 1);
    EXPECT_TRUE(panel.Pick().rightHalf);

    panel.SetFilter(u"ELAN");
    EXPECT_EQ(panel.MatchCount(), 1);
    EXPECT_FALSE(panel.Pick().dragging);
    EXPECT_EQ(panel.TilesOf(1), std::vector<int>{});
    // A category without matches shows its header only; its bar still opens and closes during a
    // search without touching the category's own state.
    EXPECT_EQ(panel.ContentHeight(), 17 + 64 + 17 + kOtherHeaders);
    EXPECT_EQ(panel.MouseDown(30, 5), TilePanel::Click::ExpandToggled);
    EXPECT_EQ(panel.ContentHeight(), 17 + 17 + kOtherHeaders);
    EXPECT_TRUE(tileSet.Category(0).expanded);

    panel.SetFilter(u"");
    EXPECT_FALSE(panel.IsFiltered());
    EXPECT_EQ(panel.TilesOf(0), fullMapTiles);
    EXPECT_EQ(panel.ContentHeight(), 17 + 3 * 64 + 17 + 2 * 64 + kOtherHeaders);
    Paint(panel, 64, 100, 0);
    EXPECT_EQ(panel.ScrollPosition(), 40);
    EXPECT_TRUE(IsBlue(PixelAt(canvas, 32, 17 + 64 + 32 - 40)));
}

TEST_F(TilePanelSearchTest, ASearchSurvivesATilesetReloadAndNoMatchCollapsesEverything) {
    TilePanel panel(tileSet, 64, 2);
    panel.RebuildAll();
    panel.SetFilter(u"zzz");
    EXPECT_EQ(panel.MatchCount(), 0);
    EXPECT_EQ(panel.ContentHeight(), 2 * 17 + kOtherHeaders);
    EXPECT_EQ(panel.HitTest(30, 17 + 5).part, TilePanel::Part::Bar);

    panel.SetFilter(u"sto");
    panel.RebuildAll();
    EXPECT_EQ(panel.MatchCount(), 1);
    EXPECT_EQ(panel.TilesOf(0), std::vector<int>{0});
}
