#include "raster/RasterCanvas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes StorageOf(const RasterCanvas& canvas) {
    return Bytes(canvas.Pixels(), canvas.Pixels() + canvas.TotalSize());
}

void MakeCanvas(RasterCanvas& canvas, int width, int height, int bitsPerPixel) {
    canvas.SetBitsPerPixel(bitsPerPixel);
    EXPECT_TRUE(canvas.Create(width, height));
}
} // namespace

TEST(RasterCanvasStorage, RowsAreBottomUpWithStrideRoundedToFourBytes) {
    RasterCanvas tiny;
    EXPECT_EQ(tiny.BitsPerPixel(), 24);
    EXPECT_EQ(tiny.BytesPerPixel(), 3);
    EXPECT_FALSE(tiny.HasPixels());
    ASSERT_TRUE(tiny.Create(1, 1));
    EXPECT_EQ(tiny.Stride(), 4);
    EXPECT_EQ(tiny.TotalSize(), 4u);

    RasterCanvas canvas;
    ASSERT_TRUE(canvas.Create(3, 2));
    EXPECT_EQ(canvas.Stride(), 12);
    EXPECT_EQ(canvas.TotalSize(), 24u);
    EXPECT_EQ(canvas.NextRow(), 1);
    EXPECT_EQ(StorageOf(canvas), Bytes(24, 0)); // new storage is zeroed
    EXPECT_EQ(canvas.Rows()[0], canvas.Pixels());
    EXPECT_EQ(canvas.Rows()[1], canvas.Pixels() + 12);

    // Decoders hand over the top row first; it must land in the last stored row.
    const std::uint8_t top[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const std::uint8_t bottom[9] = {11, 12, 13, 14, 15, 16, 17, 18, 19};
    EXPECT_EQ(canvas.WriteNextRow(top, 9, false, false), 0);
    EXPECT_EQ(canvas.WriteNextRow(bottom, 9, false, false), -1);
    EXPECT_EQ(canvas.WriteNextRow(bottom, 9, false, false), -1); // past the image: nothing happens
    const Bytes expected = {11, 12, 13, 14, 15, 16, 17, 18, 19, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0};
    EXPECT_EQ(StorageOf(canvas), expected);

    RasterCanvas wide;
    MakeCanvas(wide, 5, 1, 32);
    EXPECT_EQ(wide.Stride(), 20);
    RasterCanvas mono;
    MakeCanvas(mono, 33, 2, 1);
    EXPECT_EQ(mono.Stride(), 8); // 5 bytes of bits, rounded up to 8
}

TEST(RasterCanvasStorage, CreatingTheSameSizeAgainKeepsThePixels) {
    RasterCanvas canvas;
    ASSERT_TRUE(canvas.Create(4, 4));
    canvas.Fill(0x00102030);
    const std::uint8_t* before = canvas.Pixels();
    const Bytes content = StorageOf(canvas);
    EXPECT_FALSE(canvas.Create(4, 4));
    EXPECT_EQ(canvas.Pixels(), before);
    EXPECT_EQ(StorageOf(canvas), content);
    EXPECT_EQ(canvas.NextRow(), 3); // the row writer starts over regardless
    EXPECT_TRUE(canvas.EnsureSize(4, 4));
    EXPECT_TRUE(canvas.Create(5, 4));
    EXPECT_EQ(canvas.Width(), 5);
    EXPECT_EQ(StorageOf(canvas), Bytes(canvas.TotalSize(), 0));
}

TEST(RasterCanvasStorage, RefusesEmptyAndOversizedImagesWithoutLosingTheOldOne) {
    RasterCanvas canvas;
    EXPECT_FALSE(canvas.Create(0, 5));
    EXPECT_FALSE(canvas.Create(5, -1));
    EXPECT_FALSE(canvas.Create(32769, 1));
    EXPECT_FALSE(canvas.Create(1, 32769));
    EXPECT_FALSE(canvas.HasPixels());
    ASSERT_TRUE(canvas.SetBitsPerPixel(32));
    EXPECT_FALSE(canvas.Create(32768, 8193)); // just above one gibibyte
    ASSERT_TRUE(canvas.Create(2, 2));
    EXPECT_FALSE(canvas.Create(40000, 40000));
    EXPECT_FALSE(canvas.EnsureSize(40000, 40000));
    EXPECT_EQ(canvas.Width(), 2);
    EXPECT_TRUE(canvas.HasPixels());
    EXPECT_FALSE(canvas.SetBitsPerPixel(16));
    EXPECT_EQ(canvas.BitsPerPixel(), 32);
}

TEST(RasterCanvasStorage, ChangingDepthDropsTheStorageSoCreateLaysItOutAgain) {
    RasterCanvas canvas;
    ASSERT_TRUE(canvas.Create(3, 3));
    ASSERT_TRUE(canvas.SetBitsPerPixel(32));
    EXPECT_FALSE(canvas.HasPixels());
    EXPECT_EQ(canvas.BytesPerPixel(), 4);
    ASSERT_TRUE(canvas.Create(3, 3));
    EXPECT_EQ(canvas.Stride(), 12);
    EXPECT_EQ(canvas.Header().bitsPerPixel, 32);
    EXPECT_EQ(canvas.Header().imageSize, 36u);
}

TEST(RasterCanvasStorage, HeaderDescribesTheStorageAndResolution) {
    RasterCanvas canvas;
    canvas.SetResolution(300);
    ASSERT_TRUE(canvas.Create(3, 2));
    const BitmapHeader& header = canvas.Header();
    EXPECT_EQ(header.headerSize, 40u);
    EXPECT_EQ(header.width, 3);
    EXPECT_EQ(header.height, 2);
    EXPECT_EQ(header.bitsPerPixel, 24);
    EXPECT_EQ(header.imageSize, 24u);
    EXPECT_EQ(header.xPixelsPerMetre, 11811); // 300 * 39.37 + 0.5
    EXPECT_EQ(header.palette[0], 0x00FFFFFFu);
    EXPECT_EQ(header.palette[1], 0u);
    EXPECT_EQ(canvas.Resolution(), 300);
}

TEST(RasterCanvasStorage, SetPixelsCopiesPackedRowsInStoredOrder) {
    RasterCanvas canvas;
    ASSERT_TRUE(canvas.Create(2, 2));
    const std::uint8_t packed[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    EXPECT_TRUE(canvas.SetPixels(packed, 6, 3));
    const Bytes expected = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    EXPECT_EQ(StorageOf(canvas), expected);
    EXPECT_FALSE(canvas.SetPixels(packed, 6, 4));  // wrong depth
    EXPECT_FALSE(canvas.SetPixels(packed, 12, 3)); // rows wider than the stride
    RasterCanvas empty;
    EXPECT_FALSE(empty.SetPixels(packed, 6, 3));
}

TEST(RasterCanvasStorage, RowWriterConvertsRgbToStoredOrder) {
    RasterCanvas canvas;
    MakeCanvas(canvas, 2, 1, 32);
    const std::uint8_t rgba[8] = {10, 20, 30, 40, 50, 60, 70, 80};
    canvas.WriteNextRow(rgba, 8, true, false);
    EXPECT_EQ(StorageOf(canvas), (Bytes{30, 20, 10, 40, 70, 60, 50, 80}));

    RasterCanvas rgb;
    MakeCanvas(rgb, 2, 1, 24);
    const std::uint8_t oversized[64] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    rgb.WriteNextRow(oversized, 64, true, false); // never more than one stored row
    EXPECT_EQ(StorageOf(rgb), (Bytes{3, 2, 1, 6, 5, 4, 0, 0}));
}

TEST(RasterCanvasStorage, MonochromeRowsReverseBitOrderAndInvertOnRequest) {
    RasterCanvas mono;
    MakeCanvas(mono, 16, 2, 1);
    const std::uint8_t bits[2] = {0x01, 0xF0};
    mono.WriteNextRow(bits, 2, true, false);
    mono.WriteNextRow(bits, 2, true, true);
    EXPECT_EQ(StorageOf(mono), (Bytes{0x7F, 0xF0, 0, 0, 0x80, 0x0F, 0, 0}));
}

TEST(RasterCanvasStorage, PositionOfAddressCountsStoredRows) {
    RasterCanvas canvas;
    MakeCanvas(canvas, 3, 4, 24); // stride 12
    int x = -1, y = -1;
    ASSERT_TRUE(canvas.PositionOfAddress(canvas.Pixels() + 2 * 12 + 7, x, y));
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 2);
    ASSERT_TRUE(canvas.PositionOfAddress(canvas.Rows()[3], x, y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 3);
    EXPECT_FALSE(canvas.PositionOfAddress(canvas.Pixels() + canvas.TotalSize(), x, y));
}

TEST(RasterCanvasPixels, GreyFillSetsEveryByteAndColourFillSetsColourBytes) {
    RasterCanvas canvas;
    MakeCanvas(canvas, 3, 2, 32);
    canvas.Fill(0x00404040);
    EXPECT_EQ(StorageOf(canvas), Bytes(24, 0x40)); // alpha takes the grey too

    RasterCanvas rgb;
    MakeCanvas(rgb, 3, 2, 24);
    rgb.Fill(0x00332211); // red 0x11, green 0x22, blue 0x33
    const Bytes row = {0x33, 0x22, 0x11, 0x33, 0x22, 0x11, 0x33, 0x22, 0x11};
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(Bytes(rgb.Rows()[y], rgb.Rows()[y] + 9), row) << y;
    }
}

TEST(RasterCanvasPixels, ClearRectTakesTopDownCoordinatesAndClips) {
    RasterCanvas canvas;
    MakeCanvas(canvas, 4, 3, 32);
    canvas.Fill(0x00808080);
    canvas.ClearRect(1, 0, 3, 1); // top row of the picture: the last stored row
    Bytes expected(48, 0x80);
    for (int i = 2 * 16 + 4; i < 2 * 16 + 12; ++i) {
        expected[i] = 0;
    }
    EXPECT_EQ(StorageOf(canvas), expected);

    canvas.ClearRect(-5, 2, 99, 99); // bottom row of the picture, clipped to the image
    for (int i = 0; i < 16; ++i) {
        expected[i] = 0;
    }
    EXPECT_EQ(StorageOf(canvas), expected);
    canvas.ClearRect(3, 1, 2, 2); // empty rectangles do nothing
    EXPECT_EQ(StorageOf(canvas), expected);
}

TEST(RasterCanvasPixels, GreyIsTheTruncatedMeanAndKeepsAlpha) {
    RasterCanvas canvas;
    MakeCanvas(canvas, 2, 1, 32);
    const std::uint8_t pixels[8] = {10, 20, 31, 200, 255, 255, 254, 7};
    ASSERT_TRUE(canvas.SetPixels(pixels, 8, 4));
    canvas.ToGrey();
    EXPECT_EQ(StorageOf(canvas), (Bytes{20, 20, 20, 200, 254, 254, 254, 7}));
}

TEST(RasterCanvasPixels, ToneColorPicksBlackOnDarkAndWhiteOnLightPictures) {
    RasterCanvas canvas;
    MakeCanvas(canvas, 4, 4, 24);
    canvas.Fill(0x00808080); // 128 / 3 * 3 = 126: still dark
    EXPECT_EQ(canvas.ToneColor(), 0u);
    canvas.Fill(0x00838383); // 131 / 3 * 3 = 129
    EXPECT_EQ(canvas.ToneColor(), 0x00FFFFFFu);
    // Half black, half white: mean 127 per channel, dark.
    canvas.Fill(0x00FFFFFF);
    canvas.ClearRect(0, 0, 4, 2);
    EXPECT_EQ(canvas.ToneColor(), 0u);
    RasterCanvas empty;
    EXPECT_EQ(empty.ToneColor(), 0u);
}

TEST(RasterCanvasPixels, AlphaAtReadsStoredRowsAndIsZeroOutside) {
    RasterCanvas canvas;
    MakeCanvas(canvas, 2, 2, 32);
    canvas.Rows()[1][4 + 3] = 99; // stored row 1 is the top row
    EXPECT_EQ(canvas.AlphaAt(1, 1), 99);
    EXPECT_EQ(canvas.AlphaAt(1, 0), 0);
    EXPECT_EQ(canvas.AlphaAt(2, 0), 0);
    EXPECT_EQ(canvas.AlphaAt(-1, 1), 0);
    RasterCanvas rgb;
    MakeCanvas(rgb, 2, 2, 24);
    rgb.Fill(0x00FFFFFF);
    EXPECT_EQ(rgb.AlphaAt(0, 0), 0);
}

TEST(RasterCanvasPixels, CopyFrom24AddsOpaqueAlpha) {
    RasterCanvas source;
    MakeCanvas(source, 2, 1, 24);
    const std::uint8_t pixels[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(source.SetPixels(pixels, 6, 3));
    RasterCanvas target;
    MakeCanvas(target, 2, 1, 32);
    ASSERT_TRUE(target.CopyFrom24(source));
    EXPECT_EQ(StorageOf(target), (Bytes{1, 2, 3, 255, 4, 5, 6, 255}));
    RasterCanvas other;
    MakeCanvas(other, 3, 1, 32);
    EXPECT_FALSE(other.CopyFrom24(source));
    EXPECT_FALSE(source.CopyFrom24(target));
}

TEST(RasterCanvasPixels, PaletteKeepsThreeBytesPerEntryAndRefusesMisfits) {
    RasterCanvas canvas;
    MakeCanvas(canvas, 2, 2, 24);
    const std::uint8_t quads[8] = {1, 2, 3, 0xEE, 4, 5, 6, 0xEE};
    canvas.SetPalette(quads, 2, 4);
    ASSERT_EQ(canvas.PaletteCount(), 2);
    EXPECT_EQ(Bytes(canvas.Palette(), canvas.Palette() + 6), (Bytes{1, 2, 3, 4, 5, 6}));

    std::vector<std::uint8_t> tooMany(257 * 3, 9);
    canvas.SetPalette(tooMany.data(), 257, 3);
    EXPECT_EQ(canvas.PaletteCount(), 2);
    canvas.SetPalette(nullptr, 0, 3);
    EXPECT_EQ(canvas.PaletteCount(), 0);
    EXPECT_EQ(canvas.Palette(), nullptr);

    RasterCanvas rgba;
    MakeCanvas(rgba, 2, 2, 32);
    rgba.SetPalette(quads, 2, 4);
    EXPECT_EQ(rgba.PaletteCount(), 0);
}
