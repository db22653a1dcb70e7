#include "DocFixture.h"

#include "document/TextTile.h"
#include "document/TileRef.h"
#include "raster/DcRasterCanvas.h"
#include "support/Matrix3.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <vector>

using namespace doctest;

namespace {

class DocumentOpsTest : public ::testing::Test, public DocumentTest {
protected:
    TileRef& Place(int definition, float x, float y) {
        TileRef* tile = doc.AddTile(definition);
        EXPECT_NE(tile, nullptr);
        tile->SetTransform(Matrix3::Translation(x, y));
        tile->UpdateBounds();
        return *tile;
    }
    TextTile& PlaceText(const char16_t* text, float x, float y) {
        auto tile = std::make_unique<TextTile>(doc.Context());
        tile->SetTransform(Matrix3::Translation(x, y));
        tile->SetText(text);
        TextTile* made = tile.get();
        doc.InsertTile(std::move(tile));
        return *made;
    }
    std::vector<int> Sorts() const {
        std::vector<int> sorts;
        for (int i = 0; i < doc.TileCount(); ++i) {
            sorts.push_back(doc.TileAt(i)->Sort());
        }
        return sorts;
    }
    void SetState(int kind, int categoryState) {
        tileSet.SetCategoryState(tileSet.CategoryOfKind(kind), categoryState);
    }
};

TEST_F(DocumentOpsTest, TilesGoToTheEndOfTheirLayerAndTextStaysOnTop) {
    Place(kFloor, 0, 0);                     // sort 0
    TileRef& chest = Place(kChest, 0, 0);    // sort 5
    TextTile& label = PlaceText(u"A", 0, 0); // sort -1
    EXPECT_EQ(Sorts(), (std::vector<int>{0, 5, -1}));
    TileRef& wall = Place(kWall, 0, 0); // sort 2 goes between 0 and 5
    EXPECT_EQ(Sorts(), (std::vector<int>{0, 2, 5, -1}));
    auto seven = std::make_unique<TileRef>(doc.Context());
    seven->SetDefinition(kHero); // sort 3
    doc.InsertTile(std::move(seven));
    EXPECT_EQ(Sorts(), (std::vector<int>{0, 2, 3, 5, -1}));
    TileRef& secondFloor = Place(kFloor, 64, 0); // same sort: after the first floor
    EXPECT_EQ(doc.TileAt(1), &secondFloor);
    EXPECT_EQ(doc.TileAt(2), &wall);
    EXPECT_EQ(doc.TileAt(5), &label);
    EXPECT_EQ(doc.TileAt(4), &chest);
}

TEST_F(DocumentOpsTest, AddTileRespectsMaximumsAndCountsOnlyMapTiles) {
    EXPECT_NE(doc.AddTile(kDoor), nullptr);
    EXPECT_NE(doc.AddTile(kDoor), nullptr);
    EXPECT_EQ(doc.AddTile(kDoor), nullptr);
    EXPECT_EQ(doc.CountPlaced(kDoor), 2);
    EXPECT_NE(doc.AddTile(kWall), nullptr);
    EXPECT_NE(doc.AddTile(kWall), nullptr); // warn lets it pass
    EXPECT_EQ(doc.AddTile(99), nullptr);
    EXPECT_EQ(doc.AddTile(-1), nullptr);
    PlaceText(u"t", 0, 0);
    EXPECT_EQ(doc.CountPlaced(kFloor), 0); // text tiles keep definition 0 but are not counted
    state.changed = false;
    doc.AddTile(kFloor);
    EXPECT_TRUE(state.changed);
    EXPECT_GT(host.repaints, 0);
}

TEST_F(DocumentOpsTest, RestoreSelectionOnlyWhenTheTileCountIsUnchanged) {
    TileRef& a = Place(kFloor, 0, 0);
    TileRef& b = Place(kFloor, 64, 0);
    a.SetSelected(true);
    doc.SaveSelection();
    doc.DeselectAll();
    b.SetSelected(true);
    doc.RestoreSelection();
    EXPECT_TRUE(a.IsSelected());
    EXPECT_FALSE(b.IsSelected());
    doc.DeselectAll();
    b.SetSelected(true);
    Place(kFloor, 128, 0);
    doc.RestoreSelection();
    EXPECT_FALSE(a.IsSelected());
    EXPECT_TRUE(b.IsSelected());
}

TEST_F(DocumentOpsTest, LockedCategoriesAreVisibleButNotSelectable) {
    TileRef& floor = Place(kFloor, 0, 0);
    TileRef& door = Place(kDoor, 0, 0); // object layer lies above the floor
    SetState(1, 1);
    doc.SelectAll();
    EXPECT_TRUE(floor.IsSelected());
    EXPECT_FALSE(door.IsSelected());
    EXPECT_EQ(doc.HitTestVisible(Vec2(50, 10)), &door);
    EXPECT_EQ(doc.HitTestSelectable(Vec2(50, 10)), &floor);
    door.SetSelected(true);
    doc.DeselectUnavailable();
    EXPECT_FALSE(door.IsSelected());
    SetState(1, 2);
    EXPECT_EQ(doc.HitTestVisible(Vec2(50, 10)), &floor);
    EXPECT_EQ(doc.SelectedCount(), 1);
    EXPECT_EQ(doc.SingleSelected(), &floor);
}

TEST_F(DocumentOpsTest, RectangleSelectionUsesTileCentres) {
    TileRef& a = Place(kFloor, 0, 0);      // centre (32, 32)
    TileRef& b = Place(kFloor, 64, 0);     // centre (96, 32)
    doc.SelectInRect(Rect2(0, 32, 0, 32)); // edges included
    EXPECT_TRUE(a.IsSelected());
    EXPECT_FALSE(b.IsSelected());
    doc.SelectInRect(Rect2(0, 200, 0, 200));
    doc.DeselectInRect(Rect2(90, 100, 30, 40));
    EXPECT_TRUE(a.IsSelected());
    EXPECT_FALSE(b.IsSelected());
}

TEST_F(DocumentOpsTest, DocumentBoundsAndTheirWidening) {
    EXPECT_EQ(doc.DocumentBounds(false, true), Rect2()); // no view yet
    host.clientSize = ClientSize{800, 600};
    EXPECT_EQ(doc.DocumentBounds(false, true), Rect2(-400, 400, -300, 300));
    Place(kFloor, 0, 0);
    TileRef& far = Place(kFloor, 1000, 64);
    EXPECT_EQ(doc.DocumentBounds(false, false), Rect2(0, 1064, 0, 128));
    EXPECT_EQ(doc.DocumentBounds(false, true), Rect2(0, 1064, -236, 364));
    far.SetSelected(true);
    EXPECT_EQ(doc.DocumentBounds(true, true), Rect2(1000, 1064, 64, 128));
}

TEST_F(DocumentOpsTest, SelectedColourComesFromTheFirstTintedSelectedTile) {
    state.defaultTint.strength = 0.4;
    EXPECT_DOUBLE_EQ(doc.GetSelectedColor().strength, 0.4);
    TileRef& plain = Place(kFloor, 0, 0);
    TileRef& tinted = Place(kFloor, 64, 0);
    plain.SetTintColor(Rgb8(255, 0, 0));
    plain.SetSelected(true);
    EXPECT_DOUBLE_EQ(doc.GetSelectedColor().red, 1.0);
    tinted.SetTinted(true);
    tinted.SetTintColor(Rgb8(0, 51, 0));
    tinted.SetStrength(0.9);
    tinted.SetSelected(true);
    const auto color = doc.GetSelectedColor();
    EXPECT_DOUBLE_EQ(color.red, 0.0);
    EXPECT_DOUBLE_EQ(color.green, 0.2);
    EXPECT_DOUBLE_EQ(color.strength, 0.9);
}

TEST_F(DocumentOpsTest, NewDocumentIsUntitledUnderTheTilesetAndForgetsEverything) {
    Place(kFloor, 0, 0);
    doc.SetScenario(u"old");
    doc.UndoHistory().push_back(u"x");
    doc.SetModifiedFlag();
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.TileCount(), 0);
    EXPECT_TRUE(doc.Scenario().IsEmpty());
    EXPECT_TRUE(doc.UndoHistory().empty());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.Title().ToUtf8(), "Untitled [test.set]");
    EXPECT_EQ(host.titles.back(), "Untitled [test.set]");
}

