#include "raster/JpegFile.h"

#include "test_ImageFileFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Decoded : fixtures::Decoded {
    JpegFile::Layout layout = JpegFile::Layout::Rgb;
};

Decoded Decode(const Bytes& file) {
    JpegFile jpeg;
    Decoded result;
    static_cast<fixtures::Decoded&>(result) = fixtures::DecodeWith(jpeg, file);
    if (result.headerOk) {
        result.layout = jpeg.PixelLayout();
    }
    return result;
}

Bytes Encode(Bytes pixels, int width, int height, int bytesPerPixel, int dpi, int quality) {
    auto rows = fixtures::RowsOf(pixels, height);
    std::vector<const std::uint8_t*> constRows(rows.begin(), rows.end());
    Bytes out;
    EXPECT_TRUE(JpegFile::Encode(constRows.data(), width, height, bytesPerPixel, dpi, quality, out));
    return out;
}

// Smooth picture in canvas layout, different in every channel and along both axes.
Bytes Gradient(int width, int height, int bytesPerPixel) {
    Bytes pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back(128);                                               // blue
            pixels.push_back(static_cast<std::uint8_t>(y * 255 / (height - 1))); // green
            pixels.push_back(static_cast<std::uint8_t>(x * 255 / (width - 1)));  // red
            if (bytesPerPixel == 4) {
                pixels.push_back(static_cast<std::uint8_t>(255 - (x + y) * 4));
            }
        }
    }
    return pixels;
}

int LargestDifference(const Bytes& a, const Bytes& b) {
    if (a.size() != b.size()) {
        return 256;
    }
    int largest = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        largest = std::max(largest, std::abs(a[i] - b[i]));
    }
    return largest;
}

int CountOf(const Bytes& haystack, const Bytes& needle) {
    int count = 0;
    for (auto it = haystack.begin();
         (it = std::search(it, haystack.end(), needle.begin(), needle.end())) != haystack.end(); ++it) {
        ++count;
    }
    return count;
}

Bytes CommentSegment(const std::string& text) {
    const std::size_t length = text.size() + 2;
    const std::string segment =
        std::string("\xFF\xFE") + static_cast<char>(length >> 8) + static_cast<char>(length & 0xFF) + text;
    return Bytes(segment.begin(), segment.end());
}

std::size_t MarkerOffset(const Bytes& file, std::uint8_t marker) {
    for (std::size_t i = 0; i + 1 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] == marker) {
            return i;
        }
    }
    return file.size();
}

Bytes WithFrameSize(Bytes file, int width, int height) {
    const std::size_t frame = MarkerOffset(file, 0xC0);
    file[frame + 5] = static_cast<std::uint8_t>(height >> 8);
    file[frame + 6] = static_cast<std::uint8_t>(height);
    file[frame + 7] = static_cast<std::uint8_t>(width >> 8);
    file[frame + 8] = static_cast<std::uint8_t>(width);
    return file;
}

TEST(JpegFile, ColourPicturesSurviveARoundTripUprightWithTheirComment) {
    const Bytes picture = Gradient(16, 16, 3);
    const Bytes file = Encode(picture, 16, 16, 3, 96, 95);
    EXPECT_EQ(CountOf(file, CommentSegment("IGC:RGB")), 1);
    EXPECT_EQ(CountOf(file, CommentSegment("IGC:CMYK=RGBA")), 0);

    const Decoded d = Decode(file);
    ASSERT_TRUE(d.rowsOk);
    EXPECT_EQ(d.layout, JpegFile::Layout::Rgb);
    EXPECT_EQ(d.bytesPerPixel, 3);
    EXPECT_EQ(d.width, 16);
    EXPECT_EQ(d.height, 16);
    EXPECT_LE(LargestDifference(d.pixels, picture), 12);
}

