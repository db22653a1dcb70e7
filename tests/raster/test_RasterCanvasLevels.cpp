#include "raster/RasterCanvas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes LevelBytes(const RasterLevel& level) {
    return Bytes(level.data, level.data + static_cast<std::size_t>(level.stride) * (level.height + 1));
}

// The expected level below `above`, written out pixel by pixel with its extra column and row.
Bytes HalveReference(const std::uint8_t* const* rows, int aboveWidth, int aboveHeight, int bpp) {
    const int width = aboveWidth / 2, height = aboveHeight / 2;
    const int stride = (width + 1) * bpp;
    Bytes out(static_cast<std::size_t>(stride) * (height + 1), 0);
    for (int y = 0; y <= height; ++y) {
        const int sy = std::min(y, height - 1);
        for (int x = 0; x <= width; ++x) {
            const int sx = std::min(x, width - 1);
            for (int c = 0; c < bpp; ++c) {
                const int sum = rows[2 * sy][(2 * sx) * bpp + c] + rows[2 * sy][(2 * sx + 1) * bpp + c] +
                                rows[2 * sy + 1][(2 * sx) * bpp + c] +
                                rows[2 * sy + 1][(2 * sx + 1) * bpp + c];
                out[static_cast<std::size_t>(y) * stride + x * bpp + c] = static_cast<std::uint8_t>(sum / 4);
            }
        }
    }
    return out;
}
} // namespace

TEST(HalfSizeLevels, AverageTwoByTwoBlocksWithRepeatedEdgeColumnAndRow) {
    RasterCanvas canvas;
    canvas.SetBitsPerPixel(32);
    ASSERT_TRUE(canvas.Create(4, 2));
    const std::uint8_t pixels[32] = {0, 4, 8, 12, 4, 8, 12, 16, 100, 100, 100, 100, 200, 0, 50, 255,
                                     8, 8, 8, 8,  1, 1, 1,  1,  0,   0,   0,   0,   3,   3, 3,  3};
    ASSERT_TRUE(canvas.SetPixels(pixels, 16, 4));
    EXPECT_TRUE(canvas.LevelsMissing());
    ASSERT_TRUE(canvas.BuildLevels());
    EXPECT_FALSE(canvas.LevelsMissing());

    const RasterLevel& level = canvas.Level(1);
    ASSERT_TRUE(level.Exists());
    EXPECT_EQ(level.width, 2);
    EXPECT_EQ(level.height, 1);
    EXPECT_EQ(level.stride, 12);
    const Bytes row = {3, 5, 7, 9, 75, 25, 38, 89, 75, 25, 38, 89};
    Bytes expected = row;
    expected.insert(expected.end(), row.begin(), row.end());
    EXPECT_EQ(LevelBytes(level), expected);
    EXPECT_EQ(level.rows[1], level.data + 12);
    EXPECT_FALSE(canvas.Level(2).Exists()); // needs a height of 4
    EXPECT_EQ(canvas.DeepestLevel(), 1);
}

TEST(HalfSizeLevels, OnlyLevelsThatFitTheImageExist) {
    RasterCanvas canvas;
    ASSERT_TRUE(canvas.Create(100, 60));
    ASSERT_TRUE(canvas.BuildLevels());
    const int sizes[6][2] = {{100, 60}, {50, 30}, {25, 15}, {12, 7}, {6, 3}, {3, 1}};
    for (int k = 0; k <= 5; ++k) {
        EXPECT_TRUE(canvas.Level(k).Exists()) << k;
        EXPECT_EQ(canvas.Level(k).width, sizes[k][0]) << k;
        EXPECT_EQ(canvas.Level(k).height, sizes[k][1]) << k;
    }
    EXPECT_FALSE(canvas.Level(6).Exists());
    EXPECT_FALSE(canvas.Level(7).Exists());
    EXPECT_FALSE(canvas.Level(8).Exists());
    EXPECT_EQ(canvas.DeepestLevel(), 5);
    EXPECT_EQ(canvas.Level(3).stride, 13 * 3); // packed, with the extra column
    EXPECT_EQ(canvas.StorageSize(13, 8), 13u * 3u * 8u);

    // The levels share one block in order.
    EXPECT_EQ(canvas.Level(2).data, canvas.Level(1).data + canvas.Level(1).stride * 31);
}

TEST(HalfSizeLevels, OddSizedImagesMatchTheReferenceAtEveryLevel) {
    std::mt19937 random(1234);
    for (int bpp : {3, 4}) {
        RasterCanvas canvas;
        canvas.SetBitsPerPixel(bpp * 8);
        ASSERT_TRUE(canvas.Create(37, 23));
        for (std::size_t i = 0; i < canvas.TotalSize(); ++i) {
            canvas.Pixels()[i] = static_cast<std::uint8_t>(random());
        }
        ASSERT_TRUE(canvas.BuildLevels());
        EXPECT_EQ(canvas.DeepestLevel(), 4);
        for (int k = 1; k <= 4; ++k) {
            const RasterLevel& above = canvas.Level(k - 1);
            EXPECT_EQ(LevelBytes(canvas.Level(k)), HalveReference(above.rows, above.width, above.height, bpp))
                << "bpp " << bpp << " level " << k;
        }
    }
}

TEST(HalfSizeLevels, RebuildingFollowsChangedPixelsAndANewSizeDropsThem) {
    RasterCanvas canvas;
    ASSERT_TRUE(canvas.Create(4, 4));
    canvas.Fill(0x00101010);
    ASSERT_TRUE(canvas.BuildLevels());
    EXPECT_EQ(canvas.Level(2).data[0], 0x10);
    canvas.Fill(0x00F0F0F0);
    ASSERT_TRUE(canvas.BuildLevels());
    EXPECT_EQ(canvas.Level(2).data[0], 0xF0);
    EXPECT_EQ(canvas.Level(2).rows[1][3], 0xF0); // the extra row follows too

    EXPECT_FALSE(canvas.Create(4, 4));
    EXPECT_FALSE(canvas.LevelsMissing()); // an unchanged size keeps them
    ASSERT_TRUE(canvas.Create(8, 8));
    EXPECT_TRUE(canvas.LevelsMissing());
    EXPECT_FALSE(canvas.Level(1).Exists());
    EXPECT_TRUE(canvas.Level(0).Exists());
    EXPECT_EQ(canvas.Level(0).rows, canvas.Rows());
}

TEST(HalfSizeLevels, ImagesThatCannotBeHalvedBuildNothing) {
    RasterCanvas empty;
    EXPECT_FALSE(empty.BuildLevels());
    RasterCanvas mono;
    mono.SetBitsPerPixel(1);
    ASSERT_TRUE(mono.Create(16, 16));
    EXPECT_FALSE(mono.BuildLevels());
    RasterCanvas line;
    ASSERT_TRUE(line.Create(64, 1));
    EXPECT_TRUE(line.BuildLevels());
    EXPECT_EQ(line.DeepestLevel(), 0);
}
