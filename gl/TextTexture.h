#pragma once

#include "gl/GlErrorReport.h"
#include "support/Rgb8.h"
#include "support/Vec2.h"

#include <array>
#include <cstdint>
#include <vector>

class RasterCanvas;

// One character of the glyph cache: a white texture whose alpha is the glyph's coverage, so any text
// colour is one draw with blending.
class TextTexture {
public:
    TextTexture() = default;
    ~TextTexture();
    TextTexture(const TextTexture&) = delete;
    TextTexture& operator=(const TextTexture&) = delete;

    // From a 24-bit power-of-two cell of white text on black. False for any other cell.
    bool BuildText(const RasterCanvas& cell, const GlErrorSink& errors);
    // The whole texture on the quadrilateral c0 .. c3 in view pixels: texture corner (0, 0) on c0,
    // (1, 0) on c2, (1, 1) on c3 and (0, 1) on c1. Texturing must be on.
    void DrawText(const Rgb8& color, const std::array<Vec2, 4>& corners, const GlErrorSink& errors) const;
    void Release();

    unsigned int Name() const { return name_; }

    // White pixels (blue, green, red, alpha) whose alpha is the mean of the cell's three channels,
    // rows in the cell's stored order.
    static std::vector<std::uint8_t> CoverageBlock(const RasterCanvas& cell);

private:
    unsigned int name_ = 0;
};
