#include "view/PrintLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// How many pages of `printable` pixels, each starting `step` after the previous one, cover `extent`.
int PagesAcross(int extent, int printable, int step) {
    if (extent <= printable) {
        return 1;
    }
    return 1 + static_cast<int>(std::ceil(static_cast<double>(extent - printable) / step));
}

} // namespace

PrintLayout PrintLayout::Start(const PageMetrics& page, int imageWidth, int imageHeight, int gridSize,
                               bool withCopyright) {
    PrintLayout layout;
    layout.metrics_ = page;
    if (page.dpiX < 1 || page.dpiY < 1 || page.printableWidth < 1 || page.printableHeight < 1) {
        layout.problem_ = "The printer reports no printable area";
        return layout;
    }
    if (imageWidth < 1 || imageHeight < 1 || gridSize < 1) {
        layout.problem_ = "The map has no extent";
        return layout;
    }
    // A band of an eighth of an inch: the mean of both resolutions over 16 pixels (integer pixels).
    layout.bandHeight_ = withCopyright ? (page.dpiX + page.dpiY) / 16 : 0;
    if (layout.bandHeight_ >= page.printableHeight) {
        layout.problem_ = "The page is too small for the copyright line";
        return layout;
    }
    // One grid cell, gridSize picture pixels, prints as one inch.
    layout.scaleX_ = static_cast<double>(page.dpiX) / gridSize;
    layout.scaleY_ = static_cast<double>(page.dpiY) / gridSize;
    return layout;
}

void PrintLayout::SizeMap(int imageWidth, int imageHeight) {
    mapWidth_ = std::max(1, static_cast<int>(imageWidth * scaleX_ + 0.5));
    mapHeight_ = std::max(1, static_cast<int>(imageHeight * scaleY_ + 0.5));
}

PrintLayout PrintLayout::FitOnePage(const PageMetrics& page, int imageWidth, int imageHeight, int gridSize,
                                    bool withCopyright) {
    PrintLayout layout = Start(page, imageWidth, imageHeight, gridSize, withCopyright);
    if (!layout.IsValid()) {
        return layout;
    }
    // Inches the page offers over inches the map needs, across and down (the band takes its share of
    // the height). Computed in real numbers: whole inches would waste most of an inch of paper.
    const double mapInchesX = static_cast<double>(imageWidth) / gridSize;
    const double mapInchesY = static_cast<double>(imageHeight) / gridSize;
    const double fitX = (static_cast<double>(page.printableWidth) / page.dpiX) / mapInchesX;
    const double fitY =
        (static_cast<double>(page.printableHeight - layout.bandHeight_) / page.dpiY) / mapInchesY;
    if (fitX < 1.0 || fitY < 1.0) {
        const double shrink = std::min(fitX, fitY);
        layout.scaleX_ *= shrink;
        layout.scaleY_ *= shrink;
    }
    layout.SizeMap(imageWidth, imageHeight);
    layout.columns_ = 1;
    layout.rows_ = 1;
    layout.pages_.push_back(Page{});
    return layout;
}

PrintLayout PrintLayout::Poster(const PageMetrics& page, int imageWidth, int imageHeight, int gridSize,
                                bool withCopyright) {
    PrintLayout layout = Start(page, imageWidth, imageHeight, gridSize, withCopyright);
    if (!layout.IsValid()) {
        return layout;
    }
    layout.SizeMap(imageWidth, imageHeight);
    const int overlapX = static_cast<int>(std::lround(page.dpiX * kPosterOverlapInches));
    const int overlapY = static_cast<int>(std::lround(page.dpiY * kPosterOverlapInches));
    const int stepX = page.printableWidth - overlapX;
    const int stepY = page.printableHeight - overlapY;
    if (stepX < 1 || stepY < 1) {
        layout.problem_ = "The printable area is smaller than the overlap of poster pages";
        return layout;
    }
    const int pictureHeight = layout.bandHeight_ + layout.mapHeight_;
    layout.columns_ = PagesAcross(layout.mapWidth_, page.printableWidth, stepX);
    layout.rows_ = PagesAcross(pictureHeight, page.printableHeight, stepY);
    const long long pages = static_cast<long long>(layout.columns_) * layout.rows_;
    if (pages > kMaxPosterPages) {
        layout.problem_ = "The poster would need " + std::to_string(pages) + " pages (" +
                          std::to_string(layout.columns_) + " across, " + std::to_string(layout.rows_) +
                          " down); at most " + std::to_string(kMaxPosterPages) + " can be printed";
        return layout;
    }
    for (int row = 1; row <= layout.rows_; ++row) {
        for (int column = 1; column <= layout.columns_; ++column) {
            Page sheet;
            sheet.row = row;
            sheet.column = column;
            sheet.originX = static_cast<double>(column - 1) * stepX;
            sheet.originY = static_cast<double>(row - 1) * stepY;
            sheet.cutX = column < layout.columns_ ? stepX : -1;
            sheet.cutY = row < layout.rows_ ? stepY : -1;
            layout.pages_.push_back(sheet);
        }
    }
    return layout;
}
