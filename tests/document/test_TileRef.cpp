#include "DocFixture.h"

#include "document/TileRef.h"
#include "support/Matrix3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace doctest;

namespace {

constexpr double kPi = std::numbers::pi;

class TileRefTest : public ::testing::Test, public DocumentTest {
protected:
    static Matrix3 Turned(double degrees, double sx, double sy, double x, double y) {
        return Matrix3::FromParts(degrees * kPi / 180.0, x, y, sx, sy);
    }
};

TEST_F(TileRefTest, NewTileTakesTheDefaultTintAndDefinitionFlags) {
    state.defaultTint = DefaultTint{Rgb8(1, 2, 3), 0.7, true};
    TileRef& chest = Place(kChest, Matrix3());
    EXPECT_TRUE(chest.IsTinted());
    EXPECT_EQ(chest.TintColor(), Rgb8(1, 2, 3));
    EXPECT_DOUBLE_EQ(chest.Strength(), 0.7);
    ASSERT_EQ(chest.LocalFlagCount(), 3);
    EXPECT_TRUE(chest.LocalFlag(0));
    EXPECT_FALSE(chest.LocalFlag(1));
    EXPECT_FALSE(chest.LocalFlag(5));
}

TEST_F(TileRefTest, SnapTurnsToTheNearestQuarterAndKeepsAxisLengths) {
    TileRef& tile = Place(kFloor, Turned(50, 2, 3, 0, 0));
    tile.Snap();
    EXPECT_NEAR(tile.Transform().m11(), 0, 1e-12);
    EXPECT_NEAR(tile.Transform().m12(), 2, 1e-12);
    EXPECT_NEAR(tile.Transform().m21(), -3, 1e-12);
    EXPECT_NEAR(tile.Transform().m22(), 0, 1e-12);

    tile.SetTransform(Turned(45, 1, 1, 0, 0));
    tile.Snap();
    EXPECT_NEAR(tile.Transform().m11(), 1, 1e-12);
    EXPECT_NEAR(tile.Transform().m12(), 0, 1e-12);

    tile.SetTransform(Turned(181, 1, 1, 0, 0));
    tile.Snap();
    EXPECT_NEAR(tile.Transform().m11(), -1, 1e-12);
    tile.SetTransform(Turned(-80, 1, 1, 0, 0));
    tile.Snap();
    EXPECT_NEAR(tile.Transform().m12(), -1, 1e-12);
    EXPECT_NEAR(tile.Transform().m21(), 1, 1e-12);
}

TEST_F(TileRefTest, SnapMovesTheOriginToTheGridWithHalvesGoingDown) {
    TileRef& tile = Place(kFloor, Matrix3::Translation(95.9, -10));
    tile.Snap();
    EXPECT_EQ(tile.Origin(), Vec2(64, 0));
    tile.SetTransform(Matrix3::Translation(96.5, 0));
    tile.Snap();
    EXPECT_EQ(tile.Origin(), Vec2(128, 0));
    tile.SetTransform(Matrix3::Translation(96, -96));
    tile.Snap();
    EXPECT_EQ(tile.Origin(), Vec2(64, -128)); // down means toward minus infinity
    EXPECT_EQ(tile.Bounds(), Rect2(64, 128, -128, -64));
}

TEST_F(TileRefTest, FreeTilesDoNotSnapButGetFreshBounds) {
    TileRef& hero = Place(kHero, Matrix3::Translation(10.5, 3.25)); // free by definition
    TileRef& floor = Place(kFloor, Matrix3::Translation(10.5, 3.25));
    floor.SetFree(true);
    for (TileRef* tile : {&hero, &floor}) {
        EXPECT_TRUE(tile->IsFree());
        tile->SetTransform(Matrix3::Translation(20.5, 3.25));
        tile->Snap();
        EXPECT_EQ(tile->Origin(), Vec2(20.5, 3.25));
        EXPECT_EQ(tile->Bounds().MinX(), 20.5f);
    }
}

TEST_F(TileRefTest, HitTestSkipsNearlyTransparentPixelsAndRoundsToPixelCentres) {
    TileRef& door = Place(kDoor, Matrix3::Translation(100, 200)); // left half transparent
    EXPECT_FALSE(door.HitTest(Vec2(110, 210)));
    EXPECT_TRUE(door.HitTest(Vec2(150, 210)));
    // x = 31.6 rounds to column 32, the first opaque one; 31.4 stays in the transparent half.
    EXPECT_TRUE(door.HitTest(Vec2(131.6f, 210)));
    EXPECT_FALSE(door.HitTest(Vec2(131.4f, 210)));
    // The right edge is inside the box but rounds past the last column.
    EXPECT_FALSE(door.HitTest(Vec2(164, 210)));
    EXPECT_FALSE(door.HitTest(Vec2(165, 210)));

    TileRef& floor = Place(kFloor, Matrix3::Translation(0, 0));
    EXPECT_TRUE(floor.HitTest(Vec2(0.4f, 0)));
    EXPECT_TRUE(floor.HitTest(Vec2(0, 0)));
}

TEST_F(TileRefTest, FlippedTileUsesTheFlipImageForBoundsAndHits) {
    TileRef& hero = Place(kHero, Matrix3());
    EXPECT_TRUE(hero.CanFlip());
    EXPECT_EQ(hero.Bounds(), Rect2(0, 32, 0, 48));
    hero.SetFlipped(true);
    hero.UpdateBounds();
    EXPECT_EQ(hero.Bounds(), Rect2(0, 48, 0, 32));
    EXPECT_TRUE(hero.HitTest(Vec2(40, 10)));
    EXPECT_FALSE(Place(kFloor, Matrix3()).CanFlip());
}

TEST_F(TileRefTest, DefinitionOutOfRangeIsNeutral) {
    TileRef tile(doc.Context());
    tile.SetDefinition(999);
    EXPECT_EQ(tile.DefinitionIndex(), 0u);
    EXPECT_NE(tile.Definition(), nullptr); // index 0 is the Floor

    tileSet.Clear();
    TileRef orphan(doc.Context());
    orphan.SetTransform(Matrix3::Translation(5, 6));
    orphan.UpdateBounds();
    EXPECT_EQ(orphan.Definition(), nullptr);
    EXPECT_EQ(orphan.Image(false), nullptr);
    EXPECT_EQ(orphan.Kind(), 0);
    EXPECT_EQ(orphan.Sort(), 0);
    EXPECT_EQ(orphan.Bounds(), Rect2(5, 5, 6, 6));
    EXPECT_FALSE(orphan.HitTest(Vec2(5, 6)));
}

TEST_F(TileRefTest, HandlePointsAreTheEdgeMiddles) {
    TileRef& floor = Place(kFloor, Matrix3::Translation(64, 128));
    const auto handles = floor.HandlePoints();
    EXPECT_EQ(handles[0], Vec2(64, 160));
    EXPECT_EQ(handles[1], Vec2(128, 160));
    EXPECT_EQ(handles[2], Vec2(96, 192));
    EXPECT_EQ(handles[3], Vec2(96, 128));
}

TEST_F(TileRefTest, DraggingTheRightHandleStretchesAndSnapsToWholeCells) {
    TileRef& floor = Place(kFloor, Matrix3());
    floor.ResizeByHandle(Vec2(74, 32), TileRef::kHandleRight, false);
    EXPECT_NEAR(floor.Transform().m11(), 74.0 / 64.0, 1e-6);
    EXPECT_NEAR(floor.Transform().m22(), 1.0, 1e-6);
    EXPECT_EQ(floor.Origin(), Vec2(0, 0));

    floor.ResizeByHandle(Vec2(96, 32), TileRef::kHandleRight, true);
    EXPECT_NEAR(floor.Bounds().Width(), 64, 1e-4);
    floor.ResizeByHandle(Vec2(97, 32), TileRef::kHandleRight, true);
    EXPECT_NEAR(floor.Bounds().Width(), 128, 1e-4);
    // Never below one cell.
    floor.ResizeByHandle(Vec2(3, 32), TileRef::kHandleRight, true);
    EXPECT_NEAR(floor.Bounds().Width(), 64, 1e-4);
}

TEST_F(TileRefTest, DraggingAHandleSidewaysTurnsTheTileAboutTheOppositeHandle) {
    TileRef& floor = Place(kFloor, Matrix3());
    // Drag the right handle straight up: the tile turns a quarter about the left handle (0, 32).
    floor.ResizeByHandle(Vec2(0, 96), TileRef::kHandleRight, false);
    const auto handles = floor.HandlePoints();
    EXPECT_NEAR(handles[0].X(), 0, 1e-4);
    EXPECT_NEAR(handles[0].Y(), 32, 1e-4);
    EXPECT_NEAR(handles[1].X(), 0, 1e-4);
    EXPECT_NEAR(handles[1].Y(), 96, 1e-4);

    TileRef& other = Place(kFloor, Matrix3());
    // Drag the bottom handle down by 16: taller, the top edge stays.
    other.ResizeByHandle(Vec2(32, -16), TileRef::kHandleBottom, false);
    EXPECT_NEAR(other.Bounds().MinY(), -16, 1e-4);
    EXPECT_NEAR(other.Bounds().MaxY(), 64, 1e-4);
    EXPECT_NEAR(other.Bounds().Width(), 64, 1e-4);
    other.ResizeByHandle(Vec2(32, 100), TileRef::kHandleTop, false);
    EXPECT_NEAR(other.Bounds().MinY(), -16, 1e-4);
    EXPECT_NEAR(other.Bounds().MaxY(), 100, 1e-4);
}

TEST_F(TileRefTest, SetScaleKeepsRotationAndOrigin) {
    TileRef& floor = Place(kFloor, Turned(90, 2, 3, 64, 64));
    floor.SetScale(1, 1);
    EXPECT_NEAR(floor.Transform().m11(), 0, 1e-9);
    EXPECT_NEAR(floor.Transform().m12(), 1, 1e-9);
    EXPECT_NEAR(floor.Transform().m21(), -1, 1e-9);
    EXPECT_EQ(floor.Origin(), Vec2(64, 64));
    EXPECT_EQ(floor.Bounds(), Rect2(0, 64, 64, 128));
}

TEST_F(TileRefTest, CopyHasNoPathDefaultLocalFlagsAndLeavesTheChangedFlag) {
    TileRef& chest = Place(kChest, Matrix3::Translation(64, 0));
    chest.SetLocalFlag(0, false);
    chest.SetLocalFlag(2, true);
    chest.RecordPathStep();
    chest.SetTransform(Matrix3::Translation(128, 0));
    chest.SetTinted(true);
    chest.SetStrength(0.8);
    state.changed = false;
    TileRef copy(doc.Context());
    copy.CopyFrom(chest);
    EXPECT_FALSE(state.changed);
    EXPECT_EQ(copy.PathLength(), 1);
    EXPECT_EQ(copy.Origin(), Vec2(128, 0));
    EXPECT_TRUE(copy.LocalFlag(0));
    EXPECT_FALSE(copy.LocalFlag(2));
    EXPECT_TRUE(copy.IsTinted());
    EXPECT_DOUBLE_EQ(copy.Strength(), 0.8);
    EXPECT_EQ(copy.Bounds(), Rect2(128, 192, 0, 64));
}

TEST_F(TileRefTest, ChangeCheckSeesMovesAndFlagTogglesButNotRepeats) {
    TileRef& chest = Place(kChest, Matrix3());
    chest.TakeSnapshot();
    state.changed = false;
    chest.CheckChanged();
    EXPECT_FALSE(state.changed);
    chest.SetTransform(Matrix3::Translation(1e-7, 0));
    chest.CheckChanged();
    EXPECT_FALSE(state.changed);
    chest.SetLocalFlag(2, true);
    chest.CheckChanged();
    EXPECT_TRUE(state.changed);
    state.changed = false;
    chest.CheckChanged(); // the snapshot followed
    EXPECT_FALSE(state.changed);
    chest.SetTransform(Matrix3::Translation(64, 0));
    chest.CheckChanged();
    EXPECT_TRUE(state.changed);
}

TEST_F(TileRefTest, PathStepsRecordDropRepeatsAndClear) {
    TileRef& hero = Place(kHero, Matrix3());
    hero.RecordPathStep();
    EXPECT_TRUE(hero.DropRepeatedStep()); // a press without a move leaves no step
    EXPECT_EQ(hero.PathLength(), 1);
    hero.RecordPathStep();
    hero.SetTransform(Matrix3::Translation(64, 0));
    EXPECT_FALSE(hero.DropRepeatedStep());
    hero.RecordPathStep();
    hero.SetTransform(Matrix3::FromParts(kPi / 2, 64, 64, 1, 1));
    EXPECT_EQ(hero.PathLength(), 3);
    EXPECT_EQ(hero.CentreAt(0), Vec2(16, 24));
    EXPECT_EQ(hero.CentreAt(1), Vec2(80, 24));
    EXPECT_NEAR(hero.DirectionAt(-1).Y(), 1, 1e-6);
    hero.ClearPath();
    EXPECT_EQ(hero.PathLength(), 1);
    EXPECT_NEAR(hero.Transform().m31(), 64, 1e-9);
}

TEST_F(TileRefTest, SettersMarkTheDocumentChangedOnlyWhenTheyChangeSomething) {
    TileRef& floor = Place(kFloor, Matrix3());
    state.changed = false;
    floor.SetTinted(false);
    floor.SetTintColor(Rgb8());
    EXPECT_FALSE(state.changed);
    floor.SetTintColor(Rgb8(1, 0, 0));
    EXPECT_TRUE(state.changed);
    state.changed = false;
    floor.SetTinted(true);
    EXPECT_TRUE(state.changed);
}

} // namespace
