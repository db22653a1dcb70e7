#include "raster/ImageFile.h"

#include "raster/RasterCanvas.h"
#include "support/MemFile.h"
#include "support/WString.h"
#include "test_ImageFileFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {

using Bytes = std::vector<std::uint8_t>;

WString PathOf(const std::string& path) {
    return WString::FromUtf8(path);
}

// 2 x 2 RGB picture: top row red, green; bottom row blue, white.
Bytes SmallPng(bool withAlpha = false) {
    fixtures::PngRecipe recipe;
    recipe.width = 2;
    recipe.height = 2;
    recipe.colorType = withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    recipe.rows = withAlpha ? Bytes{255, 0, 0, 10, 0, 255, 0, 20, 0, 0, 255, 30, 255, 255, 255, 40}
                            : Bytes{255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    return fixtures::WritePng(recipe);
}

Bytes StoredRow(const RasterCanvas& canvas, int storedRow) {
    const std::uint8_t* row = canvas.Rows()[storedRow];
    return Bytes(row, row + canvas.Width() * canvas.BytesPerPixel());
}

int LargestDifference(const Bytes& a, const Bytes& b) {
    int largest = a.size() == b.size() ? 0 : 256;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        largest = std::max(largest, std::abs(a[i] - b[i]));
    }
    return largest;
}

class ImageFileTest : public ::testing::Test {
protected:
    void TearDown() override { MemFile::ResetRegistry(); }
    fixtures::TempDir dir;
};

TEST_F(ImageFileTest, PngRowsLandBottomUpWithTheirDepth) {
    ASSERT_TRUE(fixtures::WriteBytes(dir.Join("tile.png"), SmallPng()));
    RasterCanvas canvas;
    ASSERT_TRUE(canvas.Load(PathOf(dir.Join("tile.png"))));
    EXPECT_EQ(canvas.BitsPerPixel(), 24);
    EXPECT_EQ(StoredRow(canvas, 1), (Bytes{0, 0, 255, 0, 255, 0}));     // top: red, green
    EXPECT_EQ(StoredRow(canvas, 0), (Bytes{255, 0, 0, 255, 255, 255})); // bottom: blue, white

    ASSERT_TRUE(fixtures::WriteBytes(dir.Join("alpha.png"), SmallPng(true)));
    ASSERT_TRUE(canvas.Load(PathOf(dir.Join("alpha.png"))));
    EXPECT_EQ(canvas.BitsPerPixel(), 32);
    EXPECT_EQ(StoredRow(canvas, 1), (Bytes{0, 0, 255, 10, 0, 255, 0, 20}));

    // Back to a picture without alpha: the same canvas follows the file, not its old depth.
    ASSERT_TRUE(canvas.Load(PathOf(dir.Join("tile.png"))));
    EXPECT_EQ(canvas.BitsPerPixel(), 24);
    EXPECT_EQ(StoredRow(canvas, 0), (Bytes{255, 0, 0, 255, 255, 255}));
}

TEST_F(ImageFileTest, ExtensionsAreRecognisedInAnyCaseAndEverythingElseIsJpeg) {
    const Bytes png = SmallPng();
    RasterCanvas canvas;
    for (const char* name : {"a.PNG", "b.Png", "c.pNg"}) {
        ASSERT_TRUE(fixtures::WriteBytes(dir.Join(name), png));
        EXPECT_TRUE(canvas.Load(PathOf(dir.Join(name)))) << name;
    }
    ASSERT_TRUE(canvas.SaveOwnFormat(PathOf(dir.Join("d.icr"))));
    std::filesystem::rename(dir.Join("d.icr"), dir.Join("d.ICR"));
    EXPECT_TRUE(canvas.Load(PathOf(dir.Join("d.ICR"))));

    // A PNG under another name goes to the JPEG reader, which refuses it; so does a bitmap.
    ASSERT_TRUE(fixtures::WriteBytes(dir.Join("e.jpg"), png));
    EXPECT_FALSE(canvas.Load(PathOf(dir.Join("e.jpg"))));
    ASSERT_TRUE(fixtures::WriteBytes(dir.Join("f.bmp"), Bytes{'B', 'M', 60, 0, 0, 0, 0, 0, 0, 0, 54, 0}));
    EXPECT_FALSE(canvas.Load(PathOf(dir.Join("f.bmp"))));

    EXPECT_FALSE(canvas.Load(PathOf(dir.Join("missing.png"))));
    EXPECT_FALSE(canvas.Load(WString()));
}

TEST_F(ImageFileTest, MemoryFilesLoadLikeFilesOnDisk) {
    const Bytes png = SmallPng();
    std::shared_ptr<MemFile> file = MemFile::Open(u":TMPQOR:tile.png", u"wb");
    file->Write(png.data(), 1, png.size());
    file->Close();
    RasterCanvas canvas;
    ASSERT_TRUE(canvas.Load(u":TMPQOR:tile.png"));
    EXPECT_EQ(StoredRow(canvas, 1), (Bytes{0, 0, 255, 0, 255, 0}));
}

