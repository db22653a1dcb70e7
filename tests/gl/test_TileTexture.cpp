#include "GlFixture.h"

#include "gl/TileTexture.h"
#include "raster/RasterCanvas.h"
#include "support/Matrix3.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

using gltest::ChannelDistance;

// width x height pixels of bytesPerPixel; pixel(x, stored row y) gives blue, green, red, alpha.
template <typename Pixel>
std::unique_ptr<RasterCanvas> MakeImage(int width, int height, int bytesPerPixel, Pixel pixel) {
    auto image = std::make_unique<RasterCanvas>();
    image->SetBitsPerPixel(bytesPerPixel * 8);
    EXPECT_TRUE(image->Create(width, height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::array<std::uint8_t, 4> bgra = pixel(x, y);
            std::memcpy(image->Rows()[y] + x * bytesPerPixel, bgra.data(), bytesPerPixel);
        }
    }
    return image;
}

// Opaque inside, transparent on the outer edge; red and green in a checker of single pixels.
std::array<std::uint8_t, 4> FramedChecker(int x, int y, int width, int height) {
    if (x == 0 || y == 0 || x == width - 1 || y == height - 1) {
        return {0, 0, 0, 0};
    }
    return (x + y) % 2 ? std::array<std::uint8_t, 4>{0, 0, 255, 255}
                       : std::array<std::uint8_t, 4>{0, 255, 0, 255};
}

int TextureWidth(int level) {
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
    return width;
}

TEST(TextureLayout, BorderAndPowerOfTwoSizesFollowTheImagesEdge) {
    auto framed = MakeImage(100, 60, 4, [](int x, int y) { return FramedChecker(x, y, 100, 60); });
    TextureLayout layout = TextureLayout::For(*framed);
    EXPECT_EQ(layout.border, 0);
    EXPECT_EQ(layout.textureWidth, 128);
    EXPECT_EQ(layout.textureHeight, 64);
    EXPECT_FLOAT_EQ(layout.left, 0.0f);
    EXPECT_FLOAT_EQ(layout.right, 100.0f / 128.0f);
    EXPECT_FLOAT_EQ(layout.bottom, 60.0f / 64.0f);
    // Without a border the rest of the block stays transparent black.
    std::vector<std::uint8_t> block = TileTexture::PaddedPixels(*framed, layout);
    EXPECT_EQ(block[(10 * 128 + 110) * 4 + 3], 0);
    EXPECT_EQ(block[(10 * 128 + 10) * 4 + 3], 255);

    // One opaque pixel on the edge gives the border: 100 + 16 and 60 + 16 round up to 128.
    framed->Rows()[0][50 * 4 + 3] = 255;
    layout = TextureLayout::For(*framed);
    EXPECT_EQ(layout.border, 8);
    EXPECT_EQ(layout.textureWidth, 128);
    EXPECT_EQ(layout.textureHeight, 128);
    EXPECT_FLOAT_EQ(layout.left, 8.0f / 128.0f);
    EXPECT_FLOAT_EQ(layout.top, 8.0f / 128.0f);
    EXPECT_FLOAT_EQ(layout.right, 108.0f / 128.0f);
    EXPECT_FLOAT_EQ(layout.bottom, 68.0f / 128.0f);
    // The edge pixels reach out to the block's ends: corners, the bottom row below, the top row above.
    block = TileTexture::PaddedPixels(*framed, layout);
    auto at = [&](int x, int row) { return block.data() + (row * 128 + x) * 4; };
    EXPECT_EQ(std::memcmp(at(0, 0), framed->Rows()[0], 4), 0);
    EXPECT_EQ(std::memcmp(at(58, 0), framed->Rows()[0] + 50 * 4, 4), 0);
    EXPECT_EQ(std::memcmp(at(127, 127), framed->Rows()[59] + 99 * 4, 4), 0);
    EXPECT_EQ(std::memcmp(at(40, 100), framed->Rows()[59] + 32 * 4, 4), 0);
    EXPECT_EQ(std::memcmp(at(120, 30), framed->Rows()[22] + 99 * 4, 4), 0);

    // Where a texture that large cannot be held, every other pixel of the same block.
    const std::vector<std::uint8_t> reduced = TileTexture::PaddedPixels(*framed, layout, 64, 64);
    for (int row = 0; row < 64; ++row) {
        for (int x = 0; x < 64; ++x) {
            ASSERT_EQ(std::memcmp(reduced.data() + (row * 64 + x) * 4, at(2 * x, 2 * row), 4), 0)
                << x << "," << row;
        }
    }

    // A picture without alpha always gets the border, and so does a single pixel.
    auto opaque = MakeImage(100, 60, 3, [](int, int) { return std::array<std::uint8_t, 4>{1, 2, 3, 0}; });
    EXPECT_EQ(TextureLayout::For(*opaque).border, 8);
    auto dot = MakeImage(1, 1, 4, [](int, int) { return std::array<std::uint8_t, 4>{0, 0, 0, 0}; });
    layout = TextureLayout::For(*dot);
    EXPECT_EQ(layout.border, 8);
    EXPECT_EQ(layout.textureWidth, 32);
    EXPECT_EQ(layout.textureHeight, 32);
}

