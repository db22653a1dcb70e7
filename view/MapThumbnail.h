#pragma once

class CGridvellumDoc;
class DcRasterCanvas;
class Rect2;
class WString;

// A small picture of a whole map for file managers: the publish renderer's drawing of every tile,
// scaled so that the picture fits a size x size square, written as PNG.
class MapThumbnail {
public:
    static constexpr int kMaxSize = 4096;

    // The picture's pixel size and the world-to-pixel scale for a map whose tiles cover worldBounds.
    // The longer side becomes size pixels, the other keeps the map's proportions (at least one
    // pixel); a map smaller than the square keeps one pixel per world unit, since magnifying adds
    // nothing a file manager cannot do itself. A map without extent gives the empty square.
    struct Fit {
        int width;
        int height;
        double scale;
    };
    static Fit FitInto(const Rect2& worldBounds, int size);

    // Draws doc into picture, which becomes a 24-bit canvas of the fitted size. False when size is
    // outside 1 .. kMaxSize or the canvas cannot be made.
    static bool Draw(CGridvellumDoc& doc, int size, DcRasterCanvas& picture);
    // Draws and stores the picture at path, whole or not at all; reason says why it failed.
    static bool Write(CGridvellumDoc& doc, int size, const WString& path, WString& reason);
};
