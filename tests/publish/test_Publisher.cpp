#include "document/CGridvellumDoc.h"
#include "document/MapFile.h"
#include "document/ProgramState.h"
#include "document/TextTile.h"
#include "document/TileRef.h"
#include "publish/HtmlPage.h"
#include "publish/JpegOptions.h"
#include "publish/PublishProgress.h"
#include "publish/Publisher.h"
#include "raster/DcRasterCanvas.h"
#include "raster/JpegFile.h"
#include "tileset/TileSet.h"
#include "view/PublishRenderer.h"

#include "common/MemorySettings.h"
#include "common/ScratchDir.h"
#include "common/TestPng.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::ScratchDir;

constexpr int kFloor = 0;
constexpr int kFigure = 1;

// A 100 x 100 floor whose every pixel differs from its neighbours, so a picture shifted or resampled
// by a single pixel shows, and a 40 x 24 figure with soft edges.
void WriteArt(const ScratchDir& dir) {
    std::vector<std::uint8_t> floor;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            floor.push_back(static_cast<std::uint8_t>(x * 7 + y * 13));
            floor.push_back(static_cast<std::uint8_t>(x * y));
            floor.push_back(static_cast<std::uint8_t>(255 - x * 2));
        }
    }
    dir.Write("floor.png", testsupport::EncodePng(100, 100, 3, floor));
    std::vector<std::uint8_t> figure;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 40; ++x) {
            figure.insert(figure.end(), {200, static_cast<std::uint8_t>(x * 6), 40,
                                         static_cast<std::uint8_t>(std::min(255, (x + y) * 12))});
        }
    }
    dir.Write("figure.png", testsupport::EncodePng(40, 24, 4, figure));
}

class PublishTest : public ::testing::Test {
protected:
    PublishTest()
        : tileSet(TileSetContext{dir.WPath(), nullptr, nullptr, false}), doc(tileSet, state, nullptr) {
        WriteArt(dir);
        Load("");
    }

    void Load(const std::string& rootAttributes) {
        dir.Write("pub.set",
                  "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<TileSet gridsize=\"64\" " +
                      rootAttributes +
                      ">\r\n"
                      "<Tile name=\"Floor\" type=\"0\">floor.png</Tile>\r\n"
                      "<Tile name=\"Figure\" type=\"3\">figure.png</Tile>\r\n"
                      "</TileSet>\r\n");
        ASSERT_TRUE(tileSet.Load(u"pub.set"));
    }

    TileRef& Place(int definition, const Matrix3& transform) {
        TileRef* tile = doc.AddTile(definition);
        EXPECT_NE(tile, nullptr);
        tile->SetTransform(transform);
        tile->UpdateBounds();
        return *tile;
    }

    // A map of 1000 x 600 units: floors in two corners.
    void PlaceCorners() {
        Place(kFloor, Matrix3::Translation(0, 0));
        Place(kFloor, Matrix3::Translation(900, 500));
    }

    // Tiles lying across band edges at every angle, tinted and selected figures, text and the grid.
    void PlaceBusyMap() {
        for (int i = 0; i < 12; ++i) {
            Place(kFloor, Matrix3::FromParts(0.37 * i, 31.3 * i, 17.7 * i, 1.0 + 0.05 * i, 0.8 + 0.03 * i));
        }
        TileRef& tinted = Place(kFigure, Matrix3::FromParts(0.9, 120.25, 80.5, 2.0, 2.0));
        tinted.SetTinted(true);
        tinted.SetTintColor(Rgb8(0, 90, 255));
        Place(kFigure, Matrix3::FromParts(-0.4, 60, 150, 1.5, 1.5)).SetSelected(true);
        auto text = std::make_unique<TextTile>(doc.Context());
        text->SetTransform(Matrix3::FromParts(0.2, 40, 60, 1.0, 1.0));
        text->SetText(u"Across the bands");
        doc.InsertTile(std::move(text));
    }

    // A banded render in bands of bandRows rows must give the whole picture byte for byte.
    void ExpectBandsGive(const std::vector<std::string>& whole, const Publisher::Layout& layout, int bandRows,
                         float scale);

    // The whole picture in one canvas, copyright included, as rows top first.
    std::vector<std::string> WholeRows(const Publisher::Layout& layout) {
        DcRasterCanvas picture;
        EXPECT_TRUE(picture.SetBitsPerPixel(24));
        EXPECT_TRUE(picture.EnsureSize(layout.width, layout.height));
        PublishRenderer::Render(picture, doc, layout.worldToImage);
        Publisher::DrawCopyright(doc, layout, picture, 0);
        return TopDownRows(picture);
    }

