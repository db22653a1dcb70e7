#include "ViewFixture.h"

#include "common/PdfPages.h"
#include "document/TileRef.h"
#include "platform/PagePainter.h"
#include "platform/PageSizes.h"
#include "platform/PdfOutput.h"
#include "support/Matrix3.h"
#include "view/PdfPrint.h"
#include "view/PrintJob.h"
#include "view/PrintLayout.h"
#include "view/PrintProgress.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using testsupport::BoxOfColor;
using testsupport::PagePicture;
using testsupport::PixelBox;
using testsupport::RenderPdfPage;
using viewtest::ViewDocument;

constexpr std::uint32_t kRedRgb = 0xFF0000;
constexpr std::uint32_t kBlackRgb = 0x000000;

const std::string kPlainLook = "gridsize=\"64\" backpublishcolor=\"255,255,255\"";
const std::string kCopyrightLook = kPlainLook + " copyright=\"Maps by Quill\" fontname=\"Arial\"";

// Fills columns x rows grid cells with the 64-unit red tile.
void FillCells(ViewDocument& fixture, int columns, int rows) {
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            fixture.Place(viewtest::kRed, 64.0f * x, 64.0f * y);
        }
    }
}

// Device pixels of the 1200-dpi PDF as pixels of its picture at dpi.
double At(int dpi, double devicePixels) {
    return devicePixels * dpi / 1200.0;
}

struct CountingProgress : PrintProgress {
    bool Advance(int done, int total) override {
        ++calls;
        lastDone = done;
        lastTotal = total;
        return calls < stopAfter;
    }
    int stopAfter = 1 << 30;
    int calls = 0;
    int lastDone = 0;
    int lastTotal = 0;
};

// The print job on a PDF, as the command line runs it but with a block size and progress of the
// test's choice. The file exists afterwards only when everything was printed.
PrintJob::Result PrintToPdf(CGridvellumDoc& doc, const std::string& path, bool poster, long long blockBytes,
                            PrintProgress* progress) {
    PdfOutput output;
    std::string reason;
    EXPECT_TRUE(output.Open(path, PageSizes::Find("Letter"), reason)) << reason;
    PagePainter painter;
    EXPECT_TRUE(painter.Begin(output.Device()));
    PrintJob job(doc, painter, poster, progress);
    job.SetBlockBytes(blockBytes);
    const PrintJob::Result result = job.Run();
    if (result == PrintJob::Result::Printed) {
        EXPECT_TRUE(painter.End());
        EXPECT_TRUE(output.Commit(reason)) << reason;
    }
    return result;
}

TEST(PrintLayout, OneCellPrintsAsOneInchShrunkToFitAndNeverEnlarged) {
    // A 600-dpi printer with 8 x 11 inches to print on.
    const PageMetrics page{600, 600, 0, 0, 4800, 6600};
    // 640 x 320 units are 10 x 5 inches: shrunk by 8 / 10.
    const PrintLayout wide = PrintLayout::FitOnePage(page, 640, 320, 64, false);
    ASSERT_TRUE(wide.IsValid());
    EXPECT_EQ(wide.BandHeight(), 0);
    EXPECT_EQ(wide.MapWidth(), 4800);
    EXPECT_EQ(wide.MapHeight(), 2400);
    // The copyright band is 75 pixels there; this map still fits across.
    const PrintLayout banded = PrintLayout::FitOnePage(page, 640, 320, 64, true);
    EXPECT_EQ(banded.BandHeight(), 75);
    EXPECT_EQ(banded.MapWidth(), 4800);
    EXPECT_EQ(banded.MapHeight(), 2400);
    // A 5 x 20 inch map is limited by the height left below the band.
    const PrintLayout tall = PrintLayout::FitOnePage(page, 320, 1280, 64, true);
    EXPECT_EQ(tall.MapHeight(), 6600 - 75);
    EXPECT_EQ(tall.MapWidth(), 1631);
    // 5 x 3 inches fit and stay 5 x 3 inches.
    const PrintLayout small = PrintLayout::FitOnePage(page, 320, 192, 64, false);
    EXPECT_EQ(small.MapWidth(), 3000);
    EXPECT_EQ(small.MapHeight(), 1800);
    ASSERT_EQ(small.Pages().size(), 1u);
    // A page too small for the band is refused rather than printing a map of negative size.
    EXPECT_FALSE(
        PrintLayout::FitOnePage(PageMetrics{600, 600, 0, 0, 4800, 70}, 640, 320, 64, true).IsValid());
}

