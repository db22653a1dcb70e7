#include "TileSetFixture.h"

#include "raster/RasterCanvas.h"
#include "tileset/TileSet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tilesettest;

namespace {

// Stored rows, bottom row first, without the padding at the row ends.
std::vector<std::uint8_t> StoredPixels(const RasterCanvas& canvas) {
    std::vector<std::uint8_t> bytes;
    const int rowBytes = canvas.Width() * canvas.BytesPerPixel();
    for (int row = 0; row < canvas.Height(); ++row) {
        const std::uint8_t* start = canvas.Rows()[row];
        bytes.insert(bytes.end(), start, start + rowBytes);
    }
    return bytes;
}

class TileSetImagesTest : public ::testing::Test {
protected:
    TileSetImagesTest() : tileSet(TileSetContext{dir.WPath(), &settings, &sink, false}) {}

    const TileDef& LoadOneTile(const std::string& tileElement) {
        dir.Write("one.set", SetFile("<Set>" + tileElement + "</Set>"));
        tileSet.Load(u"one.set");
        EXPECT_EQ(tileSet.DefinitionCount(), 1);
        return tileSet.Definition(0);
    }

    ScratchDir dir;
    MemorySettings settings;
    RecordingSink sink;
    TileSet tileSet;
};

TEST_F(TileSetImagesTest, TileImageThatDoesNotLoadBecomesAnOpaqueGreySquare) {
    dir.Write("broken.png", SolidPng(4, 4, 1, 2, 3).substr(0, 40));
    dir.MakeDir("folder.png");
    for (const char* name : {"absent.png", "broken.png", "folder.png"}) {
        const TileDef& tile = LoadOneTile(std::string("<Tile name=\"T\">") + name + "</Tile>");
        const RasterCanvas& image = tile.Image();
        ASSERT_EQ(image.Width(), 10) << name;
        ASSERT_EQ(image.Height(), 10);
        ASSERT_EQ(image.BitsPerPixel(), 32);
        std::vector<std::uint8_t> expected;
        for (int i = 0; i < 100; ++i) {
            expected.insert(expected.end(), {128, 128, 128, 255});
        }
        EXPECT_EQ(StoredPixels(image), expected) << name;
    }
    EXPECT_TRUE(sink.boxes.empty()); // a missing picture is not an error of the tileset
}

TEST_F(TileSetImagesTest, TwentyFourBitImagesBecomeOpaqueThirtyTwoBitImages) {
    // Top row red, green; bottom row blue, white.
    dir.Write("rgb.png", EncodePng(2, 2, 3, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}));
    const RasterCanvas& image = LoadOneTile("<Tile name=\"T\">rgb.png</Tile>").Image();

    ASSERT_EQ(image.BitsPerPixel(), 32);
    const std::vector<std::uint8_t> expected = {
        255, 0, 0,   255, 255, 255, 255, 255, // stored first: the bottom row, blue then white
        0,   0, 255, 255, 0,   255, 0,   255, // then the top row, red then green
    };
    EXPECT_EQ(StoredPixels(image), expected);
    EXPECT_FALSE(image.LevelsMissing());
}

TEST_F(TileSetImagesTest, TransparentPixelsTakeTheColourOfTheirNeighbours) {
    dir.Write("rgba.png", EncodePng(3, 1, 4, {255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 255, 255}));
    const RasterCanvas& image = LoadOneTile("<Tile name=\"T\">rgba.png</Tile>").Image();

    const std::vector<std::uint8_t> expected = {0, 0, 255, 255, 127, 0, 127, 0, 255, 0, 0, 255};
    EXPECT_EQ(StoredPixels(image), expected);
}

TEST_F(TileSetImagesTest, FlipAndSurfaceImagesLoadBesideTheTileImage) {
    dir.Write("a.png", SolidPng(8, 4, 10, 20, 30));
    dir.Write("b.png", SolidPng(5, 7, 40, 50, 60));
    const TileDef& tile =
        LoadOneTile("<Tile name=\"T\" flipimage=\"b.png\" surfaceimage=\"a.png\">a.png</Tile>");

    ASSERT_TRUE(tile.HasFlipImage());
    EXPECT_EQ(tile.FlipImage().Width(), 5);
    EXPECT_EQ(tile.FlipImage().BitsPerPixel(), 32);
    ASSERT_NE(tile.SurfaceImage(), nullptr);
    EXPECT_EQ(tile.SurfaceImage()->Width(), 8);
    EXPECT_EQ(tile.SurfaceImage()->BitsPerPixel(), 24); // kept as it is in its file

    const TileDef& missing =
        LoadOneTile("<Tile name=\"T\" flipimage=\"nope.png\" surfaceimage=\"nope.png\">a.png</Tile>");
    ASSERT_TRUE(missing.HasFlipImage()); // the grey stand-in, like the tile image
    EXPECT_EQ(missing.FlipImage().Width(), 10);
    EXPECT_EQ(missing.SurfaceImage(), nullptr);
}

