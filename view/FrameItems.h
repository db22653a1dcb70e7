#pragma once

#include "support/Matrix3.h"
#include "support/Rgb8.h"

#include <cstdint>

class RasterCanvas;
class TextTile;
class WString;

// One picture of a frame: a tile's image, one of its pre- or post-draw pictures, or a mark of its
// movement path. toView maps the picture's pixels (y up, row 0 at the bottom) to view pixels.
struct ImageItem {
    RasterCanvas* picture = nullptr;
    Matrix3 toView;
    // Nearest sampling instead of smoothing.
    bool plain = false;
    // 0x00BBGGRR; blended in by tintAmount / 255 when tintOn.
    std::uint32_t tintColor = 0;
    bool tintOn = false;
    int tintAmount = 0;
    // The tint at full strength replaces the picture's colours: only its shape shows, in the tint.
    bool silhouette = false;
    // The definition asks for smoothing however far the picture is magnified (OpenGL otherwise shows
    // sharp pixels from four times magnification on).
    bool alwaysSmooth = false;
    float opacity = 1.0f;
};

// One text tile of a frame. toView maps the text's own units (x along the text, y up from the bottom
// of its box) to view pixels.
struct TextRun {
    const TextTile* tile = nullptr;
    Matrix3 toView;
    Rgb8 color;
    // A selected text shows its box, outlined in boxEdge and filled with boxFill, under the letters.
    bool boxed = false;
    Rgb8 boxEdge;
    Rgb8 boxFill;
    const WString* fontName = nullptr;
    // World units of the grid: the box height the text was measured for.
    double gridSize = 64.0;
};
