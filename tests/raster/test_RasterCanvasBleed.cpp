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

void SetPixel(RasterCanvas& canvas, int x, int y, std::uint8_t b, std::uint8_t g, std::uint8_t r,
              std::uint8_t a) {
    std::uint8_t* p = canvas.Rows()[y] + x * 4;
    p[0] = b;
    p[1] = g;
    p[2] = r;
    p[3] = a;
}

// Search outward from each transparent pixel, distance by distance, as plainly as it can be written.
Bytes BleedReference(const RasterCanvas& canvas) {
    Bytes out = StorageOf(canvas);
    const int w = canvas.Width(), h = canvas.Height(), stride = canvas.Stride();
    auto at = [&](int x, int y) { return canvas.Rows()[y] + x * 4; };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (at(x, y)[3] != 0) {
                continue;
            }
            for (int d = 1;; ++d) {
                if (x + d >= w && x - d < 0 && y + d >= h && y - d < 0) {
                    break;
                }
                const int offsets[8][2] = {{d, 0}, {-d, 0}, {0, -d}, {0, d},
                                           {d, d}, {-d, d}, {d, -d}, {-d, -d}};
                int sum[3] = {0, 0, 0}, found = 0;
                for (const auto& o : offsets) {
                    const int px = x + o[0], py = y + o[1];
                    if (px < 0 || py < 0 || px >= w || py >= h || at(px, py)[3] == 0) {
                        continue;
                    }
                    for (int c = 0; c < 3; ++c) {
                        sum[c] += at(px, py)[c];
                    }
                    ++found;
                }
                if (found > 0) {
                    for (int c = 0; c < 3; ++c) {
                        out[static_cast<std::size_t>(y) * stride + x * 4 + c] =
                            static_cast<std::uint8_t>(sum[c] / found);
                    }
                    break;
                }
            }
        }
    }
    return out;
}
} // namespace

TEST(BleedColor, TransparentNeighboursOfOneRedPixelTurnRed) {
    RasterCanvas canvas;
    canvas.SetBitsPerPixel(32);
    ASSERT_TRUE(canvas.Create(3, 3));
    SetPixel(canvas, 1, 1, 0, 0, 255, 255);
    canvas.BleedColorIntoTransparent();
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            const std::uint8_t* p = canvas.Rows()[y] + x * 4;
            EXPECT_EQ(p[0], 0);
            EXPECT_EQ(p[1], 0);
            EXPECT_EQ(p[2], 255) << x << "," << y;
            EXPECT_EQ(p[3], (x == 1 && y == 1) ? 255 : 0);
        }
    }
}

TEST(BleedColor, EqualDistancesAverageAndOpaquePixelsStay) {
    RasterCanvas canvas;
    canvas.SetBitsPerPixel(32);
    ASSERT_TRUE(canvas.Create(5, 1));
    SetPixel(canvas, 0, 0, 100, 0, 9, 255);
    SetPixel(canvas, 4, 0, 201, 50, 0, 1);
    canvas.BleedColorIntoTransparent();
    const Bytes expected = {100, 0, 9, 255, 100, 0, 9, 0, 150, 25, 4, 0, 201, 50, 0, 0, 201, 50, 0, 1};
    EXPECT_EQ(StorageOf(canvas), expected);
}

TEST(BleedColor, PixelsOffEveryRayAndImagesWithoutAlphaStayUntouched) {
    RasterCanvas canvas;
    canvas.SetBitsPerPixel(32);
    ASSERT_TRUE(canvas.Create(4, 3));
    SetPixel(canvas, 0, 0, 10, 20, 30, 255);
    canvas.BleedColorIntoTransparent();
    // Only pixels in the same row, column or diagonal as (0, 0) can see it.
    const bool sees[3][4] = {
        {true, true, true, true}, {true, true, false, false}, {true, false, true, false}};
    Bytes expected(canvas.TotalSize(), 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            if (sees[y][x]) {
                std::uint8_t* p = expected.data() + (y * 4 + x) * 4;
                p[0] = 10;
                p[1] = 20;
                p[2] = 30;
                p[3] = (x == 0 && y == 0) ? 255 : 0;
            }
        }
    }
    EXPECT_EQ(StorageOf(canvas), expected);

    RasterCanvas rgb;
    ASSERT_TRUE(rgb.Create(3, 3));
    rgb.Fill(0x00000000);
    rgb.BleedColorIntoTransparent();
    EXPECT_EQ(StorageOf(rgb), Bytes(rgb.TotalSize(), 0));
}

TEST(BleedColor, MatchesTheDistanceByDistanceSearchOnRandomImages) {
    std::mt19937 random(42);
    for (int round = 0; round < 60; ++round) {
        const int w = 1 + static_cast<int>(random() % 23), h = 1 + static_cast<int>(random() % 17);
        const unsigned opaqueShare = 1 + random() % 30; // percent
        RasterCanvas canvas;
        canvas.SetBitsPerPixel(32);
        ASSERT_TRUE(canvas.Create(w, h));
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const bool opaque = random() % 100 < opaqueShare;
                SetPixel(canvas, x, y, static_cast<std::uint8_t>(random()),
                         static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                         opaque ? static_cast<std::uint8_t>(1 + random() % 255) : 0);
            }
        }
        const Bytes expected = BleedReference(canvas);
        canvas.BleedColorIntoTransparent();
        ASSERT_EQ(StorageOf(canvas), expected) << "round " << round << " size " << w << "x" << h;
    }
}
