#include "ViewFixture.h"

#include "document/TextTile.h"
#include "raster/DcRasterCanvas.h"
#include "raster/ImageFile.h"
#include "support/Rect2.h"
#include "view/MapThumbnail.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>

namespace {

using viewtest::ClientPixel;
using viewtest::ViewDocument;

constexpr std::uint32_t kRed = 0x000000FF;
constexpr std::uint32_t kPublishBack = 0x00E6F0FA; // 250, 240, 230
constexpr std::uint32_t kScreenBack = 0x001E140A;  // 10, 20, 30
constexpr std::uint32_t kGrid = 0x00C8C8C8;

std::string Look(bool withGrid) {
    return std::string("backcolor=\"10,20,30\" backpublishcolor=\"250,240,230\" gridcolor=\"200,200,200\" "
                       "gridsize=\"64\" textscreencolor=\"255,0,0\" textpublishcolor=\"0,0,255\" "
                       "publishwithgrid=\"") +
           (withGrid ? "True" : "False") + "\"";
}

int CountPixels(const RasterCanvas& canvas, std::uint32_t color) {
    int count = 0;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            count += ClientPixel(canvas, x, y) == color ? 1 : 0;
        }
    }
    return count;
}

TEST(MapThumbnail, LongerSideFillsTheSquareAndSmallMapsAreNotMagnified) {
    const MapThumbnail::Fit wide = MapThumbnail::FitInto(Rect2(0, 1000, 0, 600), 128);
    EXPECT_EQ(wide.width, 128);
    EXPECT_EQ(wide.height, 77); // 76.8
    EXPECT_DOUBLE_EQ(wide.scale, 0.128);
    const MapThumbnail::Fit tall = MapThumbnail::FitInto(Rect2(-300, -299, 10, 5010), 256);
    EXPECT_EQ(tall.width, 1); // never thinner than a pixel
    EXPECT_EQ(tall.height, 256);
    const MapThumbnail::Fit small = MapThumbnail::FitInto(Rect2(0, 100, 0, 40), 128);
    EXPECT_EQ(small.width, 100);
    EXPECT_EQ(small.height, 40);
    EXPECT_DOUBLE_EQ(small.scale, 1.0);
    const MapThumbnail::Fit empty = MapThumbnail::FitInto(Rect2(), 48);
    EXPECT_EQ(empty.width, 48);
    EXPECT_EQ(empty.height, 48);
}

TEST(MapThumbnail, TilesAppearScaledOnThePublishBackground) {
    ViewDocument fixture(Look(false));
    // Two red tiles at opposite corners of a 256 x 128 map: at 64 pixels the scale is a quarter.
    fixture.Place(viewtest::kRed, 0, 0);
    fixture.Place(viewtest::kRed, 192, 64);
    DcRasterCanvas picture;
    ASSERT_TRUE(MapThumbnail::Draw(fixture.doc, 64, picture));
    ASSERT_EQ(picture.Width(), 64);
    ASSERT_EQ(picture.Height(), 32);
    int mismatches = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x) {
            // The tiles' edge pixels depend on sampling; everything else is exact.
            if (x == 15 || x == 16 || x == 47 || x == 48 || y == 15 || y == 16) {
                continue;
            }
            const bool topRight = x > 48 && y < 15;
            const bool bottomLeft = x < 15 && y > 16;
            const std::uint32_t expected = topRight || bottomLeft ? kRed : kPublishBack;
            mismatches += ClientPixel(picture, x, y) == expected ? 0 : 1;
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(CountPixels(picture, kScreenBack), 0);
    EXPECT_EQ(CountPixels(picture, kGrid), 0);

    ViewDocument gridded(Look(true));
    gridded.Place(viewtest::kRed, 0, 0);
    gridded.Place(viewtest::kRed, 192, 64);
    ASSERT_TRUE(MapThumbnail::Draw(gridded.doc, 64, picture));
    EXPECT_GT(CountPixels(picture, kGrid), 32); // a tileset that publishes with its grid shows it
}

TEST(MapThumbnail, TextIsDrawnInThePublishTextColour) {
    ViewDocument fixture(Look(false));
    auto text = std::make_unique<TextTile>(fixture.doc.Context());
    text->SetText(u"Hall of Echoes");
    fixture.doc.InsertTile(std::move(text));
    DcRasterCanvas picture;
    ASSERT_TRUE(MapThumbnail::Draw(fixture.doc, 256, picture));
    int blue = 0;
    int red = 0;
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            const std::uint32_t c = ClientPixel(picture, x, y);
            const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
            blue += b > 150 && r < 100 && g < 100 ? 1 : 0;
            red += r > 150 && b < 100 && g < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(blue, 20);
    EXPECT_EQ(red, 0);
}

TEST(MapThumbnail, WriteStoresAPngOrNothing) {
    ViewDocument fixture(Look(false));
    fixture.Place(viewtest::kRed, 0, 0);
    WString reason;
    const WString path = fixture.dir.WJoin("thumb.png");
    ASSERT_TRUE(MapThumbnail::Write(fixture.doc, 32, path, reason)) << reason.ToUtf8();
    RasterCanvas loaded;
    ASSERT_TRUE(LoadImageFile(loaded, path));
    EXPECT_EQ(loaded.Width(), 32);
    EXPECT_EQ(loaded.Height(), 32);
    EXPECT_EQ(ClientPixel(loaded, 16, 16), kRed);

    EXPECT_FALSE(MapThumbnail::Write(fixture.doc, 0, fixture.dir.WJoin("zero.png"), reason));
    EXPECT_EQ(reason.ToUtf8(), "The thumbnail size must be a whole number from 1 to 4096");
    EXPECT_FALSE(
        MapThumbnail::Write(fixture.doc, MapThumbnail::kMaxSize + 1, fixture.dir.WJoin("big.png"), reason));
    EXPECT_FALSE(MapThumbnail::Write(fixture.doc, 32, fixture.dir.WJoin("no/dir/x.png"), reason));
    EXPECT_EQ(reason.ToUtf8(), "No such file or directory");
    EXPECT_FALSE(std::filesystem::exists(fixture.dir.Join("zero.png")));
    EXPECT_FALSE(std::filesystem::exists(fixture.dir.Join("big.png")));
}

} // namespace