TEST(PrintLayout, PosterPagesOverlapAQuarterInchInReadingOrder) {
    const PageMetrics page{600, 600, 0, 0, 4800, 6600};
    // 20 x 15 inches: pages start every 4650 pixels across and 6450 down.
    const PrintLayout poster = PrintLayout::Poster(page, 1280, 960, 64, false);
    ASSERT_TRUE(poster.IsValid()) << poster.Problem();
    EXPECT_EQ(poster.MapWidth(), 12000);
    EXPECT_EQ(poster.MapHeight(), 9000);
    ASSERT_EQ(poster.Columns(), 3);
    ASSERT_EQ(poster.Rows(), 2);
    ASSERT_EQ(poster.Pages().size(), 6u);
    for (int i = 0; i < 6; ++i) {
        const PrintLayout::Page& sheet = poster.Pages()[i];
        EXPECT_EQ(sheet.row, i / 3 + 1);
        EXPECT_EQ(sheet.column, i % 3 + 1);
        EXPECT_DOUBLE_EQ(sheet.originX, 4650.0 * (i % 3));
        EXPECT_DOUBLE_EQ(sheet.originY, 6450.0 * (i / 3));
        EXPECT_DOUBLE_EQ(sheet.cutX, i % 3 < 2 ? 4650.0 : -1.0);
        EXPECT_DOUBLE_EQ(sheet.cutY, i / 3 < 1 ? 6450.0 : -1.0);
    }
    // One pixel less than a page across needs no second page; one more does.
    EXPECT_EQ(PrintLayout::Poster(page, 512, 64, 64, false).Columns(), 1);
    EXPECT_EQ(PrintLayout::Poster(page, 513, 64, 64, false).Columns(), 2);
    const PrintLayout huge = PrintLayout::Poster(page, 64 * 400, 64 * 400, 64, false);
    EXPECT_FALSE(huge.IsValid());
    EXPECT_NE(huge.Problem().find("at most 1000"), std::string::npos) << huge.Problem();
}

TEST(Printing, ExampleMapPrintsShrunkToThePrintableWidthOfA4) {
    ViewDocument fixture(kPlainLook);
    FillCells(fixture, 10, 5); // 640 x 320 units
    const std::string pdf = fixture.dir.Join("map.pdf");
    std::string reason;
    ASSERT_TRUE(PdfPrint::Write(fixture.doc, pdf, PageSizes::Find("a4"), false, reason)) << reason;
    ASSERT_EQ(testsupport::PdfPageCount(pdf), 1);
    const PagePicture page = RenderPdfPage(pdf, 1, 100);
    EXPECT_NEAR(page.width, 827, 1); // 210 x 297 mm
    EXPECT_NEAR(page.height, 1169, 1);
    // The printable area starts 167 device pixels in and is 9583 wide: the map fills that width at
    // half as much height.
    const PixelBox red = BoxOfColor(page, kRedRgb);
    const double width = 9583.0;
    EXPECT_NEAR(red.left, At(100, 167), 1.5);
    EXPECT_NEAR(red.top, At(100, 167), 1.5);
    EXPECT_NEAR(red.Width(), At(100, width), 2);
    EXPECT_NEAR(red.Height(), At(100, width / 2), 2);
    EXPECT_GT(red.count, 0.98 * red.Width() * red.Height()); // solid, no seams between blocks
}

TEST(Printing, MapShrunkBelowThePrintersDotsIsDrawnAtThePrintersResolution) {
    ViewDocument fixture(kPlainLook);
    // 12800 units are 200 inches: on A4 fewer printer dots than map units.
    TileRef* floor = fixture.Place(viewtest::kRed, 0, 0);
    floor->SetTransform(Matrix3::Scaling(200, 200));
    floor->UpdateBounds();
    TileRef* square = fixture.Place(viewtest::kGreen, 0, 0); // 3200 units, from 4800 to 8000
    square->SetTransform(Matrix3::Product(Matrix3::Scaling(100, 100), Matrix3::Translation(4800, 4800)));
    square->UpdateBounds();
    const std::string pdf = fixture.dir.Join("shrunk.pdf");
    std::string reason;
    ASSERT_TRUE(PdfPrint::Write(fixture.doc, pdf, PageSizes::Find("A4"), false, reason)) << reason;
    const PagePicture page = RenderPdfPage(pdf, 1, 100);
    const double width = 9583.0;
    const PixelBox red = BoxOfColor(page, kRedRgb);
    EXPECT_NEAR(red.left, At(100, 167), 1.5);
    EXPECT_NEAR(red.Width(), At(100, width), 2);
    EXPECT_NEAR(red.Height(), At(100, width), 2);
    const PixelBox green = BoxOfColor(page, 0x00FF00);
    EXPECT_NEAR(green.left, At(100, 167 + width * 4800 / 12800), 2);
    EXPECT_NEAR(green.top, At(100, 167 + width * 4800 / 12800), 2);
    EXPECT_NEAR(green.Width(), At(100, width / 4), 2);
    EXPECT_NEAR(green.Height(), At(100, width / 4), 2);
}