TEST(JpegFile, AlphaPicturesTravelAsDeclaredCmykAndComeBackWithAlpha) {
    const Bytes picture = Gradient(16, 8, 4);
    const Bytes file = Encode(picture, 16, 8, 4, 96, 95);
    EXPECT_EQ(CountOf(file, CommentSegment("IGC:CMYK=RGBA")), 1);

    const Decoded d = Decode(file);
    ASSERT_TRUE(d.rowsOk);
    EXPECT_EQ(d.layout, JpegFile::Layout::Rgba);
    EXPECT_EQ(d.bytesPerPixel, 4);
    EXPECT_LE(LargestDifference(d.pixels, picture), 4);
}

TEST(JpegFile, DensityBecomesTheResolution) {
    EXPECT_EQ(Decode(Encode(Gradient(8, 8, 3), 8, 8, 3, 300, 90)).dpi, 300);

    fixtures::JpegRecipe recipe;
    recipe.width = 8;
    recipe.height = 8;
    recipe.densityUnit = 2; // dots per centimetre
    recipe.xDensity = 50;
    recipe.yDensity = 100;
    EXPECT_EQ(Decode(fixtures::WriteJpeg(recipe)).dpi, 254);
    recipe.densityUnit = 1;
    EXPECT_EQ(Decode(fixtures::WriteJpeg(recipe)).dpi, 100);
    recipe.xDensity = 1; // both densities must exceed 1
    EXPECT_EQ(Decode(fixtures::WriteJpeg(recipe)).dpi, 0);
    recipe.xDensity = 72;
    recipe.densityUnit = 0; // an aspect ratio only
    EXPECT_EQ(Decode(fixtures::WriteJpeg(recipe)).dpi, 0);
}

TEST(JpegFile, QualityIsClampedToZeroThroughHundred) {
    const Bytes picture = Gradient(16, 16, 3);
    const Bytes best = Encode(picture, 16, 16, 3, 96, 100);
    EXPECT_EQ(Encode(picture, 16, 16, 3, 96, 150), best);
    EXPECT_EQ(Encode(picture, 16, 16, 3, 96, -5), Encode(picture, 16, 16, 3, 96, 0));
    EXPECT_NE(Encode(picture, 16, 16, 3, 96, 50), best);
}

