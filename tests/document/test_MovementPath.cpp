#include "DocFixture.h"

#include "document/EditOps.h"
#include "document/MovementPath.h"
#include "document/TextTile.h"
#include "document/TileRef.h"
#include "document/UndoHistory.h"
#include "raster/RasterCanvas.h"
#include "support/Matrix3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

using namespace doctest;

namespace {

constexpr double kPi = std::numbers::pi;

Vec2 Unit(double degrees) {
    const double radians = degrees * kPi / 180.0;
    return Vec2(static_cast<float>(std::cos(radians)), static_cast<float>(std::sin(radians)));
}

MovementPath::Turn TurnBetween(double fromDegrees, double toDegrees) {
    return MovementPath::ClassifyTurn(MovementPath::TurnAngle(Unit(fromDegrees), Unit(toDegrees)));
}

TEST(MovementPathGeometry, FootstepsAreSpacedEvenlyAndNeverOnTheEnds) {
    EXPECT_EQ(MovementPath::FootstepCount(64, 64), 1);
    EXPECT_EQ(MovementPath::FootstepCount(96, 64), 2); // 1.5 cells: a half goes up
    EXPECT_EQ(MovementPath::FootstepCount(31.9, 64), 0);
    EXPECT_EQ(MovementPath::FootstepCount(32, 64), 1);
    EXPECT_EQ(MovementPath::FootstepCount(0, 64), 0);
    EXPECT_EQ(MovementPath::FootstepCount(64, 0), 0);
    EXPECT_EQ(MovementPath::FootstepCount(1e300, 64), 0);
    EXPECT_EQ(MovementPath::FootstepCount(std::nan(""), 64), 0);

    EXPECT_EQ(MovementPath::FootstepOffsets(96, 64), (std::vector<double>{24, 72})); // 0.375 D, 1.125 D
    EXPECT_EQ(MovementPath::FootstepOffsets(64, 64), (std::vector<double>{32}));
    EXPECT_TRUE(MovementPath::FootstepOffsets(20, 64).empty());
}

TEST(MovementPathGeometry, TurnsAreClassifiedBySignedAngle) {
    using Turn = MovementPath::Turn;
    EXPECT_EQ(TurnBetween(0, 90), Turn::kLeft90);
    EXPECT_EQ(TurnBetween(0, -90), Turn::kRight90);
    EXPECT_EQ(TurnBetween(0, 30), Turn::kLeft90); // above 22.5 degrees
    EXPECT_EQ(TurnBetween(0, 20), Turn::kNone);
    EXPECT_EQ(TurnBetween(0, -20), Turn::kNone);
    EXPECT_EQ(TurnBetween(0, 180), Turn::kHalf);
    EXPECT_EQ(TurnBetween(170, -170), Turn::kNone); // 20 degrees across the wrap
    EXPECT_EQ(TurnBetween(-100, 100), Turn::kHalf);

    EXPECT_EQ(MovementPath::ClassifyTurn(3 * kPi / 4), Turn::kLeft90);
    EXPECT_EQ(MovementPath::ClassifyTurn(-3 * kPi / 4), Turn::kRight90);
    EXPECT_EQ(MovementPath::ClassifyTurn(3 * kPi / 4 + 1e-9), Turn::kHalf);
    EXPECT_EQ(MovementPath::ClassifyTurn(-3 * kPi / 4 - 1e-9), Turn::kHalf);
    EXPECT_EQ(MovementPath::ClassifyTurn(kPi / 8), Turn::kNone);
    EXPECT_EQ(MovementPath::ClassifyTurn(kPi / 8 + 1e-9), Turn::kLeft90);
    EXPECT_EQ(MovementPath::ClassifyTurn(-kPi / 8 - 1e-9), Turn::kRight90);
}

class MovementPathTest : public ::testing::Test, public PathDocumentTest {
protected:
    static std::vector<PathMark::Image> Images(const std::vector<PathMark>& marks) {
        std::vector<PathMark::Image> images;
        for (const PathMark& mark : marks) {
            images.push_back(mark.image);
        }
        return images;
    }
};

TEST_F(MovementPathTest, ThreeDragsOfOneCellGiveOneFootstepPerSegment) {
    TileRef& piece = PlacePiece(0, 0);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(RecordedDrag(Matrix3::Translation(64, 0)));
    }
    ASSERT_EQ(piece.PathLength(), 4);
    const std::vector<PathMark> marks = MovementPath::Marks(piece, tileSet);
    const std::vector<PathMark::Image> expected{PathMark::kStartEntry, PathMark::kStep, PathMark::kStep,
                                                PathMark::kStep};
    ASSERT_EQ(Images(marks), expected);
    // The start marker is the ring under the first step; the post-draw entry of code 0 is not one.
    EXPECT_EQ(marks[0].definition, 0);
    EXPECT_TRUE(marks[0].placement.Equals(Matrix3()));
    for (int i = 1; i <= 3; ++i) {
        // Footsteps 32 units after each segment's start, the step image's centre (4, 4) on the path.
        const Vec2 centre = marks[static_cast<size_t>(i)].placement.TransformPoint(Vec2(4, 4));
        EXPECT_NEAR(centre.X(), 64.0 * (i - 1) + 32 + 32, 1e-4);
        EXPECT_NEAR(centre.Y(), 32, 1e-4);
    }
}