TEST(Printing, CopyrightBandSitsAboveAMapThatFitsAtOneCellPerInch) {
    ViewDocument fixture(kCopyrightLook);
    FillCells(fixture, 5, 3);
    const std::string pdf = fixture.dir.Join("letter.pdf");
    std::string reason;
    ASSERT_TRUE(PdfPrint::Write(fixture.doc, pdf, PageSizes::Find("Letter"), false, reason)) << reason;
    const PagePicture page = RenderPdfPage(pdf, 1, 100);
    EXPECT_EQ(page.width, 850); // 8.5 x 11 inches
    EXPECT_EQ(page.height, 1100);
    // At 1200 dpi the band is (1200 + 1200) / 16 = 150 pixels: the map starts an eighth of an inch
    // lower and keeps its 5 x 3 inches.
    const PixelBox red = BoxOfColor(page, kRedRgb);
    EXPECT_NEAR(red.left, At(100, 167), 1.5);
    EXPECT_NEAR(red.top, At(100, 167 + 150), 1.5);
    EXPECT_NEAR(red.Width(), 500, 2);
    EXPECT_NEAR(red.Height(), 300, 2);
    // The text is black, inside the band, ten device pixels from the printable edge.
    const PixelBox text = BoxOfColor(page, kBlackRgb, 90);
    ASSERT_GT(text.count, 20);
    EXPECT_GE(text.left, static_cast<int>(At(100, 167 + 10)));
    EXPECT_GE(text.top, static_cast<int>(At(100, 167)));
    EXPECT_LT(text.top, red.top - 6); // only descenders reach below the baseline
    EXPECT_LE(text.bottom, red.top + 4);
    EXPECT_NE(testsupport::PdfText(pdf).find("Maps by Quill"), std::string::npos);
}

TEST(Printing, PosterThreePagesWideAndTwoHighHasSixLabelledPages) {
    ViewDocument fixture(kPlainLook);
    // Letter pages print 9866 x 12866 device pixels and start 9566 and 12566 apart: 20 x 15 inches
    // need three pages across and two down.
    FillCells(fixture, 20, 15);
    const std::string pdf = fixture.dir.Join("poster.pdf");
    std::string reason;
    ASSERT_TRUE(PdfPrint::Write(fixture.doc, pdf, PageSizes::Find("Letter"), true, reason)) << reason;
    ASSERT_EQ(testsupport::PdfPageCount(pdf), 6);
    for (int i = 0; i < 6; ++i) {
        const std::string label =
            "row " + std::to_string(i / 3 + 1) + ", column " + std::to_string(i % 3 + 1);
        EXPECT_NE(testsupport::PdfText(pdf, i + 1).find(label), std::string::npos) << "page " << i + 1;
    }
    // Exactly one inch a cell: what is left of the map's 24000 device pixels on the last column,
    // and of its 18000 on the second row.
    const int dpi = 100;
    const PixelBox first = BoxOfColor(RenderPdfPage(pdf, 1, dpi), kRedRgb);
    EXPECT_NEAR(first.Width(), At(dpi, 9866), 2);
    EXPECT_NEAR(first.Height(), At(dpi, 12866), 2);
    const PixelBox right = BoxOfColor(RenderPdfPage(pdf, 3, dpi), kRedRgb);
    EXPECT_NEAR(right.left, At(dpi, 167), 2);
    EXPECT_NEAR(right.Width(), At(dpi, 24000 - 2 * 9566), 2);
    const PixelBox corner = BoxOfColor(RenderPdfPage(pdf, 6, dpi), kRedRgb);
    EXPECT_NEAR(corner.Width(), At(dpi, 24000 - 2 * 9566), 2);
    EXPECT_NEAR(corner.Height(), At(dpi, 18000 - 12566), 2);
    // Cut marks: black ticks where the next page starts, at the top of the first page.
    const PagePicture top = RenderPdfPage(pdf, 1, 300);
    const int cutX = static_cast<int>(At(300, 167 + 9566));
    int black = 0;
    for (int y = static_cast<int>(At(300, 167)); y < At(300, 167 + 300); ++y) {
        for (int x = cutX - 2; x <= cutX + 2; ++x) {
            black += (top.Pixel(x, y) & 0xF0F0F0) == 0 ? 1 : 0;
        }
    }
    EXPECT_GT(black, 40);
}

