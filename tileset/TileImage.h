#pragma once

#include "raster/RasterCanvas.h"
#include "support/WString.h"

#include <memory>

// An image that a tileset or a tile definition owns: the pixels and the full path they came from.
// When the program draws through OpenGL, the image's texture joins it here (made right after the
// pixels load and released with them), so everything that frees an image goes through Release().
struct TileImage {
    WString path; // full path as loaded; empty when nothing is loaded
    std::unique_ptr<RasterCanvas> canvas;

    bool IsLoaded() const { return canvas != nullptr; }
    int Width() const { return canvas ? canvas->Width() : 0; }
    int Height() const { return canvas ? canvas->Height() : 0; }
    void Release() {
        canvas.reset();
        path.Clear();
    }
};
