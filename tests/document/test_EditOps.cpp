#include "DocFixture.h"

#include "document/EditOps.h"
#include "document/TextTile.h"
#include "document/TileRef.h"
#include "document/UndoHistory.h"
#include "support/Matrix3.h"
#include "tileset/TileCategory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

using namespace doctest;

namespace {

class EditOpsTest : public ::testing::Test, public DocumentTest {
protected:
    EditOpsTest() : edits(doc, &host) {}

    TileRef& Place(int definition, double x, double y, bool selected = true) {
        TileRef* tile = doc.AddTile(definition);
        EXPECT_NE(tile, nullptr);
        tile->SetTransform(Matrix3::Translation(x, y));
        tile->UpdateBounds();
        tile->SetSelected(selected);
        return *tile;
    }
    // Inserted directly, past any maximum, as a map read from an older tileset may hold.
    TileRef& Insert(int definition, double x, double y) {
        auto tile = std::make_unique<TileRef>(doc.Context());
        tile->SetDefinition(static_cast<std::uint32_t>(definition));
        tile->SetTransform(Matrix3::Translation(x, y));
        tile->UpdateBounds();
        TileRef* made = tile.get();
        doc.InsertTile(std::move(tile));
        return *made;
    }
    std::vector<Vec2> Origins() const {
        std::vector<Vec2> origins;
        for (int i = 0; i < doc.TileCount(); ++i) {
            origins.push_back(doc.TileAt(i)->Origin());
        }
        return origins;
    }
    void ExpectMatrix(const Matrix3& actual, double m11, double m12, double m21, double m22, double m31,
                      double m32) const {
        Matrix3 expected;
        expected.Set(m11, m12, m21, m22, m31, m32);
        EXPECT_TRUE(actual.Equals(expected))
            << actual.m11() << " " << actual.m12() << " " << actual.m21() << " " << actual.m22() << " "
            << actual.m31() << " " << actual.m32();
    }