class TileTextureDraw : public gltest::GlFixture {};

TEST_F(TileTextureDraw, UploadsTheWholeMipmapChainAtThePowerOfTwoSize) {
    auto framed = MakeImage(100, 60, 4, [](int x, int y) { return FramedChecker(x, y, 100, 60); });
    TileTexture texture;
    ASSERT_TRUE(texture.Build(*framed, {}));
    ASSERT_NE(texture.Name(), 0u);
    glBindTexture(GL_TEXTURE_2D, texture.Name());
    EXPECT_EQ(TextureWidth(0), 128);
    EXPECT_EQ(TextureWidth(7), 1);

    // A strip wider than any texture may be is taken at the largest width the texture can have.
    auto strip =
        MakeImage(TileTexture::kMaxSide + 8, 2, 3, [](int, int) { return std::array<std::uint8_t, 4>{}; });
    TileTexture wide;
    ASSERT_TRUE(wide.Build(*strip, {}));
    glBindTexture(GL_TEXTURE_2D, wide.Name());
    EXPECT_EQ(TextureWidth(0), TileTexture::LargestSide());
    EXPECT_FLOAT_EQ(wide.Layout().right, (8.0f + TileTexture::kMaxSide + 8) / (2 * TileTexture::kMaxSide));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A 16 x 16 checker drawn four times magnified fills a 64 x 64 target.
constexpr int kSide = 16, kScale = 4, kTarget = kSide * kScale;

TEST_F(TileTextureDraw, FullStrengthTintIsASilhouetteAndFourTimesShowsSharpPixels) {
    MakeTarget(kTarget, kTarget);
    auto checker = MakeImage(kSide, kSide, 4, [](int x, int y) { return FramedChecker(x, y, kSide, kSide); });
    TileTexture texture;
    ASSERT_TRUE(texture.Build(*checker, {}));
    auto draw = [&](const TextureStyle& style, double scale = kScale) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kTarget, 0, kTarget, -1, 1);
        glEnable(GL_TEXTURE_2D);
        texture.Draw(Matrix3::Scaling(scale, scale), style, {});
        glDisable(GL_TEXTURE_2D);
        return ReadPixels();
    };
    auto count = [](const std::vector<std::uint32_t>& pixels, std::uint32_t color) {
        int n = 0;
        for (std::uint32_t p : pixels) {
            n += ChannelDistance(p, color) <= 2;
        }
        return n;
    };
    constexpr int kInside = (kSide - 2) * (kSide - 2) * kScale * kScale;

    // Untinted at four times: every pixel is a whole texel, red, green or the black around.
    const std::vector<std::uint32_t> plain = draw(TextureStyle{});
    EXPECT_EQ(count(plain, 0x0000FF) + count(plain, 0x00FF00), kInside);
    EXPECT_EQ(count(plain, 0x000000), kTarget * kTarget - kInside);

    // Smoothing that the definition asks for mixes neighbouring texels.
    TextureStyle smooth;
    smooth.alwaysSmooth = true;
    EXPECT_LT(count(draw(smooth), 0x0000FF) + count(draw(smooth), 0x00FF00), kInside / 2);
    // Below four times pictures are smoothed, unless Quick Draw asks for speed.
    const std::vector<std::uint32_t> twice = draw(TextureStyle{}, kScale / 2);
    EXPECT_LT(count(twice, 0x0000FF) + count(twice, 0x00FF00), kInside / 8);
    TextureStyle quick;
    quick.quickDraw = true;
    const std::vector<std::uint32_t> quickTwice = draw(quick, kScale / 2);
    EXPECT_EQ(count(quickTwice, 0x0000FF) + count(quickTwice, 0x00FF00), kInside / 4);

    // Tinted blue at full strength: the picture's shape in blue, nothing of red or green, even where
    // it is faded (as path marks are) and the picture would show through a tint laid on top.
    TextureStyle silhouette;
    silhouette.overlay = true;
    silhouette.overlayColor = Rgb8(0, 0, 255);
    silhouette.weight = 1.0f;
    silhouette.silhouette = true;
    silhouette.opacity = 0.5f;
    const std::vector<std::uint32_t> blue = draw(silhouette);
    EXPECT_EQ(count(blue, 0x800000), kInside);
    EXPECT_EQ(count(blue, 0x000000), kTarget * kTarget - kInside);

    // Half strength over the picture: half red or green, half blue.
    TextureStyle half = silhouette;
    half.silhouette = false;
    half.opacity = 1.0f;
    half.weight = 0.5f;
    const std::vector<std::uint32_t> mixed = draw(half);
    EXPECT_EQ(count(mixed, 0x800080) + count(mixed, 0x808000), kInside);
}

} // namespace