TEST_F(DocumentOpsTest, OpenOfABadFileKeepsTheDocumentAndReportsFailure) {
    Place(kFloor, 0, 0);
    doc.SetScenario(u"mine");
    doc.SetModifiedFlag();
    EXPECT_FALSE(doc.OnOpenDocument(dir.WJoin("missing.gv")));
    EXPECT_FALSE(OpenBytes("garbage.gv", "this is not a map"));
    EXPECT_FALSE(OpenBytes("cut.gv", MapText("   <TileRef name=\"test.set:Floor\"").substr(0, 90)));
    EXPECT_FALSE(OpenBytes("empty.gv", ""));
    EXPECT_EQ(doc.TileCount(), 1);
    EXPECT_EQ(doc.Scenario().ToUtf8(), "mine");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(host.titles.empty());
}

TEST_F(DocumentOpsTest, OpenAndSaveSetTitleAndClearTheModifiedFlagButKeepHistories) {
    ASSERT_TRUE(OpenBytes("keep.gv", MapText("")));
    EXPECT_EQ(doc.Title().ToUtf8(), "keep.gv [test.set]");
    EXPECT_EQ(doc.PathName().ToUtf8(), dir.Join("keep.gv"));
    Place(kFloor, 0, 0);
    doc.UndoHistory().push_back(u"step");
    doc.SetModifiedFlag();
    state.changed = true;
    EXPECT_NE(SaveBytes("other.gv"), "");
    EXPECT_EQ(doc.Title().ToUtf8(), "other.gv [test.set]");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(state.changed);
    EXPECT_EQ(doc.UndoHistory().size(), 1u);
}