TEST_F(TileSetImagesTest, OwnFormatImagesLoadAsTileImages) {
    RasterCanvas source;
    ASSERT_TRUE(source.Create(3, 2));
    source.Fill(0x00332211); // blue 0x33, green 0x22, red 0x11
    ASSERT_TRUE(source.SaveOwnFormat(WString::FromUtf8(dir.Join("tile.icr"))));
    const RasterCanvas& image = LoadOneTile("<Tile name=\"T\">TILE.ICR</Tile>").Image();

    ASSERT_EQ(image.Width(), 3);
    std::vector<std::uint8_t> expected;
    for (int i = 0; i < 6; ++i) {
        expected.insert(expected.end(), {0x33, 0x22, 0x11, 255});
    }
    EXPECT_EQ(StoredPixels(image), expected);
}

TEST_F(TileSetImagesTest, PathAndPanelImagesLoadFromTheirNames) {
    dir.Write("step.png", SolidPng(16, 16, 1, 1, 1));
    dir.Write("left.png", SolidPng(2, 2, 1, 1, 1));
    dir.Write("back.png", SolidPng(3, 3, 1, 1, 1));
    dir.Write("gui_typebutton_hidden.png", SolidPng(17, 17, 9, 9, 9));
    dir.Write("bar.png", SolidPng(111, 17, 9, 9, 9));
    dir.Write("base.set", SetFile("<Set stepimage=\"step.png\" turn180image=\"gone.png\"/>"));
    dir.Write("main.set",
              SetFile("<Set basetilesets=\"base.set\" stepimage=\"STEP.PNG\" turnleft90image=\"left.png\" "
                      "backimage=\"back.png\" gui_expanded=\"bar.png\"/>"));
    tileSet.Load(u"main.set");
    ASSERT_TRUE(tileSet.StepImage().IsLoaded());
    EXPECT_EQ(tileSet.StepImage().Width(), 16);
    EXPECT_EQ(tileSet.TurnLeft90Image().Width(), 2);
    EXPECT_FALSE(tileSet.TurnRight90Image().IsLoaded());
    EXPECT_FALSE(tileSet.Turn180Image().IsLoaded());
    EXPECT_EQ(tileSet.BackImage().Width(), 3);
    EXPECT_EQ(tileSet.GuiExpandedImage().Width(), 111);
    EXPECT_EQ(tileSet.GuiHiddenImage().Width(), 17);
    EXPECT_FALSE(tileSet.GuiLockedImage().IsLoaded());
}

TEST_F(TileSetImagesTest, APathImageNamedAgainWithOtherCaseIsNotReadTwice) {
    // Two files whose names differ only in case: the path of the second equals the first one's without
    // regard to case, so the picture read for the base stays in place.
    dir.Write("step.png", SolidPng(16, 16, 1, 1, 1));
    dir.Write("STEP.PNG", SolidPng(4, 4, 1, 1, 1));
    dir.Write("other.png", SolidPng(6, 6, 1, 1, 1));
    dir.Write("base.set", SetFile("<Set stepimage=\"step.png\"/>"));
    dir.Write("again.set", SetFile("<Set basetilesets=\"base.set\" stepimage=\"STEP.PNG\"/>"));
    dir.Write("other.set", SetFile("<Set basetilesets=\"base.set\" stepimage=\"other.png\"/>"));

    tileSet.Load(u"again.set");
    EXPECT_EQ(tileSet.StepImage().Width(), 16);
    EXPECT_EQ(tileSet.StepImage().path.ToUtf8(), dir.Join("step.png"));

    tileSet.Load(u"other.set");
    EXPECT_EQ(tileSet.StepImage().Width(), 6);
    EXPECT_EQ(tileSet.StepImage().path.ToUtf8(), dir.Join("other.png"));
}

} // namespace