    EditOps edits;
};

TEST_F(EditOpsTest, PasteTwiceGivesTwoSetsCentredOnThePoint) {
    Place(kFloor, 0, 0);
    Place(kFloor, 64, 0);
    edits.CopySelected();
    ASSERT_EQ(edits.ClipboardCount(), 2);

    // The pair's box (0..128, 0..64) is centred on (320, 320), then snapped as a group.
    ASSERT_TRUE(edits.PasteAt(Vec2(320, 320)));
    ASSERT_TRUE(edits.PasteAt(Vec2(320, 320)));
    const std::vector<Vec2> expected{Vec2(0, 0),     Vec2(64, 0),    Vec2(256, 256),
                                     Vec2(320, 256), Vec2(256, 256), Vec2(320, 256)};
    EXPECT_EQ(Origins(), expected);
    EXPECT_EQ(doc.SelectedCount(), 2); // only the last paste
    EXPECT_TRUE(doc.TileAt(4)->IsSelected());
    EXPECT_FALSE(doc.TileAt(2)->IsSelected());
    EXPECT_EQ(doc.UndoHistory().size(), 2u);
}

TEST_F(EditOpsTest, PasteSkipsCopiesBeyondTheMaximumCountingThoseJustPasted) {
    // Door allows two without warn; five copies on the clipboard, one door left on the map.
    for (int i = 0; i < 5; ++i) {
        Insert(kDoor, 64.0 * i, 0).SetSelected(true);
    }
    edits.CopySelected();
    ASSERT_EQ(edits.ClipboardCount(), 5);
    doc.TileAt(0)->SetSelected(false);
    ASSERT_TRUE(edits.DeleteSelected());
    ASSERT_EQ(doc.CountPlaced(kDoor), 1);

    EXPECT_TRUE(edits.PasteAt(Vec2(0, 0)));
    EXPECT_EQ(doc.CountPlaced(kDoor), 2);
    EXPECT_EQ(doc.SelectedCount(), 1);
    EXPECT_FALSE(edits.PasteAt(Vec2(0, 0))); // nothing more fits: no step
    EXPECT_EQ(doc.CountPlaced(kDoor), 2);

    // Wall warns instead of refusing, so copies beyond its maximum of one are placed.
    doc.DeselectAll();
    Place(kWall, 0, 128);
    edits.CopySelected();
    EXPECT_TRUE(edits.PasteAt(Vec2(0, 0)));
    EXPECT_EQ(doc.CountPlaced(kWall), 2);
}

TEST_F(EditOpsTest, PasteSkipsCopiesOfLockedCategories) {
    Place(kFloor, 0, 0);
    Place(kChest, 64, 0);
    edits.CopySelected();
    tileSet.SetCategoryState(tileSet.CategoryOfKind(2), kCategoryLocked);
    ASSERT_TRUE(edits.PasteAt(Vec2(500, 500)));
    EXPECT_EQ(doc.CountPlaced(kFloor), 2);
    EXPECT_EQ(doc.CountPlaced(kChest), 1);
}

TEST_F(EditOpsTest, EmptyClipboardPastesNothingAndCopyWithoutSelectionKeepsIt) {
    EXPECT_FALSE(edits.PasteAt(Vec2(0, 0)));
    Place(kFloor, 0, 0);
    edits.CopySelected();
    doc.DeselectAll();
    edits.CopySelected();
    EXPECT_EQ(edits.ClipboardCount(), 1);
}

TEST_F(EditOpsTest, CutRemovesTheTilesAndKeepsCopiesWithoutPaths) {
    TileRef& floor = Place(kFloor, 0, 0);
    floor.RecordPathStep();
    floor.SetTransform(Matrix3::Translation(64, 0));
    Place(kChest, 128, 0, false);
    ASSERT_TRUE(edits.CutSelected());
    ASSERT_EQ(doc.TileCount(), 1);
    EXPECT_EQ(doc.TileAt(0)->DefinitionIndex(), static_cast<std::uint32_t>(kChest));
    ASSERT_TRUE(edits.PasteAt(Vec2(32, 32)));
    const TileRef* pasted = doc.TileAt(0);
    EXPECT_EQ(pasted->DefinitionIndex(), static_cast<std::uint32_t>(kFloor));
    EXPECT_EQ(pasted->PathLength(), 1);
    EXPECT_EQ(pasted->Origin(), Vec2(0, 0));
}

TEST_F(EditOpsTest, GroupSnapPutsTheFirstSnappingTileOnTheGrid) {
    TileRef& free = Place(kFloor, 10, 10);
    free.SetFree(true);
    Place(kFloor, 70, 20);
    Place(kFloor, 140, 30);
    edits.SnapSelection();
    // The group moves by (-6, -20); the free tile keeps its place, the third snaps on its own.
    const std::vector<Vec2> expected{Vec2(4, -10), Vec2(64, 0), Vec2(128, 0)};
    EXPECT_EQ(Origins(), expected);
}

TEST_F(EditOpsTest, GroupSnapOfOnlyFreeTilesMovesNothing) {
    Place(kHero, 10, 10);
    Place(kHero, 75, 3);
    edits.SnapSelection();
    const std::vector<Vec2> expected{Vec2(10, 10), Vec2(75, 3)};
    EXPECT_EQ(Origins(), expected);
}

TEST_F(EditOpsTest, GroupSnapOfTextUsesTheQuarterGrid) {
    for (float x : {13.0f, 40.0f}) {
        auto text = std::make_unique<TextTile>(doc.Context());
        text->SetTransform(Matrix3::Translation(x, 13));
        text->SetText(u"Go");
        text->SetSelected(true);
        doc.InsertTile(std::move(text));
    }
    edits.SnapSelection();
    // On the quarter grid (16, threshold 8) 13 goes up to 16; on the full grid it would go down to 0.
    EXPECT_EQ(doc.TileAt(0)->Origin(), Vec2(16, 16));
    EXPECT_EQ(doc.TileAt(1)->Origin(), Vec2(48, 16));
}

TEST_F(EditOpsTest, DeleteFlipScaleAndTintAreEachOneStep) {
    Place(kHero, 0, 0);
    Place(kFloor, 64, 0, false);

    ASSERT_TRUE(edits.FlipSelected());
    const TileRef* hero = doc.TileAt(1);
    EXPECT_TRUE(hero->IsFlipped());
    EXPECT_EQ(hero->Bounds(), Rect2(0, 48, 0, 32)); // the flip image's size

    ASSERT_TRUE(edits.ScaleSelected(2, 3));
    ExpectMatrix(hero->Transform(), 2, 0, 0, 3, 0, 0);

    ASSERT_TRUE(edits.SetSelectedColor(true, 1.0, 0.5, 0.0, 0.8));
    EXPECT_TRUE(hero->IsTinted());
    EXPECT_EQ(hero->TintColor(), Rgb8(255, 127, 0));
    EXPECT_DOUBLE_EQ(hero->Strength(), 0.8);
    // The same colour with another strength is not a step.
    EXPECT_FALSE(edits.SetSelectedColor(true, 1.0, 0.5, 0.0, 0.3));
    EXPECT_DOUBLE_EQ(hero->Strength(), 0.3);
    ASSERT_TRUE(edits.SetSelectedColor(false, 0, 0, 0, 0));
    EXPECT_FALSE(hero->IsTinted());

    ASSERT_TRUE(edits.DeleteSelected());
    ASSERT_EQ(doc.TileCount(), 1);
    EXPECT_EQ(doc.TileAt(0)->DefinitionIndex(), static_cast<std::uint32_t>(kFloor));
    EXPECT_EQ(doc.UndoHistory().size(), 5u);

    UndoHistory history(doc);
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(doc.TileCount(), 2);
}

TEST_F(EditOpsTest, FlipWithoutFlipImageIsNoStep) {
    Place(kFloor, 0, 0);
    EXPECT_FALSE(edits.FlipSelected());
    EXPECT_FALSE(doc.TileAt(0)->IsFlipped());
}

TEST_F(EditOpsTest, QuarterTurnTurnsAboutTheSelectionCentre) {
    TileRef& tile = Place(kFloor, 0, 0);
    edits.RotateSelected90();
    // About (32, 32): the origin moves to (64, 0) and the x axis points up.
    ExpectMatrix(tile.Transform(), 0, 1, -1, 0, 64, 0);
}

TEST_F(EditOpsTest, RotationDuringADragIsRelativeToTheStart) {
    TileRef& tile = Place(kFloor, 0, 0);
    std::vector<Matrix3> saved;
    edits.SaveSelectedTransforms(saved);
    ASSERT_EQ(saved.size(), 1u);
    edits.RotateSelectedAbout(saved, Vec2(0, 0), 0.3);
    edits.RotateSelectedAbout(saved, Vec2(0, 0), std::numbers::pi);
    ExpectMatrix(tile.Transform(), -1, 0, 0, -1, 0, 0);
    const Rect2& box = tile.Bounds();
    EXPECT_NEAR(box.MinX(), -64, 1e-4);
    EXPECT_NEAR(box.MaxX(), 0, 1e-4);
    EXPECT_NEAR(box.MinY(), -64, 1e-4);
    EXPECT_NEAR(box.MaxY(), 0, 1e-4);
}

TEST_F(EditOpsTest, ResizeDragsTheFirstSelectedTile) {
    Place(kFloor, 0, 0, false);
    TileRef& second = Place(kFloor, 128, 0);
    Place(kFloor, 256, 0);
    edits.ResizeSelected(Vec2(128 + 74, 32), TileRef::kHandleRight, false);
    EXPECT_NEAR(second.Transform().m11(), 74.0 / 64.0, 1e-6);
    EXPECT_NEAR(doc.TileAt(2)->Transform().m11(), 1.0, 1e-9);
}

TEST_F(EditOpsTest, RaisePutsSelectedTilesAtTheEndOfTheirLayer) {
    TileRef& a = Place(kFloor, 0, 0);
    TileRef& b = Place(kFloor, 64, 0, false);
    TileRef& chest = Place(kChest, 0, 0);
    TileRef& c = Place(kFloor, 128, 0, false);
    edits.RaiseSelected();
    ASSERT_EQ(doc.TileCount(), 4);
    EXPECT_EQ(doc.TileAt(0), &b);
    EXPECT_EQ(doc.TileAt(1), &c);
    EXPECT_EQ(doc.TileAt(2), &a);
    EXPECT_EQ(doc.TileAt(3), &chest);
}

TEST_F(EditOpsTest, SetFreeWithoutSelectionDoesNothing) {
    Place(kFloor, 0, 0, false);
    EXPECT_FALSE(edits.SetSelectedFree(true));
    EXPECT_FALSE(doc.TileAt(0)->FreeFlag());
}

} // namespace