    static std::vector<std::string> TopDownRows(const DcRasterCanvas& canvas) {
        std::vector<std::string> rows;
        for (int row = canvas.Height() - 1; row >= 0; --row) {
            rows.emplace_back(reinterpret_cast<const char*>(canvas.Rows()[row]),
                              static_cast<size_t>(canvas.Width()) * 3);
        }
        return rows;
    }

    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Join("out"))) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    ScratchDir dir;
    ProgramState state;
    TileSet tileSet;
    CGridvellumDoc doc;
};

// Gathers the bands of a banded render, copyright included, as the publisher hands them on.
class RowCollector : public PublishRenderer::BandSink {
public:
    RowCollector(CGridvellumDoc& doc, const Publisher::Layout& layout) : doc_(doc), layout_(layout) {}
    bool TakeBand(DcRasterCanvas& band, int firstRow) override {
        EXPECT_EQ(firstRow, static_cast<int>(rows.size()));
        Publisher::DrawCopyright(doc_, layout_, band, firstRow);
        for (int row = band.Height() - 1; row >= 0; --row) {
            rows.emplace_back(reinterpret_cast<const char*>(band.Rows()[row]),
                              static_cast<size_t>(band.Width()) * 3);
        }
        return true;
    }
    std::vector<std::string> rows;

private:
    CGridvellumDoc& doc_;
    const Publisher::Layout& layout_;
};

void PublishTest::ExpectBandsGive(const std::vector<std::string>& whole, const Publisher::Layout& layout,
                                  int bandRows, float scale) {
    RowCollector bands(doc, layout);
    ASSERT_TRUE(
        PublishRenderer::RenderBands(doc, layout.width, layout.height, layout.worldToImage, bandRows, bands));
    ASSERT_EQ(bands.rows.size(), whole.size());
    for (size_t row = 0; row < whole.size(); ++row) {
        const auto differ = std::mismatch(whole[row].begin(), whole[row].end(), bands.rows[row].begin());
        ASSERT_TRUE(differ.first == whole[row].end())
            << "scale " << scale << ", bands of " << bandRows << " rows: picture row " << row << ", pixel "
            << (differ.first - whole[row].begin()) / 3;
    }
}

class Cancelling : public PublishProgress {
public:
    bool Continue(int rowsDone, int rowsTotal) override {
        EXPECT_LE(rowsDone, rowsTotal);
        ++calls;
        return false;
    }
    int calls = 0;
};

TEST_F(PublishTest, PictureSizeFollowsScaleAndCopyrightBand) {
    PlaceCorners();
    Publisher::Layout layout = Publisher::LayoutFor(doc, JpegOptions::ScaleOfIndex(5));
    EXPECT_EQ(layout.width, 500);
    EXPECT_EQ(layout.height, 300);
    EXPECT_EQ(layout.band, 0);
    // Single precision: 1000 units at 90 % are 900 pixels, not 899.
    layout = Publisher::LayoutFor(doc, JpegOptions::ScaleOfIndex(1));
    EXPECT_EQ(layout.width, 900);
    EXPECT_EQ(layout.height, 540);

    Load("copyright=\"(c) Test Maps\"");
    layout = Publisher::LayoutFor(doc, 0.5f);
    EXPECT_EQ(layout.width, 500);
    EXPECT_EQ(layout.height, 316);
    EXPECT_EQ(layout.band, 16);
    EXPECT_EQ(JpegOptions::SizeText(1000, 601, 5).ToUtf8(), "Size = 500 x 301");
    EXPECT_EQ(JpegOptions::SizeText(1000, 600, 0).ToUtf8(), "Size = 1000 x 600");
}

TEST_F(PublishTest, BandedRenderGivesTheWholePictureByteForByte) {
    Load("copyright=\"(c) Test Maps gjpq\" publishwithgrid=\"true\" gridcolor=\"10,200,30\" "
         "backpublishcolor=\"240,230,200\" textpublishcolor=\"90,0,0\"");
    PlaceBusyMap();
    for (float scale : {1.0f, 0.7f, 0.3f}) {
        const Publisher::Layout layout = Publisher::LayoutFor(doc, scale);
        ASSERT_GT(layout.height, 40);
        const std::vector<std::string> whole = WholeRows(layout);
        for (int bandRows : {7, 16, layout.height - 1}) {
            ExpectBandsGive(whole, layout, bandRows, scale);
        }
    }
}