TEST(JpegFile, EncodeRefusesImpossibleImages) {
    Bytes pixels(12, 0);
    auto rows = fixtures::RowsOf(pixels, 1);
    std::vector<const std::uint8_t*> constRows(rows.begin(), rows.end());
    Bytes out{1, 2, 3};
    EXPECT_FALSE(JpegFile::Encode(constRows.data(), 4, 1, 2, 96, 50, out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(JpegFile::Encode(constRows.data(), 0, 1, 3, 96, 50, out));
    EXPECT_FALSE(JpegFile::Encode(nullptr, 4, 1, 3, 96, 50, out));
}

TEST(JpegFile, InkCornersGiveTheirTableColours) {
    const std::uint8_t expectedRgb[16][3] = {
        {255, 255, 255}, {0, 174, 239}, {236, 0, 140}, {46, 49, 146}, {255, 242, 0}, {0, 166, 81},
        {237, 28, 36},   {54, 54, 57},  {35, 31, 32},  {0, 6, 36},    {41, 0, 3},    {13, 0, 26},
        {24, 26, 0},     {0, 6, 0},     {35, 0, 1},    {3, 0, 0},
    };
    for (int corner = 0; corner < 16; ++corner) {
        std::uint8_t cmyk[4];
        for (int ink = 0; ink < 4; ++ink) {
            cmyk[ink] = (corner & (1 << ink)) != 0 ? 255 : 0;
        }
        std::uint8_t bgr[3] = {1, 1, 1};
        JpegFile::CmykToBgr(cmyk, bgr);
        EXPECT_EQ(bgr[2], expectedRgb[corner][0]) << "corner " << corner;
        EXPECT_EQ(bgr[1], expectedRgb[corner][1]) << "corner " << corner;
        EXPECT_EQ(bgr[0], expectedRgb[corner][2]) << "corner " << corner;
    }
}

TEST(JpegFile, InkAmountsBetweenCornersAreInterpolated) {
    // Half cyan: halfway between white and cyan in every channel.
    const std::uint8_t halfCyan[4] = {128, 0, 0, 0};
    std::uint8_t bgr[3];
    JpegFile::CmykToBgr(halfCyan, bgr);
    const double c = 128 / 255.0;
    EXPECT_EQ(bgr[2], static_cast<int>(255 * (1 - c)));
    EXPECT_EQ(bgr[1], static_cast<int>(255 * (1 - c) + 174 * c));
    EXPECT_EQ(bgr[0], static_cast<int>(255 * (1 - c) + 239 * c));

    // Cyan and black together weigh four corners.
    const std::uint8_t mixed[4] = {64, 0, 0, 192};
    JpegFile::CmykToBgr(mixed, bgr);
    const double cy = 64 / 255.0;
    const double k = 192 / 255.0;
    const double red = 255 * (1 - cy) * (1 - k) + 0 * cy * (1 - k) + 35 * (1 - cy) * k + 0 * cy * k;
    const double green = 255 * (1 - cy) * (1 - k) + 174 * cy * (1 - k) + 31 * (1 - cy) * k + 6 * cy * k;
    EXPECT_NEAR(bgr[2], red, 1.0);
    EXPECT_NEAR(bgr[1], green, 1.0);
}

TEST(JpegFile, ForeignFourComponentFilesAreConvertedAsInks) {
    fixtures::JpegRecipe recipe;
    recipe.width = 8;
    recipe.height = 8;
    recipe.components = 4;
    recipe.colorSpace = JCS_CMYK;
    for (int i = 0; i < 64; ++i) {
        recipe.rows.insert(recipe.rows.end(), {0, 255, 255, 0}); // magenta and yellow
    }
    Decoded d = Decode(fixtures::WriteJpeg(recipe));
    ASSERT_TRUE(d.rowsOk);
    EXPECT_EQ(d.layout, JpegFile::Layout::Cmyk);
    EXPECT_EQ(d.bytesPerPixel, 3);
    Bytes expected;
    for (int i = 0; i < 64; ++i) {
        expected.insert(expected.end(), {36, 28, 237});
    }
    EXPECT_LE(LargestDifference(d.pixels, expected), 3);

    recipe.comment = "IGC:RGB"; // an "IGC:" comment that is not the alpha one changes nothing
    EXPECT_EQ(Decode(fixtures::WriteJpeg(recipe)).layout, JpegFile::Layout::Cmyk);
    recipe.comment = "IGC:CMYK=RGBA and more";
    d = Decode(fixtures::WriteJpeg(recipe));
    EXPECT_EQ(d.layout, JpegFile::Layout::Rgba);
    EXPECT_EQ(d.bytesPerPixel, 4);
}

TEST(JpegFile, GreyPicturesFillAllThreeColourBytes) {
    fixtures::JpegRecipe recipe;
    recipe.width = 8;
    recipe.height = 2;
    recipe.components = 1;
    recipe.colorSpace = JCS_GRAYSCALE;
    recipe.rows.assign(16, 90);
    const Decoded d = Decode(fixtures::WriteJpeg(recipe));
    ASSERT_TRUE(d.rowsOk);
    EXPECT_EQ(d.layout, JpegFile::Layout::Grey);
    EXPECT_EQ(d.bytesPerPixel, 3);
    EXPECT_EQ(d.pixels, Bytes(48, 90));
}

TEST(JpegFile, NonJpegDataAndOversizedFramesFailCleanly) {
    EXPECT_FALSE(Decode(Bytes{}).headerOk);
    EXPECT_FALSE(Decode(Bytes{'B', 'M', 0, 0, 0, 0, 0, 0}).headerOk);
    JpegFile none;
    EXPECT_FALSE(none.ReadHeader(nullptr, 10));
    Bytes pixels(4 * 4 * 3, 0);
    auto rows = fixtures::RowsOf(pixels, 4);
    EXPECT_FALSE(none.ReadRows(rows.data()));

    const Bytes file = Encode(Gradient(8, 8, 3), 8, 8, 3, 96, 80);
    EXPECT_FALSE(Decode(WithFrameSize(file, 40000, 8)).headerOk);
    EXPECT_FALSE(Decode(WithFrameSize(file, 8, 40000)).headerOk);
    EXPECT_FALSE(Decode(WithFrameSize(file, 30000, 30000)).headerOk); // over 1 GiB of pixels
    EXPECT_TRUE(Decode(WithFrameSize(file, 8, 8)).rowsOk);            // the rewriting itself is sound
}

TEST(JpegFile, TruncatedFilesFailButKeepTheRowsThatArrived) {
    const Bytes file = Encode(Gradient(24, 24, 3), 24, 24, 3, 96, 80);
    const std::size_t scanStart = MarkerOffset(file, 0xDA);
    ASSERT_LT(scanStart, file.size());
    for (std::size_t size = 0; size < scanStart; ++size) {
        EXPECT_FALSE(Decode(Bytes(file.begin(), file.begin() + size)).headerOk) << "cut at " << size;
    }
    // A picture cut inside its scan fails, but keeps the top rows that arrived.
    const Decoded full = Decode(file);
    const std::size_t cut = scanStart + (file.size() - scanStart) * 3 / 4;
    const Decoded partial = Decode(Bytes(file.begin(), file.begin() + cut));
    ASSERT_TRUE(partial.headerOk);
    EXPECT_FALSE(partial.rowsOk);
    const std::size_t topRows = 8 * 24 * 3;
    EXPECT_TRUE(std::equal(full.pixels.begin(), full.pixels.begin() + topRows, partial.pixels.begin()));
    for (std::size_t size = scanStart; size < file.size() - 2; ++size) {
        EXPECT_FALSE(Decode(Bytes(file.begin(), file.begin() + size)).rowsOk) << "cut at " << size;
    }
    // Only the end marker missing: every row arrived, and the picture counts as whole.
    EXPECT_TRUE(Decode(Bytes(file.begin(), file.end() - 2)).rowsOk);
}

TEST(JpegFile, ArithmeticCodedFilesLoadLikeHuffmanCodedOnes) {
    fixtures::JpegRecipe recipe;
    recipe.width = 40;
    recipe.height = 200;
    recipe.quality = 90;
    for (int y = 0; y < recipe.height; ++y) {
        for (int x = 0; x < recipe.width; ++x) {
            recipe.rows.insert(recipe.rows.end(), {std::uint8_t(x * 6), std::uint8_t(y), std::uint8_t(x ^ y)});
        }
    }
    for (const bool progressive : {false, true}) {
        recipe.progressive = progressive;
        recipe.arithmetic = false;
        const Decoded huffman = Decode(fixtures::WriteJpeg(recipe));
        recipe.arithmetic = true;
        const Bytes file = fixtures::WriteJpeg(recipe);
        // The coding is lossless, so both codings of one picture decode to the same pixels.
        const Decoded arithmetic = Decode(file);
        ASSERT_TRUE(huffman.rowsOk) << "progressive " << progressive;
        ASSERT_TRUE(arithmetic.rowsOk) << "progressive " << progressive;
        EXPECT_EQ(arithmetic.pixels, huffman.pixels) << "progressive " << progressive;
        EXPECT_TRUE(Decode(Bytes(file.begin(), file.end() - 2)).rowsOk) << "progressive " << progressive;
    }
}

TEST(JpegFile, ATinyArithmeticFileDeclaringAHugePictureFailsAtOnce) {
    // Found by fuzzing: 183 bytes declaring 11,785 x 12,359 ink pixels, which took minutes to fill.
    const Bytes file = fixtures::ReadBytes(std::string(GV_SOURCE_DIR) + "/fuzz/corpus/jpeg/arithmetic-huge-frame.jpg");
    ASSERT_EQ(file.size(), 183u);
    JpegFile jpeg;
    EXPECT_FALSE(jpeg.ReadHeader(file.data(), file.size()));
    EXPECT_STREQ(jpeg.Error(), "The file ends before the image does");
}

} // namespace