TEST_F(ImageFileTest, LoadingRebuildsTheHalfSizeLevelsEvenForTheSameSize) {
    fixtures::PngRecipe recipe;
    recipe.width = 2;
    recipe.height = 2;
    recipe.colorType = PNG_COLOR_TYPE_GRAY;
    recipe.rows = {10, 20, 30, 40};
    ASSERT_TRUE(fixtures::WriteBytes(dir.Join("dark.png"), fixtures::WritePng(recipe)));
    recipe.rows = {110, 120, 130, 140};
    ASSERT_TRUE(fixtures::WriteBytes(dir.Join("light.png"), fixtures::WritePng(recipe)));

    RasterCanvas canvas;
    ASSERT_TRUE(canvas.Load(PathOf(dir.Join("dark.png"))));
    ASSERT_FALSE(canvas.LevelsMissing());
    ASSERT_TRUE(canvas.Level(1).Exists());
    EXPECT_EQ(canvas.Level(1).rows[0][0], 25);
    ASSERT_TRUE(canvas.Load(PathOf(dir.Join("light.png"))));
    EXPECT_EQ(canvas.Level(1).rows[0][0], 125);
}

TEST_F(ImageFileTest, ResolutionComesFromTheFileWhenItGivesOne) {
    fixtures::PngRecipe recipe;
    recipe.physUnit = PNG_RESOLUTION_METER;
    recipe.physX = recipe.physY = 11811;
    ASSERT_TRUE(fixtures::WriteBytes(dir.Join("print.png"), fixtures::WritePng(recipe)));
    RasterCanvas canvas;
    canvas.SetResolution(72);
    ASSERT_TRUE(canvas.Load(PathOf(dir.Join("print.png"))));
    EXPECT_EQ(canvas.Resolution(), 299);
    ASSERT_TRUE(canvas.SaveJpeg(PathOf(dir.Join("print.jpg")), 80));
    RasterCanvas reloaded;
    ASSERT_TRUE(reloaded.Load(PathOf(dir.Join("print.jpg"))));
    EXPECT_EQ(reloaded.Resolution(), 299);
}

TEST_F(ImageFileTest, AlphaCanvasSavedAsJpegComesBackWithAlpha) {
    RasterCanvas canvas;
    ASSERT_TRUE(canvas.SetBitsPerPixel(32));
    ASSERT_TRUE(canvas.Create(16, 16));
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            std::uint8_t* p = canvas.Rows()[y] + 4 * x;
            p[0] = 40;
            p[1] = static_cast<std::uint8_t>(y * 16);
            p[2] = static_cast<std::uint8_t>(x * 16);
            p[3] = static_cast<std::uint8_t>(x < 8 ? 0 : 255);
        }
    }
    ASSERT_TRUE(canvas.SaveJpeg(PathOf(dir.Join("alpha.jpeg")), 95));
    RasterCanvas loaded;
    ASSERT_TRUE(loaded.Load(PathOf(dir.Join("alpha.jpeg"))));
    EXPECT_EQ(loaded.BitsPerPixel(), 32);
    for (int y = 0; y < 16; ++y) {
        EXPECT_LE(LargestDifference(StoredRow(loaded, y), StoredRow(canvas, y)), 8) << "stored row " << y;
    }
}

TEST_F(ImageFileTest, JpegSaveClampsQualityAndFailsWithoutPixelsOrAWritablePlace) {
    ASSERT_TRUE(fixtures::WriteBytes(dir.Join("tile.png"), SmallPng()));
    RasterCanvas canvas;
    ASSERT_TRUE(canvas.Load(PathOf(dir.Join("tile.png"))));
    ASSERT_TRUE(canvas.SaveJpeg(PathOf(dir.Join("q100.jpg")), 100));
    ASSERT_TRUE(canvas.SaveJpeg(PathOf(dir.Join("q150.jpg")), 150));
    EXPECT_EQ(fixtures::ReadBytes(dir.Join("q150.jpg")), fixtures::ReadBytes(dir.Join("q100.jpg")));

    RasterCanvas empty;
    EXPECT_FALSE(empty.SaveJpeg(PathOf(dir.Join("empty.jpg")), 50));
    EXPECT_FALSE(std::filesystem::exists(dir.Join("empty.jpg")));
    EXPECT_FALSE(canvas.SaveJpeg(PathOf(dir.Join("no/such/dir/x.jpg")), 50));
    EXPECT_FALSE(std::filesystem::exists(dir.Join("no/such/dir/x.jpg")));
}

