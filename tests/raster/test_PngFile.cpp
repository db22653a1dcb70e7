#include "raster/PngFile.h"

#include "test_ImageFileFixtures.h"

#include <QImage>
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

namespace {

using Bytes = std::vector<std::uint8_t>;

using fixtures::Decoded;

Decoded Decode(const Bytes& file) {
    PngFile png;
    return fixtures::DecodeWith(png, file);
}

// Rewrites the IHDR size fields and its CRC, giving a well-formed header for any size.
Bytes WithHeaderSize(Bytes file, std::uint32_t width, std::uint32_t height) {
    const std::size_t ihdrData = 16; // signature 8, length 4, type 4
    for (int i = 0; i < 4; ++i) {
        file[ihdrData + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
        file[ihdrData + 4 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
    }
    const uLong crc = crc32(0, file.data() + 12, 4 + 13);
    for (int i = 0; i < 4; ++i) {
        file[ihdrData + 13 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    }
    return file;
}

fixtures::PngRecipe RgbRecipe(int width, int height, std::uint32_t seed) {
    fixtures::PngRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    std::mt19937 random(seed);
    recipe.rows.resize(static_cast<std::size_t>(width) * height * 3);
    for (auto& byte : recipe.rows) {
        byte = static_cast<std::uint8_t>(random());
    }
    return recipe;
}

TEST(PngFile, RgbPixelsArriveAsBlueGreenRedTopRowFirst) {
    fixtures::PngRecipe recipe;
    recipe.width = 2;
    recipe.height = 2;
    recipe.rows = {10, 20, 30, 40,  50,  60, //
                   70, 80, 90, 100, 110, 120};
    const Decoded d = Decode(fixtures::WritePng(recipe));
    ASSERT_TRUE(d.headerOk);
    ASSERT_TRUE(d.rowsOk);
    EXPECT_EQ(d.bytesPerPixel, 3);
    EXPECT_EQ(d.pixels, (Bytes{30, 20, 10, 60, 50, 40, 90, 80, 70, 120, 110, 100}));
    EXPECT_EQ(d.dpi, 0);
}

TEST(PngFile, PaletteWithTransparencyBecomesFourBytesPerPixel) {
    fixtures::PngRecipe recipe;
    recipe.width = 3;
    recipe.height = 1;
    recipe.colorType = PNG_COLOR_TYPE_PALETTE;
    recipe.palette = {{255, 0, 0}, {0, 255, 0}, {1, 2, 3}};
    recipe.paletteAlpha = {0, 128}; // entry 2 has no alpha value: opaque
    recipe.rows = {2, 0, 1};
    const Decoded d = Decode(fixtures::WritePng(recipe));
    ASSERT_TRUE(d.rowsOk);
    EXPECT_EQ(d.bytesPerPixel, 4);
    EXPECT_EQ(d.pixels, (Bytes{3, 2, 1, 255, 0, 0, 255, 0, 0, 255, 0, 128}));
}

TEST(PngFile, PaletteWithoutTransparencyStaysThreeBytesPerPixel) {
    fixtures::PngRecipe recipe;
    recipe.width = 2;
    recipe.height = 1;
    recipe.colorType = PNG_COLOR_TYPE_PALETTE;
    recipe.bitDepth = 4;
    recipe.palette = {{9, 8, 7}, {6, 5, 4}};
    recipe.rows = {0x10}; // two 4-bit indices: 1 then 0
    const Decoded d = Decode(fixtures::WritePng(recipe));
    ASSERT_TRUE(d.rowsOk);
    EXPECT_EQ(d.bytesPerPixel, 3);
    EXPECT_EQ(d.pixels, (Bytes{4, 5, 6, 7, 8, 9}));
}

TEST(PngFile, LowBitGreyExpandsToFullRange) {
    fixtures::PngRecipe recipe;
    recipe.width = 4;
    recipe.height = 1;
    recipe.colorType = PNG_COLOR_TYPE_GRAY;
    recipe.bitDepth = 2;
    recipe.rows = {0x1B}; // 0, 1, 2, 3
    const Decoded d = Decode(fixtures::WritePng(recipe));
    ASSERT_TRUE(d.rowsOk);
    EXPECT_EQ(d.bytesPerPixel, 3);
    EXPECT_EQ(d.pixels, (Bytes{0, 0, 0, 85, 85, 85, 170, 170, 170, 255, 255, 255}));
}

TEST(PngFile, SixteenBitGreyKeepsHighBytesInThreeBytesPerPixel) {
    fixtures::PngRecipe recipe;
    recipe.width = 2;
    recipe.height = 1;
    recipe.colorType = PNG_COLOR_TYPE_GRAY;
    recipe.bitDepth = 16;
    recipe.rows = {0x12, 0x34, 0xFE, 0x01};
    const Decoded d = Decode(fixtures::WritePng(recipe));
    ASSERT_TRUE(d.rowsOk);
    EXPECT_EQ(d.bytesPerPixel, 3);
    EXPECT_EQ(d.pixels, (Bytes{0x12, 0x12, 0x12, 0xFE, 0xFE, 0xFE}));
}

TEST(PngFile, GreyAlphaAndGreyKeyGiveAlpha) {
    fixtures::PngRecipe greyAlpha;
    greyAlpha.width = 2;
    greyAlpha.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
    greyAlpha.rows = {40, 200, 90, 0};
    Decoded d = Decode(fixtures::WritePng(greyAlpha));
    ASSERT_TRUE(d.rowsOk);
    EXPECT_EQ(d.bytesPerPixel, 4);
    EXPECT_EQ(d.pixels, (Bytes{40, 40, 40, 200, 90, 90, 90, 0}));

    fixtures::PngRecipe keyed;
    keyed.width = 2;
    keyed.colorType = PNG_COLOR_TYPE_GRAY;
    keyed.greyKey = true;
    keyed.greyKeyValue = 7;
    keyed.rows = {7, 8};
    d = Decode(fixtures::WritePng(keyed));
    ASSERT_TRUE(d.rowsOk);
    EXPECT_EQ(d.bytesPerPixel, 4);
    EXPECT_EQ(d.pixels, (Bytes{7, 7, 7, 0, 8, 8, 8, 255}));
}

TEST(PngFile, SixteenBitRgbaIsStrippedToEightBits) {
    fixtures::PngRecipe recipe;
    recipe.width = 1;
    recipe.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    recipe.bitDepth = 16;
    recipe.rows = {0xA1, 0x01, 0xB2, 0x02, 0xC3, 0x03, 0xD4, 0x04};
    const Decoded d = Decode(fixtures::WritePng(recipe));
    ASSERT_TRUE(d.rowsOk);
    EXPECT_EQ(d.pixels, (Bytes{0xC3, 0xB2, 0xA1, 0xD4}));
}

TEST(PngFile, InterlacedImageDecodesLikeTheProgressiveOne) {
    fixtures::PngRecipe plain = RgbRecipe(11, 9, 5);
    fixtures::PngRecipe interlaced = plain;
    interlaced.interlaced = true;
    const Decoded a = Decode(fixtures::WritePng(plain));
    const Decoded b = Decode(fixtures::WritePng(interlaced));
    ASSERT_TRUE(a.rowsOk);
    ASSERT_TRUE(b.rowsOk);
    EXPECT_EQ(a.pixels, b.pixels);
}

TEST(PngFile, ResolutionInMetresBecomesDotsPerInchOfTheLargerAxis) {
    fixtures::PngRecipe recipe = RgbRecipe(1, 1, 1);
    recipe.physUnit = PNG_RESOLUTION_METER;
    recipe.physX = 2835;  // 72.0 dpi
    recipe.physY = 11811; // 299.99 dpi
    EXPECT_EQ(Decode(fixtures::WritePng(recipe)).dpi, 299);

    recipe.physUnit = PNG_RESOLUTION_UNKNOWN; // an aspect ratio only
    EXPECT_EQ(Decode(fixtures::WritePng(recipe)).dpi, 0);
}

TEST(PngFile, WrongSignatureEmptyInputAndOversizedHeadersFail) {
    Bytes file = fixtures::WritePng(RgbRecipe(2, 2, 3));
    Bytes broken = file;
    broken[1] = 'Q';
    EXPECT_FALSE(Decode(broken).headerOk);
    EXPECT_FALSE(Decode(Bytes{}).headerOk);
    PngFile none;
    EXPECT_FALSE(none.ReadHeader(nullptr, 100));

    EXPECT_FALSE(Decode(WithHeaderSize(file, 40000, 2)).headerOk);
    EXPECT_FALSE(Decode(WithHeaderSize(file, 2, 40000)).headerOk);
    // Each side within bounds, but the pixels would need more than 1 GiB.
    EXPECT_FALSE(Decode(WithHeaderSize(file, 30000, 30000)).headerOk);
    EXPECT_TRUE(Decode(WithHeaderSize(file, 2, 2)).rowsOk); // the rewriting itself is sound
}

TEST(PngFile, EveryTruncationBeforeTheEndChunkFails) {
    const Bytes file = fixtures::WritePng(RgbRecipe(7, 5, 9));
    const std::size_t endChunk = file.size() - 12;
    for (std::size_t size = 0; size < endChunk; ++size) {
        const Decoded d = Decode(Bytes(file.begin(), file.begin() + size));
        EXPECT_FALSE(d.headerOk && d.rowsOk) << "cut at " << size;
    }
    EXPECT_TRUE(Decode(file).rowsOk);
}

TEST(PngFile, CorruptCompressedDataFailsWithoutCrashing) {
    Bytes file = fixtures::WritePng(RgbRecipe(16, 16, 4));
    std::mt19937 random(77);
    int failures = 0;
    for (int round = 0; round < 200; ++round) {
        Bytes damaged = file;
        damaged[33 + random() % (damaged.size() - 33 - 12)] ^= static_cast<std::uint8_t>(1 + random() % 255);
        const Decoded d = Decode(damaged);
        failures += (d.headerOk && d.rowsOk) ? 0 : 1;
    }
    // Chunk checksums catch every flipped byte between the header and the end chunk.
    EXPECT_EQ(failures, 200);
}

// Canvas-layout pixels (blue, green, red[, alpha]) of a seeded random picture, top row first.
Bytes RandomPixels(int width, int height, int bytesPerPixel, std::uint32_t seed) {
    Bytes pixels(static_cast<std::size_t>(width) * height * bytesPerPixel);
    std::mt19937 random(seed);
    for (auto& byte : pixels) {
        byte = static_cast<std::uint8_t>(random());
    }
    return pixels;
}

Bytes Encode(Bytes& pixels, int width, int height, int bytesPerPixel, int dpi) {
    const auto rows = fixtures::RowsOf(pixels, height);
    Bytes encoded;
    std::string error;
    EXPECT_TRUE(PngFile::Encode(rows.data(), width, height, bytesPerPixel, dpi, encoded, &error)) << error;
    return encoded;
}

TEST(PngFile, EncodedPicturesDecodeToTheSameBytesAndResolution) {
    for (const int bytesPerPixel : {3, 4}) {
        Bytes pixels = RandomPixels(9, 5, bytesPerPixel, 11u + bytesPerPixel);
        const Decoded d = Decode(Encode(pixels, 9, 5, bytesPerPixel, 96));
        ASSERT_TRUE(d.headerOk && d.rowsOk) << bytesPerPixel;
        EXPECT_EQ(d.width, 9);
        EXPECT_EQ(d.height, 5);
        EXPECT_EQ(d.bytesPerPixel, bytesPerPixel);
        EXPECT_EQ(d.dpi, 96);
        EXPECT_EQ(d.pixels, pixels) << bytesPerPixel << " bytes per pixel";
    }
    Bytes plain = RandomPixels(2, 2, 3, 5);
    EXPECT_EQ(Decode(Encode(plain, 2, 2, 3, 0)).dpi, 0);
}

TEST(PngFile, AnotherReaderSeesRedGreenBlueAndAlphaWhereTheyBelong) {
    // Top row: a blue-green-red triple (1, 2, 3) and an opaque pure red; bottom row half-transparent
    // green and transparent white.
    Bytes pixels = {1, 2, 3, 255, 0, 0, 255, 255, 0, 255, 0, 128, 255, 255, 255, 0};
    const Bytes encoded = Encode(pixels, 2, 2, 4, 0);
    const QImage image = QImage::fromData(encoded.data(), static_cast<int>(encoded.size()), "PNG");
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(image.hasAlphaChannel());
    EXPECT_EQ(image.pixel(0, 0), qRgba(3, 2, 1, 255));
    EXPECT_EQ(image.pixel(1, 0), qRgba(255, 0, 0, 255));
    EXPECT_EQ(qGreen(image.pixel(0, 1)), 255);
    EXPECT_EQ(qAlpha(image.pixel(0, 1)), 128);
    EXPECT_EQ(qAlpha(image.pixel(1, 1)), 0);
}

TEST(PngFile, EncodingRefusesWhatCannotBeAPicture) {
    Bytes pixels = RandomPixels(2, 2, 3, 1);
    const auto rows = fixtures::RowsOf(pixels, 2);
    Bytes encoded{1, 2, 3};
    std::string error;
    EXPECT_FALSE(PngFile::Encode(rows.data(), 0, 2, 3, 0, encoded, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(encoded.empty());
    EXPECT_FALSE(PngFile::Encode(rows.data(), 2, 2, 2, 0, encoded));
    EXPECT_FALSE(PngFile::Encode(nullptr, 2, 2, 3, 0, encoded));
}

} // namespace
