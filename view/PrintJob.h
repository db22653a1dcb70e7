#pragma once

#include "raster/DcRasterCanvas.h"
#include "view/PrintLayout.h"

#include <string>
#include <vector>

class CGridvellumDoc;
class PagePainter;
class PrintProgress;

// Prints the whole map: on one page at one grid cell per inch (shrunk when it does not fit), or as a
// poster at exactly one cell per inch over as many pages as it needs, each with cut marks where the
// next page starts and a "row r, column c" label.
//
// The map is drawn by the publish renderer, but never as one picture: block after block of at most
// kBlockBytes goes into one off-screen canvas and onto the page, so a map of any size prints in the
// same small memory. A map shrunk to fit is drawn at the page's resolution rather than at one pixel
// per world unit when that is less.
class PrintJob {
public:
    enum class Result { Printed, Cancelled, Failed };

    // Largest off-screen block: its pixels, at 3 bytes each, and its width.
    static constexpr long long kBlockBytes = 8LL << 20;
    static constexpr int kBlockColumns = 4096;
    // World units across or down beyond which a map is refused (about 250 miles at 64 units an inch).
    static constexpr double kMaxMapUnits = 1e9;

    // painter has begun its first page; progress may be null.
    PrintJob(CGridvellumDoc& doc, PagePainter& painter, bool poster, PrintProgress* progress);

    // A smaller block than kBlockBytes (at least one row), so tests can cut a small map into many.
    void SetBlockBytes(long long bytes) { blockBytes_ = bytes; }

    // Draws every page. The painter is left active for its owner to end. A map without tiles prints
    // an empty page.
    Result Run();
    // Why the last Run failed.
    const std::string& Problem() const { return problem_; }
    // The layout of the last Run; invalid when the map has no tiles.
    const PrintLayout& Layout() const { return layout_; }

private:
    struct Block {
        int left, top, width, height; // picture pixels, rows counted from the top
    };
    void LayOut(int imageWidth, int imageHeight);
    std::vector<Block> BlocksOf(const PrintLayout::Page& page) const;
    bool DrawPage(const PrintLayout::Page& page, const std::vector<Block>& blocks, int& done, int total);
    bool DrawBlock(const PrintLayout::Page& page, const Block& block);
    void DrawCopyright(const PrintLayout::Page& page);
    void DrawPosterMarks(const PrintLayout::Page& page);

    CGridvellumDoc& doc_;
    PagePainter& painter_;
    bool poster_;
    PrintProgress* progress_;
    PrintLayout layout_;
    std::string problem_;
    int imageWidth_ = 0; // the map at one pixel per world unit
    int imageHeight_ = 0;
    // The map as it is drawn: at one pixel per world unit, or, when the page has fewer dots than
    // that, at the page's own resolution; nobody can see more dots than the printer prints.
    double drawScale_ = 1.0;
    int drawWidth_ = 0;
    int drawHeight_ = 0;
    double imageLeft_ = 0; // world position of the picture's left and bottom edges
    double imageBottom_ = 0;
    long long blockBytes_ = kBlockBytes;
    DcRasterCanvas canvas_;
};