// Many turned and scaled figures over a floor, as real maps have them, at bands of uneven heights.
TEST_F(PublishTest, BandedRenderOfManyTurnedFiguresGivesTheWholePicture) {
    std::mt19937 rng(4096);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < 16; ++i) {
        Place(kFloor, Matrix3::FromParts(0, 64.0 * (i % 4), 64.0 * (i / 4), 2.0, 2.0));
    }
    // Figures turned by whole degrees on a grid of cells, read back from the map format as a saved
    // map gives them, and others at random turns and sizes.
    for (int k = 0; k < 400; ++k) {
        const double degrees = std::fmod(k * 37.0, 360.0);
        Matrix3 placed = Matrix3::FromParts(-degrees * M_PI / 180.0, (k % 20 + 0.5) * 85.3,
                                            (k / 20 + 0.5) * 85.3, 1.0, 1.0);
        Matrix3 read;
        ASSERT_TRUE(MapFile::DecodeMatrix(MapFile::EncodeMatrix(placed), read));
        Place(kFigure, read);
    }
    for (int i = 0; i < 300; ++i) {
        const double size = 0.5 + unit(rng);
        Place(kFigure, Matrix3::FromParts(unit(rng) * 6.3, unit(rng) * 1500, unit(rng) * 1500, size, size));
    }
    for (float scale : {1.0f, 0.37f}) {
        const Publisher::Layout layout = Publisher::LayoutFor(doc, scale);
        const std::vector<std::string> whole = WholeRows(layout);
        for (int bandRows : {5, 13, 85}) {
            ExpectBandsGive(whole, layout, bandRows, scale);
        }
    }
}

TEST_F(PublishTest, WhiteBackgroundGetsABlackCopyrightOnItsBand) {
    Load("copyright=\"(c) Test Maps\"");
    PlaceCorners();
    const Publisher::Layout layout = Publisher::LayoutFor(doc, 0.5f);
    const std::vector<std::string> rows = WholeRows(layout);
    int black = 0;
    int coloured = 0;
    for (int row = 0; row < layout.band; ++row) {
        // The right half is left out: the far floor's smoothed top edge reaches the band's last row.
        for (int x = 0; x < layout.width / 2; ++x) {
            const auto* pixel = reinterpret_cast<const std::uint8_t*>(rows[row].data()) + 3 * x;
            black += pixel[0] < 40 && pixel[1] < 40 && pixel[2] < 40 ? 1 : 0;
            coloured += pixel[0] != pixel[1] || pixel[1] != pixel[2] ? 1 : 0;
            if (x < 9) {
                EXPECT_EQ(pixel[0], 255) << "the text starts at x 10";
            }
        }
    }
    EXPECT_GT(black, 30);
    EXPECT_EQ(coloured, 0);
}

TEST_F(PublishTest, JpegHoldsTheRenderedPictureAtTheQualityAndDensityOfTheGrid) {
    Load("copyright=\"(c) Test Maps\" publishwithgrid=\"true\"");
    PlaceBusyMap();
    dir.MakeDir("out");
    WString reason;
    ASSERT_TRUE(Publisher::Publish(doc, dir.WJoin("out/map.jpg"), 0.6f, 37, nullptr, reason))
        << reason.ToUtf8();
    EXPECT_EQ(Files(), std::vector<std::string>{"map.jpg"}); // no scenario, no page

    const Publisher::Layout layout = Publisher::LayoutFor(doc, 0.6f);
    const std::vector<std::string> rows = WholeRows(layout);
    std::vector<const std::uint8_t*> pointers;
    for (const std::string& row : rows) {
        pointers.push_back(reinterpret_cast<const std::uint8_t*>(row.data()));
    }
    std::vector<std::uint8_t> expected;
    ASSERT_TRUE(JpegFile::Encode(pointers.data(), layout.width, layout.height, 3, 64, 37, expected));
    const std::string written = dir.Read("out/map.jpg");
    EXPECT_EQ(written, std::string(expected.begin(), expected.end()));

    JpegFile reader;
    ASSERT_TRUE(reader.ReadHeader(reinterpret_cast<const std::uint8_t*>(written.data()), written.size()));
    EXPECT_EQ(reader.Width(), layout.width);
    EXPECT_EQ(reader.Height(), layout.height);
    EXPECT_EQ(reader.Dpi(), 64);
    EXPECT_NE(written.find(std::string("\xFF\xFE\x00\x09IGC:RGB", 11)), std::string::npos);

    ASSERT_TRUE(Publisher::Publish(doc, dir.WJoin("out/fine.jpg"), 0.6f, 95, nullptr, reason));
    ASSERT_TRUE(Publisher::Publish(doc, dir.WJoin("out/coarse.jpg"), 0.6f, 5, nullptr, reason));
    EXPECT_GT(dir.Read("out/fine.jpg").size(), 2 * dir.Read("out/coarse.jpg").size());
}

