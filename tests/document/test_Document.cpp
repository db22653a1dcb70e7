#include "DocFixture.h"

#include "document/TextTile.h"
#include "document/TileRef.h"
#include "raster/DcRasterCanvas.h"
#include "support/Matrix3.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace doctest;

namespace {

class DocumentOpsTest : public ::testing::Test, public DocumentTest {
protected:
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
    doc.UndoHistory().emplace_back();
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
    doc.UndoHistory().emplace_back();
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
    doc.UndoHistory().emplace_back();
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

} // namespace