TEST_F(MovementPathTest, ClickWithoutMoveLeavesThePathUnchanged) {
    TileRef& piece = PlacePiece(0, 0);
    EXPECT_FALSE(RecordedDrag(Matrix3::Translation(10, 10))); // snaps back
    EXPECT_EQ(piece.PathLength(), 1);
    EXPECT_TRUE(MovementPath::Marks(piece, tileSet).empty());
}

TEST_F(MovementPathTest, QuarterTurnShowsTheLeftTurnInTheEarlierFacing) {
    TileRef& piece = PlacePiece(0, 0);
    ASSERT_TRUE(RecordedDrag(Matrix3::Translation(-32, -32) * Matrix3::Rotation(kPi / 2) *
                             Matrix3::Translation(32, 32)));
    const std::vector<PathMark> marks = MovementPath::Marks(piece, tileSet);
    ASSERT_EQ(Images(marks), (std::vector<PathMark::Image>{PathMark::kStartEntry, PathMark::kTurnLeft90}));
    // Centred on the piece's centre and not turned.
    EXPECT_TRUE(marks[1].placement.Equals(Matrix3::Translation(24, 24)));
}

TEST_F(MovementPathTest, TextTilesNeverRecordAPath) {
    auto text = std::make_unique<TextTile>(doc.Context());
    text->SetText(u"Note");
    text->SetSelected(true);
    doc.InsertTile(std::move(text));
    MovementPath::RecordPathStep(doc);
    EXPECT_EQ(doc.TileAt(0)->PathLength(), 1);
}

TEST_F(MovementPathTest, ClearingSelectedPathsKeepsThePlacementAndOthersPaths) {
    TileRef& first = PlacePiece(0, 0);
    TileRef& second = PlacePiece(128, 0);
    ASSERT_TRUE(RecordedDrag(Matrix3::Translation(0, 64)));
    second.SetSelected(false);
    MovementPath::ClearSelectedPaths(doc);
    EXPECT_EQ(first.PathLength(), 1);
    EXPECT_EQ(first.Origin(), Vec2(0, 64));
    EXPECT_EQ(second.PathLength(), 2);
    MovementPath::ClearAllPaths(doc);
    EXPECT_EQ(second.PathLength(), 1);
    EXPECT_EQ(second.Origin(), Vec2(128, 64));
}

} // namespace

namespace {

TEST_F(MovementPathTest, AHostilePathIsCappedInsteadOfExhaustingMemory) {
    // 4096 steps, each segment 640,000 units long: 10,000 footsteps apiece, 40 million in all.
    std::string matrices;
    for (int step = 0; step < 4096; ++step) {
        matrices += (step > 0 ? "," : "") + Encoded(1, 0, 0, 1, step % 2 == 0 ? 0 : 640000, 0);
    }
    dir.Write("far.set",
              "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<TileSet stepimage=\"step.png\">"
              "<Tile name=\"Piece\" type=\"3\" freeplacement=\"true\">chest.png</Tile></TileSet>\r\n");
    ASSERT_TRUE(OpenBytes(
        "far.gv", MapText("<TileRef name=\"far.set:Piece\" matrix=\"" + matrices + "\"/>\r\n", "far.set")));
    ASSERT_EQ(doc.TileCount(), 1);
    ASSERT_EQ(doc.TileAt(0)->PathLength(), 4096);
    const std::vector<PathMark> marks = MovementPath::Marks(*doc.TileAt(0), tileSet);
    EXPECT_EQ(marks.size(), static_cast<size_t>(MovementPath::kMaxMarks));
}

} // namespace