TEST_F(DocumentOpsTest, SaveThatCannotWriteKeepsTheDocumentModified) {
    Place(kFloor, 0, 0);
    doc.SetModifiedFlag();
    EXPECT_FALSE(doc.OnSaveDocument(dir.WJoin("no/such/folder/map.gv")));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.PathName().IsEmpty());
    // A failed save leaves an existing file as it was.
    dir.Write("keep.gv", "previous");
    std::filesystem::permissions(dir.Path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const bool saved = doc.OnSaveDocument(dir.WJoin("keep.gv"));
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_all);
    if (!saved) { // a privileged user may write anyway
        EXPECT_EQ(dir.Read("keep.gv"), "previous");
        EXPECT_TRUE(doc.IsModified());
    }
}

TEST_F(DocumentOpsTest, TilesetChangeKeepsTheTilesAsTextAndMarksTheDocumentModified) {
    Place(kChest, 64, 64);
    PlaceText(u"Label", 0, 0);
    doc.UndoHistory().push_back(u"old");
    WString kept;
    doc.DetachForTilesetChange(kept);
    EXPECT_EQ(doc.TileCount(), 0);
    EXPECT_TRUE(doc.UndoHistory().empty());
    WriteTestTileSet(dir, "other.set");
    tileSet.Load(u"other.set");
    doc.ReattachAfterTilesetChange(kept);
    ASSERT_EQ(doc.TileCount(), 2);
    EXPECT_EQ(doc.TileAt(0)->DefinitionIndex(), static_cast<unsigned>(kChest)); // found by name
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(DocumentOpsTest, DrawTilesPaintsVisibleTilesAndReportsTheSingleSelection) {
    DcRasterCanvas canvas;
    canvas.SetBitsPerPixel(32);
    ASSERT_TRUE(canvas.Create(200, 100));
    TileRef& floor = Place(kFloor, 0, 0);
    Place(kChest, 100, 0);
    floor.SetSelected(true);
    const Rect2 visible(0, 200, 0, 100);
    EXPECT_EQ(doc.DrawTiles(canvas, Matrix3(), visible, true, false), &floor);
    canvas.Painter().Flush();
    const std::uint8_t* red = canvas.Rows()[10] + 10 * 4;
    EXPECT_EQ(red[2], 255); // selected: lightened toward white, red stays full
    EXPECT_GT(red[1], 0);
    const std::uint8_t* chest = canvas.Rows()[10] + 150 * 4;
    EXPECT_EQ(chest[0], 0);
    EXPECT_EQ(chest[1], 200);
    EXPECT_EQ(chest[2], 200);
    const std::uint8_t* empty = canvas.Rows()[90] + 190 * 4;
    EXPECT_EQ(empty[2], 0);

    canvas.Fill(0);
    SetState(2, 2); // hide pick-up items
    Place(kChest, 100, 0).SetSelected(true);
    EXPECT_EQ(doc.DrawTiles(canvas, Matrix3(), visible, true, false), nullptr); // two selected
    EXPECT_EQ(canvas.Rows()[10][150 * 4 + 1], 0);
}

// Long runs of tiles are drawn by two threads, each into its own rows. The picture must be the one
// that drawing every tile in turn gives: where turned and scaled tiles cross from one half to the
// other, around a text tile that ends a run, for movement paths that reach beyond their tile, and
// under a zoomed view.
TEST_F(DocumentOpsTest, SharedTileDrawingGivesTheBytesOfDrawingEachTileInTurn) {
    dir.Write("step.png", testsupport::SolidPng(8, 8, 255, 255, 255));
    WriteTestTileSet(dir, "test.set", "stepimage=\"step.png\"");
    ASSERT_TRUE(tileSet.Load(u"test.set"));
    std::mt19937 rng(20261208);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const int kinds[] = {kFloor, kHero, kChest};
    for (int i = 0; i < 240; ++i) {
        if (i == 120) {
            PlaceText(u"Middle", 180, 220).SetSelected(true);
        }
        TileRef* tile = doc.AddTile(kinds[i % 3]);
        ASSERT_NE(tile, nullptr);
        const double scale = 0.4 + 1.6 * unit(rng);
        tile->SetTransform(Matrix3::FromParts(unit(rng) * 6.3, unit(rng) * 480 - 40, unit(rng) * 420 - 40,
                                              scale, scale * (0.7 + 0.6 * unit(rng))));
        tile->UpdateBounds();
        tile->SetSelected(i % 7 == 0);
        if (i % 11 == 0) {
            tile->SetTinted(true);
            tile->SetTintColor(Rgb8(20, 200, 90));
            tile->SetStrength(0.6);
        }
        if (i % 40 == 3) { // a path whose last steps lie far from where the tile started
            tile->RecordPathStep();
            tile->SetTransform(Matrix3::FromParts(1.0, 300, 60 + i, 1, 1));
            tile->RecordPathStep();
            tile->SetTransform(Matrix3::FromParts(2.0, 40, 330, 1, 1));
            tile->UpdateBounds();
        }
    }
    const Matrix3 view = Matrix3::FromParts(0, 3.25, 7.5, 0.61, 0.61);
    const Rect2 visible(-20, 520, -20, 460);
    DcRasterCanvas shared;
    DcRasterCanvas inTurn;
    for (DcRasterCanvas* canvas : {&shared, &inTurn}) {
        canvas->SetBitsPerPixel(32);
        ASSERT_TRUE(canvas->Create(311, 263));
        canvas->Fill(0x00402010);
    }
    doc.DrawTiles(shared, view, visible, false, false);
    shared.Painter().Flush();
    for (int i = 0; i < doc.TileCount(); ++i) {
        doc.TileAt(i)->DrawSoftware(inTurn, view, visible, false, false);
    }
    inTurn.Painter().Flush();
    const std::size_t bytes = shared.TotalSize();
    ASSERT_EQ(bytes, inTurn.TotalSize());
    EXPECT_TRUE(std::equal(shared.Pixels(), shared.Pixels() + bytes, inTurn.Pixels()));
    // The comparison proves little unless the tiles cover much of the picture.
    int untouched = 0;
    for (int y = 0; y < shared.Height(); ++y) {
        for (int x = 0; x < shared.Width(); ++x) {
            untouched += shared.Rows()[y][x * 4] == 0x10 && shared.Rows()[y][x * 4 + 2] == 0x40;
        }
    }
    EXPECT_LT(untouched, shared.Width() * shared.Height() / 4);
}

TEST_F(DocumentOpsTest, TintedTileIsDrawnInItsColour) {
    DcRasterCanvas canvas;
    ASSERT_TRUE(canvas.Create(64, 64));
    TileRef& floor = Place(kFloor, 0, 0);
    floor.SetTinted(true);
    floor.SetTintColor(Rgb8(0, 0, 255));
    floor.SetStrength(1.0);
    doc.DrawTiles(canvas, Matrix3(), Rect2(0, 64, 0, 64), true, false);
    const std::uint8_t* pixel = canvas.Rows()[32] + 32 * 3;
    EXPECT_EQ(pixel[0], 255);
    EXPECT_EQ(pixel[2], 0);
}

TEST_F(DocumentOpsTest, TextIsDrawnInTheScreenColourAndSelectedTextGetsABox) {
    DcRasterCanvas canvas;
    canvas.SetBitsPerPixel(32);
    ASSERT_TRUE(canvas.Create(300, 100));
    TextTile& text = PlaceText(u"MMMM", 0, 0);
    doc.DrawTiles(canvas, Matrix3(), Rect2(0, 300, 0, 100), false, false);
    canvas.Painter().Flush();
    int lit = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < static_cast<int>(text.Width()); ++x) {
            lit += canvas.Rows()[y][x * 4] > 128 ? 1 : 0;
        }
    }
    EXPECT_GT(lit, 200); // white letters on black
    EXPECT_EQ(canvas.Rows()[80][290 * 4], 0);

    text.SetSelected(true);
    canvas.Fill(0);
    doc.DrawTiles(canvas, Matrix3(), Rect2(0, 300, 0, 100), false, false);
    canvas.Painter().Flush();
    // Inside the box but away from letters: the grid colour (128 grey) fills it.
    EXPECT_EQ(canvas.Rows()[2][2 * 4 + 1], 128);
}

} // namespace
