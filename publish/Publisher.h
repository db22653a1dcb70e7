#pragma once

#include "support/Matrix3.h"
#include "support/Rect2.h"
#include "support/WString.h"

class CGridvellumDoc;
class DcRasterCanvas;
class PictureBands;
class PublishProgress;

// Publishing a map: the whole map at a chosen scale drawn into one picture, with the tileset's
// copyright on a band above it, written as a JPEG, and the scenario page beside it when the map has
// a scenario text. The picture is drawn and compressed in horizontal bands, so memory stays bounded
// however large it is, and the files reach their names whole or not at all.
class Publisher {
public:
    // A JPEG stores at most this many pixels a side.
    static constexpr int kMaxSide = 65535;
    // Memory of one band of the picture, in bytes: small enough to stay in the processor's cache
    // between drawing and encoding (a 4096-pixel picture published a third faster than with 32 MB
    // bands), and every band gives the whole picture's bytes whatever its size.
    static constexpr long long kBandBytes = 4LL << 20;

    // The picture for a map: trunc(map size x scale), plus the copyright band of gridsize / 4 rows
    // above the map when the tileset has a copyright text.
    struct Layout {
        Rect2 mapBounds;
        int width = 0;
        int height = 0;
        int band = 0;
        Matrix3 worldToImage;
    };
    static Layout LayoutFor(const CGridvellumDoc& doc, float scale);

    // Rows per band for a picture of this width.
    static int BandRows(int width);

    // The copyright into a band of the picture whose top row is firstRow (0 for the whole picture):
    // in the inverse of the publish background, at x 10 on the band's baseline, as high as the band.
    static void DrawCopyright(const CGridvellumDoc& doc, const Layout& layout, DcRasterCanvas& band,
                              int firstRow);

    // Publishes to imagePath with the quality 1..100, the picture drawn by bands (the program's own
    // renderer when null). False, with reason saying why, when nothing was published: an empty map, a
    // picture too large for JPEG, a file that cannot be written, a picture that could not be drawn or
    // a cancel through progress (which may be null). Neither file is left behind then.
    static bool Publish(CGridvellumDoc& doc, const WString& imagePath, float scale, int quality,
                        PublishProgress* progress, WString& reason, PictureBands* bands = nullptr);
};
