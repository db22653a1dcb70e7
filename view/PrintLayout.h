#pragma once

#include "platform/PageMetrics.h"

#include <string>
#include <vector>

// Where a printed map goes on the paper. The map is drawn into a picture of one pixel per world unit
// and stretched onto the page so that one grid cell prints as one inch; the tileset's copyright, when
// it has one, sits in a band of its own above the map.
//
// Everything here is in device pixels of the "print picture": the band and the map below it, with its
// origin at the band's top-left corner. Each page shows the part of that picture that starts at its
// origin and is as large as the printable area.
class PrintLayout {
public:
    // Neighbouring poster pages show the same quarter inch of the map, so they can be trimmed or
    // glued over each other.
    static constexpr double kPosterOverlapInches = 0.25;
    // More pages than this are surely a mistake (a map of many yards), not a print anybody wants.
    static constexpr int kMaxPosterPages = 1000;

    struct Page {
        int row = 1; // counted from 1, top to bottom
        int column = 1;
        double originX = 0; // where the page's printable area starts in the print picture
        double originY = 0;
        // Cut lines where the next page to the right or below starts, in page coordinates; negative
        // when there is no such page.
        double cutX = -1;
        double cutY = -1;
    };

    // The whole map on one page, shrunk to fit keeping its proportions and never enlarged. The
    // picture is imageWidth x imageHeight pixels for a tileset of gridSize world units a cell.
    static PrintLayout FitOnePage(const PageMetrics& page, int imageWidth, int imageHeight, int gridSize,
                                  bool withCopyright);
    // The map at exactly one cell per inch across as many pages as it needs, in reading order.
    static PrintLayout Poster(const PageMetrics& page, int imageWidth, int imageHeight, int gridSize,
                              bool withCopyright);

    // False, with Problem() saying why, when the map cannot be laid out on this paper.
    bool IsValid() const { return problem_.empty(); }
    const std::string& Problem() const { return problem_; }

    // The copyright band's height and font height; 0 without a copyright.
    int BandHeight() const { return bandHeight_; }
    // The map's printed size: (int)(image size x scale + 0.5).
    int MapWidth() const { return mapWidth_; }
    int MapHeight() const { return mapHeight_; }
    // Device pixels per picture pixel, before rounding the map's size.
    double ScaleX() const { return scaleX_; }
    double ScaleY() const { return scaleY_; }
    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    const std::vector<Page>& Pages() const { return pages_; }
    const PageMetrics& Metrics() const { return metrics_; }

private:
    static PrintLayout Start(const PageMetrics& page, int imageWidth, int imageHeight, int gridSize,
                             bool withCopyright);
    void SizeMap(int imageWidth, int imageHeight);

    PageMetrics metrics_;
    std::string problem_;
    int bandHeight_ = 0;
    int mapWidth_ = 0;
    int mapHeight_ = 0;
    double scaleX_ = 0;
    double scaleY_ = 0;
    int columns_ = 0;
    int rows_ = 0;
    std::vector<Page> pages_;
};