TEST_F(ImageFileTest, HugeOrBrokenFilesFailAndLeaveNoPaletteBehind) {
    RasterCanvas canvas;
    const std::uint8_t palette[] = {1, 2, 3};
    ASSERT_TRUE(canvas.Create(1, 1));
    canvas.SetPalette(palette, 1, 3);
    ASSERT_TRUE(fixtures::WriteBytes(dir.Join("tile.png"), SmallPng()));
    ASSERT_TRUE(canvas.Load(PathOf(dir.Join("tile.png"))));
    EXPECT_EQ(canvas.PaletteCount(), 0); // a later own-format save must not reuse it

    Bytes png = SmallPng();
    ASSERT_TRUE(fixtures::WriteBytes(dir.Join("cut.png"), Bytes(png.begin(), png.begin() + png.size() / 2)));
    EXPECT_FALSE(canvas.Load(PathOf(dir.Join("cut.png"))));
    EXPECT_FALSE(ImageSizeAllowed(32769, 1, 3));
    EXPECT_FALSE(ImageSizeAllowed(20000, 20000, 3)); // 1.2 GB
    EXPECT_TRUE(ImageSizeAllowed(32768, 8192, 4));   // exactly 1 GiB
    EXPECT_FALSE(ImageSizeAllowed(0, 5, 3));
}

TEST_F(ImageFileTest, FailuresSayWhyInTheLibrarysOrTheSystemsWords) {
    RasterCanvas canvas;
    WString reason;
    EXPECT_FALSE(LoadImageFile(canvas, PathOf(dir.Join("absent.png")), &reason));
    EXPECT_EQ(reason.ToUtf8(), "No such file or directory");
    ASSERT_TRUE(fixtures::WriteBytes(dir.Join("text.png"), Bytes{'h', 'e', 'l', 'l', 'o'}));
    EXPECT_FALSE(LoadImageFile(canvas, PathOf(dir.Join("text.png")), &reason));
    EXPECT_EQ(reason.ToUtf8(), "Not a PNG file");
    // libjpeg's own message names what it found instead of a JPEG marker.
    ASSERT_TRUE(fixtures::WriteBytes(dir.Join("text.jpg"), Bytes{'h', 'e', 'l', 'l', 'o'}));
    EXPECT_FALSE(LoadImageFile(canvas, PathOf(dir.Join("text.jpg")), &reason));
    EXPECT_EQ(reason.ToUtf8(), "Not a JPEG file: starts with 0x68 0x65");
    Bytes png = SmallPng();
    ASSERT_TRUE(fixtures::WriteBytes(dir.Join("cut.png"), Bytes(png.begin(), png.end() - 20)));
    EXPECT_FALSE(LoadImageFile(canvas, PathOf(dir.Join("cut.png")), &reason));
    EXPECT_FALSE(reason.IsEmpty());

    ASSERT_TRUE(fixtures::WriteBytes(dir.Join("tile.png"), SmallPng()));
    ASSERT_TRUE(LoadImageFile(canvas, PathOf(dir.Join("tile.png")), &reason));
    EXPECT_FALSE(SaveJpegFile(canvas, PathOf(dir.Join("no/such/dir/x.jpg")), 50, &reason));
    EXPECT_EQ(reason.ToUtf8(), "No such file or directory");
}

TEST_F(ImageFileTest, PngSaveStoresTheWholeCanvasOrNothing) {
    RasterCanvas canvas;
    ASSERT_TRUE(canvas.SetBitsPerPixel(32));
    ASSERT_TRUE(canvas.Create(5, 3));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            std::uint8_t* p = canvas.Rows()[y] + 4 * x;
            p[0] = static_cast<std::uint8_t>(x * 50);
            p[1] = static_cast<std::uint8_t>(y * 80);
            p[2] = 7;
            p[3] = static_cast<std::uint8_t>(x * 60);
        }
    }
    canvas.SetResolution(72);
    WString reason;
    ASSERT_TRUE(SavePngFile(canvas, PathOf(dir.Join("out.png")), &reason)) << reason.ToUtf8();
    RasterCanvas loaded;
    ASSERT_TRUE(LoadImageFile(loaded, PathOf(dir.Join("out.png"))));
    EXPECT_EQ(loaded.BitsPerPixel(), 32);
    EXPECT_EQ(loaded.Resolution(), 72);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(StoredRow(loaded, y), StoredRow(canvas, y)) << "stored row " << y;
    }

    // A failed save leaves the file that was there.
    const Bytes before = fixtures::ReadBytes(dir.Join("out.png"));
    RasterCanvas empty;
    EXPECT_FALSE(SavePngFile(empty, PathOf(dir.Join("out.png")), &reason));
    EXPECT_EQ(reason.ToUtf8(), "The picture is empty");
    EXPECT_EQ(fixtures::ReadBytes(dir.Join("out.png")), before);
    EXPECT_FALSE(SavePngFile(canvas, PathOf(dir.Join("no/such/dir/x.png")), &reason));
    EXPECT_EQ(reason.ToUtf8(), "No such file or directory");
}

} // namespace
