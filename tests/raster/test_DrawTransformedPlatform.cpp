// Drawing a canvas through platform drawing (a colour-reduced copy blitted with masks), and the colour
// reduction behind it.

#include "raster/ColorQuantizer.h"
#include "raster/DcRasterCanvas.h"
#include "support/Matrix3.h"
#include "test_DrawTransformedHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <set>
#include <vector>

namespace {

using namespace drawtest;

void SetPixel(RasterCanvas& canvas, int x, int y, std::uint32_t bgr, int alpha = 255) {
    std::uint8_t* p = PixelAt(canvas, x, y);
    p[0] = std::uint8_t(bgr >> 16), p[1] = std::uint8_t(bgr >> 8), p[2] = std::uint8_t(bgr);
    if (canvas.BytesPerPixel() == 4) {
        p[3] = std::uint8_t(alpha);
    }
}

std::uint32_t PixelColour(RasterCanvas& canvas, int x, int y) {
    const std::uint8_t* p = PixelAt(canvas, x, y);
    return std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
}

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kBlue = 0xFF0000;
constexpr std::uint32_t kGreenish = 0x20C040;

TEST(ColorQuantizer, FewDistinctColoursComeBackExactly) {
    auto image = MakeCanvas(5, 3, 3);
    const std::uint32_t colours[3] = {kRed, kBlue, kGreenish};
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            SetPixel(*image, x, y, colours[(x + y) % 3]);
        }
    }
    ColorQuantizer q;
    ASSERT_TRUE(q.Quantize(image->Rows(), 5, 3, 3));
    ASSERT_EQ(q.Palette().size(), 3u);
    ASSERT_EQ(q.Indices().size(), 15u);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(q.Palette()[q.Indices()[std::size_t(y * 5 + x)]], colours[(x + y) % 3]);
        }
    }
    EXPECT_EQ(q.Palette()[q.IndexOf(0xFF, 0, 0)], kBlue);
    EXPECT_EQ(q.Palette()[q.IndexOf(0x30, 0xB0, 0x30)], kGreenish); // nearest of the three
}

TEST(ColorQuantizer, ManyColoursReduceToAtMost256CloseEntries) {
    std::mt19937 rng(5);
    auto image = MakeCanvas(64, 64, 4);
    // A smooth gradient with a little noise: thousands of colours.
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            int n = int(rng() % 5);
            SetPixel(*image, x, y,
                     std::uint32_t(4 * x + n) << 16 | std::uint32_t(4 * y) << 8 | std::uint32_t(2 * (x + y)));
        }
    }
    ColorQuantizer q;
    ASSERT_TRUE(q.Quantize(image->Rows(), 64, 64, 4));
    ASSERT_LE(q.Palette().size(), 256u);
    EXPECT_GT(q.Palette().size(), 200u);
    double error = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            std::uint32_t got = q.Palette()[q.Indices()[std::size_t(y * 64 + x)]];
            std::uint32_t want = PixelColour(*image, x, y);
            for (int shift : {0, 8, 16}) {
                error += std::abs(int(got >> shift & 255) - int(want >> shift & 255));
            }
        }
    }
    EXPECT_LT(error / (64 * 64 * 3), 6.0);
    // Fewer entries when asked.
    ASSERT_TRUE(q.Quantize(image->Rows(), 64, 64, 4, 16));
    EXPECT_EQ(q.Palette().size(), 16u);
}

TEST(ColorQuantizer, RejectsEmptyInput) {
    ColorQuantizer q;
    EXPECT_FALSE(q.Quantize(nullptr, 4, 4, 3));
    auto image = MakeCanvas(2, 2, 3);
    EXPECT_FALSE(q.Quantize(image->Rows(), 0, 2, 3));
    EXPECT_FALSE(q.Quantize(image->Rows(), 2, 2, 2));
    EXPECT_TRUE(q.Palette().empty());
    EXPECT_EQ(q.IndexOf(1, 2, 3), 0);
}

// Left half red, right half blue, in 2 x 2 blocks so the half-size copy keeps the split.
std::unique_ptr<RasterCanvas> HalvesPicture(int bytes, int rightAlpha) {
    auto src = MakeCanvas(8, 8, bytes);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            SetPixel(*src, x, y, x < 4 ? kRed : kBlue, x < 4 ? 255 : rightAlpha);
        }
    }
    return src;
}

std::unique_ptr<DcRasterCanvas> PlatformTarget(int width, int height, std::uint32_t colour) {
    auto dst = std::make_unique<DcRasterCanvas>();
    dst->Create(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            SetPixel(*dst, x, y, colour);
        }
    }
    return dst;
}