TEST_F(PublishTest, ScenarioPageIsWrittenBesideThePicture) {
    PlaceCorners();
    doc.SetScenario(u"+[The Vault]+\nBring the gold back.");
    dir.MakeDir("out");
    WString reason;
    ASSERT_TRUE(Publisher::Publish(doc, dir.WJoin("out/my map.jpg"), 0.2f, 50, nullptr, reason))
        << reason.ToUtf8();
    EXPECT_EQ(Files(), (std::vector<std::string>{"my map.htm", "my map.jpg"}));
    EXPECT_EQ(dir.Read("out/my map.htm"), HtmlPage::Build(doc.Scenario(), dir.WJoin("out/my map.htm"),
                                                          dir.WJoin("out/my map.jpg"), tileSet.Settings()));
}

TEST_F(PublishTest, FailuresAreReportedAndLeaveNoFile) {
    PlaceCorners();
    doc.SetScenario(u"Bring the gold back.");
    dir.MakeDir("out");
    WString reason;
    EXPECT_FALSE(Publisher::Publish(doc, dir.WJoin("out/none/map.jpg"), 1.0f, 50, nullptr, reason));
    EXPECT_EQ(reason.ToUtf8(),
              "Could not write \"" + dir.Join("out/none/map.jpg") + "\": No such file or directory");

    // A page that cannot be written takes the picture with it.
    dir.MakeDir("out/map.htm");
    dir.Write("out/map.htm/keep", "x");
    EXPECT_FALSE(Publisher::Publish(doc, dir.WJoin("out/map.jpg"), 0.5f, 50, nullptr, reason));
    EXPECT_NE(reason.ToUtf8().find("map.htm\": Is a directory"), std::string::npos) << reason.ToUtf8();
    EXPECT_EQ(Files(), std::vector<std::string>{"map.htm"});
    std::filesystem::remove_all(dir.Join("out/map.htm"));

    // A cancel keeps the file that was there before, and no temporary.
    dir.Write("out/map.jpg", "the earlier picture");
    Cancelling cancel;
    EXPECT_FALSE(Publisher::Publish(doc, dir.WJoin("out/map.jpg"), 1.0f, 50, &cancel, reason));
    EXPECT_EQ(cancel.calls, 1);
    EXPECT_EQ(reason.ToUtf8(), "Publishing was cancelled.");
    EXPECT_EQ(Files(), std::vector<std::string>{"map.jpg"});
    EXPECT_EQ(dir.Read("out/map.jpg"), "the earlier picture");

    // Wider than a JPEG can be: the message says how large and what to do.
    Place(kFloor, Matrix3::Scaling(700, 1));
    EXPECT_FALSE(Publisher::Publish(doc, dir.WJoin("out/wide.jpg"), 1.0f, 50, nullptr, reason));
    EXPECT_EQ(reason.ToUtf8(),
              "The picture would be 70000 x 600 pixels, but a JPEG holds at most 65,535 pixels "
              "a side. Choose a smaller scale.");
    EXPECT_FALSE(std::filesystem::exists(dir.Join("out/wide.jpg")));

    doc.DeleteAllTiles();
    EXPECT_FALSE(Publisher::Publish(doc, dir.WJoin("out/empty.jpg"), 1.0f, 50, nullptr, reason));
    EXPECT_FALSE(std::filesystem::exists(dir.Join("out/empty.jpg")));
}

TEST(JpegOptions, StoredChoicesAreReadWithinTheirLimitsAndWrittenBack) {
    testsupport::MemorySettings settings;
    JpegOptions options = JpegOptions::Load(settings);
    EXPECT_EQ(options.scaleIndex, 0);
    EXPECT_EQ(options.quality, 50);
    settings.WriteInt(JpegOptions::kQualityKey, 0);
    settings.WriteInt(JpegOptions::kScaleIndexKey, 10);
    options = JpegOptions::Load(settings);
    EXPECT_EQ(options.quality, 1);
    EXPECT_EQ(options.scaleIndex, 0);
    settings.WriteInt(JpegOptions::kQualityKey, 250);
    settings.WriteInt(JpegOptions::kScaleIndexKey, 9);
    options = JpegOptions::Load(settings);
    EXPECT_EQ(options.quality, 100);
    EXPECT_EQ(options.scaleIndex, 9);
    EXPECT_FLOAT_EQ(options.Scale(), 0.1f);
    EXPECT_EQ(JpegOptions::ScaleText(9).ToUtf8(), "10%");
    EXPECT_EQ(JpegOptions::ScaleText(0).ToUtf8(), "100%");
    EXPECT_EQ(JpegOptions::QualityText(73).ToUtf8(), "Quality = 73");
    EXPECT_FLOAT_EQ(JpegOptions::ScaleOfIndex(12), 1.0f);

    JpegOptions chosen;
    chosen.scaleIndex = 3;
    chosen.quality = 88;
    chosen.Store(settings);
    EXPECT_EQ(settings.ReadInt(JpegOptions::kScaleIndexKey, -1), 3);
    EXPECT_EQ(settings.ReadInt(JpegOptions::kQualityKey, -1), 88);
}

} // namespace
