// What tiles look like in a frame: pictures, tints, hidden categories, text and movement paths, drawn
// through the frame composer with the software renderer.
#include "document/DocFixture.h"

#include "document/EditOps.h"
#include "document/MovementPath.h"
#include "document/TextTile.h"
#include "document/TileRef.h"
#include "document/UndoHistory.h"
#include "raster/DcRasterCanvas.h"
#include "support/Matrix3.h"
#include "view/FrameComposer.h"
#include "view/FrameItems.h"
#include "view/SoftwareRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

using namespace doctest;

namespace {

class TileDrawingTest : public ::testing::Test, public DocumentTest {
protected:
    TileRef* DrawTiles(DcRasterCanvas& canvas, const Matrix3& view, const Rect2& visible, bool quickDraw,
                       bool publish) {
        SoftwareRenderer renderer(canvas);
        return FrameComposer(renderer, doc).Tiles(view, visible, quickDraw, publish);
    }
    void SetState(int kind, int categoryState) {
        tileSet.SetCategoryState(tileSet.CategoryOfKind(kind), categoryState);
    }
};

// The software renderer without its sharing: every picture of a run drawn on its own, in turn.
class InTurnRenderer : public SoftwareRenderer {
public:
    using SoftwareRenderer::SoftwareRenderer;
    void Images(const std::vector<ImageItem>& items) override { FrameRenderer::Images(items); }
};

// Long runs of pictures are drawn by two threads, each into its own rows. The picture must be the one
// that drawing every tile in turn gives: where turned and scaled tiles cross from one half to the
// other, around a text tile that ends a run, for movement paths that reach beyond their tile, and
// under a zoomed view.
TEST_F(TileDrawingTest, SharedPictureRunsGiveTheBytesOfDrawingEachPictureInTurn) {
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
    DrawTiles(shared, view, visible, false, false);
    shared.Painter().Flush();
    InTurnRenderer oneByOne(inTurn);
    FrameComposer(oneByOne, doc).Tiles(view, visible, false, false);
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

TEST_F(TileDrawingTest, DrawTilesPaintsVisibleTilesAndReportsTheSingleSelection) {
    DcRasterCanvas canvas;
    canvas.SetBitsPerPixel(32);
    ASSERT_TRUE(canvas.Create(200, 100));
    TileRef& floor = Place(kFloor, 0, 0);
    Place(kChest, 100, 0);
    floor.SetSelected(true);
    const Rect2 visible(0, 200, 0, 100);
    EXPECT_EQ(DrawTiles(canvas, Matrix3(), visible, true, false), &floor);
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
    EXPECT_EQ(DrawTiles(canvas, Matrix3(), visible, true, false), nullptr); // two selected
    EXPECT_EQ(canvas.Rows()[10][150 * 4 + 1], 0);
}

TEST_F(TileDrawingTest, TintedTileIsDrawnInItsColour) {
    DcRasterCanvas canvas;
    ASSERT_TRUE(canvas.Create(64, 64));
    TileRef& floor = Place(kFloor, 0, 0);
    floor.SetTinted(true);
    floor.SetTintColor(Rgb8(0, 0, 255));
    floor.SetStrength(1.0);
    DrawTiles(canvas, Matrix3(), Rect2(0, 64, 0, 64), true, false);
    const std::uint8_t* pixel = canvas.Rows()[32] + 32 * 3;
    EXPECT_EQ(pixel[0], 255);
    EXPECT_EQ(pixel[2], 0);
}

TEST_F(TileDrawingTest, TextIsDrawnInTheScreenColourAndSelectedTextGetsABox) {
    DcRasterCanvas canvas;
    canvas.SetBitsPerPixel(32);
    ASSERT_TRUE(canvas.Create(300, 100));
    TextTile& text = PlaceText(u"MMMM", 0, 0);
    DrawTiles(canvas, Matrix3(), Rect2(0, 300, 0, 100), false, false);
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
    DrawTiles(canvas, Matrix3(), Rect2(0, 300, 0, 100), false, false);
    canvas.Painter().Flush();
    // Inside the box but away from letters: the grid colour (128 grey) fills it.
    EXPECT_EQ(canvas.Rows()[2][2 * 4 + 1], 128);
}

class PathDrawingTest : public ::testing::Test, public PathDocumentTest {
protected:
    void DrawPath(const TileRef& piece, DcRasterCanvas& canvas) {
        SoftwareRenderer renderer(canvas);
        FrameComposer(renderer, doc).Path(piece, Matrix3());
    }
};

// Blue, green, red of stored-row pixel (x, y) of a 32-bit canvas.
std::vector<int> PixelAt(const RasterCanvas& canvas, int x, int y) {
    const std::uint8_t* p = canvas.Rows()[y] + 4 * x;
    return {p[0], p[1], p[2]};
}

TEST_F(PathDrawingTest, FootstepsAreTintedWithThePathColourAndFadedUnlessSelected) {
    TileRef& piece = PlacePiece(0, 0);
    ASSERT_TRUE(RecordedDrag(Matrix3::Translation(128, 0)));
    ASSERT_EQ(piece.PathLength(), 2);

    DcRasterCanvas canvas;
    ASSERT_TRUE(canvas.SetBitsPerPixel(32));
    ASSERT_TRUE(canvas.Create(256, 64));
    canvas.Fill(0);
    piece.SetSelected(false);
    DrawPath(piece, canvas);
    // Footsteps of 8 x 8 centred at 64 and 128 along y = 32; the ring of the start covers x below 64
    // and the segment between the footsteps stays untouched.
    const std::vector<int> faded = PixelAt(canvas, 66, 32);
    EXPECT_NEAR(faded[0], 128, 3);
    EXPECT_EQ(faded[1], 0);
    EXPECT_EQ(faded[2], 0);
    EXPECT_EQ(PixelAt(canvas, 96, 32), (std::vector<int>{0, 0, 0}));

    canvas.Fill(0);
    piece.SetSelected(true);
    DrawPath(piece, canvas);
    EXPECT_EQ(PixelAt(canvas, 128, 32), (std::vector<int>{255, 0, 0}));
    // The ring at the start is drawn in blue too.
    EXPECT_EQ(PixelAt(canvas, 10, 10), (std::vector<int>{255, 0, 0}));
}

TEST_F(PathDrawingTest, ATileWithoutPathDrawsNothing) {
    TileRef& piece = PlacePiece(0, 0);
    DcRasterCanvas canvas;
    ASSERT_TRUE(canvas.SetBitsPerPixel(32));
    ASSERT_TRUE(canvas.Create(64, 64));
    canvas.Fill(0);
    DrawPath(piece, canvas);
    EXPECT_EQ(PixelAt(canvas, 32, 32), (std::vector<int>{0, 0, 0}));
}

} // namespace
