#include "view/PrintJob.h"

#include "document/CGridvellumDoc.h"
#include "platform/PagePainter.h"
#include "support/Matrix3.h"
#include "support/Rect2.h"
#include "tileset/TileSet.h"
#include "view/PrintProgress.h"
#include "view/PublishRenderer.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

std::u16string LabelOf(const PrintLayout::Page& page) {
    const std::string text = "row " + std::to_string(page.row) + ", column " + std::to_string(page.column);
    return std::u16string(text.begin(), text.end());
}

} // namespace

PrintJob::PrintJob(CGridvellumDoc& doc, PagePainter& painter, bool poster, PrintProgress* progress)
    : doc_(doc), painter_(painter), poster_(poster), progress_(progress) {}

PrintJob::Result PrintJob::Run() {
    problem_.clear();
    layout_ = PrintLayout();
    if (!painter_.IsActive()) {
        problem_ = "The printer could not be started";
        return Result::Failed;
    }
    if (doc_.TileCount() == 0) {
        return Result::Printed; // an empty page
    }
    const Rect2 bounds = doc_.DocumentBounds(false, false);
    // A map file can scale a tile beyond anything printable; its size must not overflow a pixel count.
    if (!(bounds.Width() < kMaxMapUnits && bounds.Height() < kMaxMapUnits)) {
        problem_ = "The map is too large to print";
        return Result::Failed;
    }
    imageLeft_ = bounds.MinX();
    imageBottom_ = bounds.MinY();
    LayOut(static_cast<int>(bounds.Width() + 0.5), static_cast<int>(bounds.Height() + 0.5));
    if (!layout_.IsValid()) {
        problem_ = layout_.Problem();
        return Result::Failed;
    }
    std::vector<std::vector<Block>> blocks;
    int total = 0;
    for (const PrintLayout::Page& page : layout_.Pages()) {
        blocks.push_back(BlocksOf(page));
        total += static_cast<int>(blocks.back().size());
    }
    int done = 0;
    for (size_t i = 0; i < layout_.Pages().size(); ++i) {
        if (i > 0 && !painter_.NewPage()) {
            problem_ = "The printer did not take another page";
            return Result::Failed;
        }
        if (!DrawPage(layout_.Pages()[i], blocks[i], done, total)) {
            return problem_.empty() ? Result::Cancelled : Result::Failed;
        }
    }
    return Result::Printed;
}

void PrintJob::LayOut(int imageWidth, int imageHeight) {
    // A sliver of a map still prints as one picture pixel.
    imageWidth_ = std::max(1, imageWidth);
    imageHeight_ = std::max(1, imageHeight);
    const PageMetrics metrics = painter_.Metrics();
    const TileSet& tileSet = doc_.Tiles();
    const bool withCopyright = !tileSet.Settings().copyright.IsEmpty();
    layout_ =
        poster_
            ? PrintLayout::Poster(metrics, imageWidth_, imageHeight_, tileSet.GridSize(), withCopyright)
            : PrintLayout::FitOnePage(metrics, imageWidth_, imageHeight_, tileSet.GridSize(), withCopyright);
    const double devicePerPixel = std::max(static_cast<double>(layout_.MapWidth()) / imageWidth_,
                                           static_cast<double>(layout_.MapHeight()) / imageHeight_);
    drawScale_ = std::min(1.0, devicePerPixel);
    drawWidth_ =
        drawScale_ < 1.0 ? std::max(1, static_cast<int>(std::ceil(imageWidth_ * drawScale_))) : imageWidth_;
    drawHeight_ =
        drawScale_ < 1.0 ? std::max(1, static_cast<int>(std::ceil(imageHeight_ * drawScale_))) : imageHeight_;
}

// The picture pixels a page shows, cut into blocks of bounded size, top to bottom.
std::vector<PrintJob::Block> PrintJob::BlocksOf(const PrintLayout::Page& page) const {
    const PageMetrics& metrics = layout_.Metrics();
    const double perPixelX = static_cast<double>(layout_.MapWidth()) / drawWidth_;
    const double perPixelY = static_cast<double>(layout_.MapHeight()) / drawHeight_;
    const double mapTop = page.originY - layout_.BandHeight();
    auto first = [](double from, double perPixel, int limit) {
        return std::clamp(static_cast<int>(std::floor(std::max(0.0, from) / perPixel)), 0, limit);
    };
    auto last = [](double to, double perPixel, int limit) {
        return std::clamp(static_cast<int>(std::ceil(to / perPixel)), 0, limit);
    };
    const int left = first(page.originX, perPixelX, drawWidth_);
    const int right = last(page.originX + metrics.printableWidth, perPixelX, drawWidth_);
    const int top = first(mapTop, perPixelY, drawHeight_);
    const int bottom = last(mapTop + metrics.printableHeight, perPixelY, drawHeight_);
    std::vector<Block> blocks;
    for (int x = left; x < right; x += kBlockColumns) {
        const int width = std::min(kBlockColumns, right - x);
        const int rows = static_cast<int>(std::max<long long>(1, blockBytes_ / (3LL * width)));
        for (int y = top; y < bottom; y += rows) {
            blocks.push_back(Block{x, y, width, std::min(rows, bottom - y)});
        }
    }
    return blocks;
}