TEST(Printing, BlocksOfAFewRowsPrintTheSamePictureAsOneBlock) {
    ViewDocument fixture(kPlainLook + " publishwithgrid=\"True\" gridcolor=\"0,0,160\"");
    FillCells(fixture, 6, 4);
    // Green squares across the block edges, some off the grid.
    for (int i = 0; i < 8; ++i) {
        fixture.Place(viewtest::kGreen, 20.0f + 41.0f * i, 7.0f + 29.0f * i);
    }
    CountingProgress blocks;
    CountingProgress whole;
    const std::string cut = fixture.dir.Join("cut.pdf");
    const std::string one = fixture.dir.Join("one.pdf");
    ASSERT_EQ(PrintToPdf(fixture.doc, cut, false, 3 * 384 * 7, &blocks), PrintJob::Result::Printed);
    ASSERT_EQ(PrintToPdf(fixture.doc, one, false, PrintJob::kBlockBytes, &whole), PrintJob::Result::Printed);
    EXPECT_EQ(whole.calls, 1);
    EXPECT_EQ(blocks.calls, (256 + 6) / 7); // 256 rows, 7 a block
    EXPECT_EQ(blocks.lastDone, blocks.lastTotal);
    // At the PDF's own resolution, over the whole map: the pictures agree but where a rounding of
    // the viewer puts one edge a device pixel apart. A gap between blocks would be a whole line, a
    // lossy store of the pixels would smear every edge.
    const testsupport::PageArea map{167, 167, 384 * 1200 / 64, 256 * 1200 / 64};
    const PagePicture a = RenderPdfPage(cut, 1, 1200, map);
    const PagePicture b = RenderPdfPage(one, 1, 1200, map);
    ASSERT_EQ(a.rgb.size(), b.rgb.size());
    ASSERT_FALSE(a.rgb.empty());
    long long different = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3) {
        for (int c = 0; c < 3; ++c) {
            if (std::abs(a.rgb[i + c] - b.rgb[i + c]) > 48) {
                ++different;
                break;
            }
        }
    }
    EXPECT_LT(different, static_cast<long long>(a.rgb.size() / 3 / 1000)) << different << " pixels differ";
}

TEST(Printing, CancelStopsAtOnceAndLeavesNoFile) {
    ViewDocument fixture(kPlainLook);
    FillCells(fixture, 20, 15);
    CountingProgress progress;
    progress.stopAfter = 2;
    const std::string pdf = fixture.dir.Join("cancelled.pdf");
    EXPECT_EQ(PrintToPdf(fixture.doc, pdf, true, 3 * 1280 * 64, &progress), PrintJob::Result::Cancelled);
    EXPECT_EQ(progress.calls, 2);
    EXPECT_GT(progress.lastTotal, 6); // several blocks on each of the six pages
    EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST(Printing, FailuresWriteNothingAndKeepAnOldFile) {
    ViewDocument fixture(kPlainLook);
    FillCells(fixture, 2, 2);
    std::string reason;
    const std::string missing = fixture.dir.Join("no/such/folder/map.pdf");
    EXPECT_FALSE(PdfPrint::Write(fixture.doc, missing, PageSizes::Default(), false, reason));
    EXPECT_EQ(reason, "No such file or directory");
    EXPECT_FALSE(std::filesystem::exists(missing));

    // A poster of 500 x 500 inches is refused before any page is drawn.
    TileRef* giant = fixture.Place(viewtest::kRed, 0, 0);
    giant->SetTransform(Matrix3::Scaling(500, 500));
    giant->UpdateBounds();
    fixture.dir.Write("out/map.pdf", "the previous printout");
    const std::string kept = fixture.dir.Join("out/map.pdf");
    EXPECT_FALSE(PdfPrint::Write(fixture.doc, kept, PageSizes::Default(), true, reason));
    EXPECT_NE(reason.find("at most 1000 can be printed"), std::string::npos) << reason;
    EXPECT_EQ(fixture.dir.Read("out/map.pdf"), "the previous printout");
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(fixture.dir.Join("out"))) {
        ++files;
    }
    EXPECT_EQ(files, 1); // no temporary file left beside it

    // A tile scaled beyond any paper (a hostile map can say so) is refused the same way.
    giant->SetTransform(Matrix3::Scaling(1e12, 1e12));
    giant->UpdateBounds();
    EXPECT_FALSE(PdfPrint::Write(fixture.doc, kept, PageSizes::Default(), false, reason));
    EXPECT_EQ(reason, "The map is too large to print");
    EXPECT_EQ(fixture.dir.Read("out/map.pdf"), "the previous printout");

    // Without tiles the printout is one empty page.
    ViewDocument empty(kPlainLook);
    const std::string blank = empty.dir.Join("blank.pdf");
    ASSERT_TRUE(PdfPrint::Write(empty.doc, blank, PageSizes::Default(), false, reason)) << reason;
    EXPECT_EQ(testsupport::PdfPageCount(blank), 1);
    EXPECT_EQ(BoxOfColor(RenderPdfPage(blank, 1, 30), 0xFFFFFF, 0).count, 248LL * 351);
}

} // namespace