TEST(DrawTransformedPlatform, OpaquePictureIsCopiedThroughItsPalette) {
    auto src = HalvesPicture(3, 255);
    auto dst = PlatformTarget(8, 8, 0x00FF00);
    src->DrawTransformedPlatform(dst->Painter(), 0, 0, Matrix3::Identity(), false, 1.0f);
    dst->Painter().Flush();
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            ASSERT_EQ(PixelColour(*dst, x, y), x < 4 ? kRed : kBlue) << x << "," << y;
        }
    }
}

TEST(DrawTransformedPlatform, TransparentTexelsLeaveTheDestinationThroughTheMask) {
    auto src = HalvesPicture(4, 0);
    auto dst = PlatformTarget(8, 8, 0x00FF00);
    src->DrawTransformedPlatform(dst->Painter(), 0, 0, Matrix3::Identity(), false, 1.0f);
    dst->Painter().Flush();
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            ASSERT_EQ(PixelColour(*dst, x, y), x < 4 ? kRed : 0x00FF00u) << x << "," << y;
        }
    }
}

TEST(DrawTransformedPlatform, GreyDrawUsesGreyPaletteAndOriginShiftsThePicture) {
    auto src = HalvesPicture(3, 255);
    auto dst = PlatformTarget(12, 10, 0x000000);
    src->DrawTransformedPlatform(dst->Painter(), 3, 2, Matrix3::Identity(), true, 1.0f);
    dst->Painter().Flush();
    const std::uint32_t grey = 85u << 16 | 85u << 8 | 85u; // (255 + 0 + 0) / 3 for both halves
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 12; ++x) {
            bool inside = x >= 3 && x < 11 && y >= 2 && y < 10;
            ASSERT_EQ(PixelColour(*dst, x, y), inside ? grey : 0u) << x << "," << y;
        }
    }
    // The source's own pixels and later colour draws are unaffected by the grey draw.
    EXPECT_EQ(PixelColour(*src, 0, 0), kRed);
    src->DrawTransformedPlatform(dst->Painter(), 3, 2, Matrix3::Identity(), false, 1.0f);
    dst->Painter().Flush();
    EXPECT_EQ(PixelColour(*dst, 3, 2), kRed);
}

TEST(DrawTransformedPlatform, RotatedPictureIsClippedToItsOutline) {
    // A 16 x 16 picture turned 45 degrees about its centre inside a 24 x 24 target: the corners of
    // the bounding box lie outside the turned square and must keep the background.
    auto src = MakeCanvas(16, 16, 3);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            SetPixel(*src, x, y, kRed);
        }
    }
    auto dst = PlatformTarget(24, 24, 0x00FF00);
    Matrix3 m = Matrix3::Product(Matrix3::Translation(-8, -8),
                                 Matrix3::Product(Matrix3::Rotation(M_PI / 4), Matrix3::Translation(12, 12)));
    src->DrawTransformedPlatform(dst->Painter(), 0, 0, m, false, 1.0f);
    dst->Painter().Flush();
    EXPECT_EQ(PixelColour(*dst, 12, 12), kRed);
    EXPECT_EQ(PixelColour(*dst, 12, 2), kRed);
    EXPECT_EQ(PixelColour(*dst, 1, 1), 0x00FF00u);
    EXPECT_EQ(PixelColour(*dst, 22, 22), 0x00FF00u);
    EXPECT_EQ(PixelColour(*dst, 22, 1), 0x00FF00u);
}

TEST(DrawTransformedPlatform, HostileMatricesAndDetachedPaintersDrawNothing) {
    auto src = HalvesPicture(4, 128);
    auto dst = PlatformTarget(8, 8, 0x123456);
    auto before = Snapshot(*dst);
    const double nan = std::nan("");
    Matrix3 singular;
    singular.Set(1, 1, 2, 2, 0, 0);
    Matrix3 notFinite;
    notFinite.Set(nan, 0, 0, 1, 0, 0);
    Matrix3 far = Matrix3::Translation(1e12, 0);
    for (const Matrix3& m : {singular, notFinite, far}) {
        src->DrawTransformedPlatform(dst->Painter(), 0, 0, m, false, 1.0f);
    }
    dst->Painter().Flush();
    EXPECT_EQ(Snapshot(*dst), before);
    CanvasPainter detached;
    src->DrawTransformedPlatform(detached, 0, 0, Matrix3::Identity(), false, 1.0f);
    RasterCanvas empty;
    empty.DrawTransformedPlatform(dst->Painter(), 0, 0, Matrix3::Identity(), false, 1.0f);
    dst->Painter().Flush();
    EXPECT_EQ(Snapshot(*dst), before);
}

} // namespace