bool PrintJob::DrawPage(const PrintLayout::Page& page, const std::vector<Block>& blocks, int& done,
                        int total) {
    for (const Block& block : blocks) {
        if (!DrawBlock(page, block)) {
            return false;
        }
        ++done;
        if (progress_ && !progress_->Advance(done, total)) {
            return false;
        }
    }
    DrawCopyright(page);
    if (poster_) {
        DrawPosterMarks(page);
    }
    return true;
}

bool PrintJob::DrawBlock(const PrintLayout::Page& page, const Block& block) {
    if (!canvas_.SetBitsPerPixel(24) || !canvas_.EnsureSize(block.width, block.height)) {
        problem_ = "Not enough memory to draw the map";
        return false;
    }
    // The block's bottom stored row is picture row top + height - 1, counted from the top.
    const int rowsBelow = drawHeight_ - (block.top + block.height);
    const Matrix3 worldToBlock =
        Matrix3::Product(Matrix3::Translation(-imageLeft_, -imageBottom_),
                         Matrix3::Product(Matrix3::Scaling(drawScale_, drawScale_),
                                          Matrix3::Translation(-block.left, -rowsBelow)));
    PublishRenderer::Render(canvas_, doc_, worldToBlock);

    const double perPixelX = static_cast<double>(layout_.MapWidth()) / drawWidth_;
    const double perPixelY = static_cast<double>(layout_.MapHeight()) / drawHeight_;
    painter_.DrawPixels(canvas_.AsPixelBlock(), block.left * perPixelX - page.originX,
                        layout_.BandHeight() + block.top * perPixelY - page.originY, block.width * perPixelX,
                        block.height * perPixelY);
    return true;
}

// The copyright in black on the band above the map, 10 pixels from the left edge, on its baseline.
void PrintJob::DrawCopyright(const PrintLayout::Page& page) {
    const int band = layout_.BandHeight();
    if (band == 0 || page.originY >= band) {
        return;
    }
    const TileSetSettings& settings = doc_.Tiles().Settings();
    FontDescription font;
    font.face = std::u16string(settings.fontName.c_str(), settings.fontName.Length());
    font.height = band;
    font.weight = 400;
    font.antialiased = true;
    painter_.DrawText(font, 10 - page.originX, band - page.originY,
                      std::u16string_view(settings.copyright.c_str(), settings.copyright.Length()), kBlack);
}

// Thin ticks at both ends of each line where the next page starts (cut there and lay the pages edge
// to edge), and the page's place in the poster. The label sits in the bottom overlap, which the page
// below covers once the poster is put together.
void PrintJob::DrawPosterMarks(const PrintLayout::Page& page) {
    const PageMetrics& metrics = layout_.Metrics();
    const double width = metrics.printableWidth;
    const double height = metrics.printableHeight;
    const double pen = std::max(1.0, metrics.dpiX / 144.0); // half a point
    const double tick = metrics.dpiX * 0.375;
    auto mark = [&](double x0, double y0, double x1, double y1) {
        // A white edge keeps the black line visible on a dark map.
        painter_.DrawLine(x0, y0, x1, y1, pen * 3, kWhite);
        painter_.DrawLine(x0, y0, x1, y1, pen, kBlack);
    };
    if (page.cutX >= 0) {
        mark(page.cutX, 0, page.cutX, tick);
        mark(page.cutX, height - tick, page.cutX, height);
    }
    if (page.cutY >= 0) {
        mark(0, page.cutY, tick, page.cutY);
        mark(width - tick, page.cutY, width, page.cutY);
    }
    FontDescription font;
    font.height = static_cast<int>(metrics.dpiY * 0.15); // about 11 points
    const std::u16string label = LabelOf(page);
    const double x = metrics.dpiX / 2.0;
    const double baseline = height - metrics.dpiY / 16.0;
    const double pad = metrics.dpiX / 32.0;
    const double labelWidth = painter_.TextWidth(font, label);
    // The cell reaches about four fifths of the font's height above the baseline.
    painter_.FillRect(x - pad, baseline - font.height * 0.8 - pad, labelWidth + 2 * pad,
                      font.height + 2 * pad, kWhite);
    painter_.DrawText(font, x, baseline, label, kBlack);
}
