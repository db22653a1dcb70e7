#pragma once

#include <cstdint>

class Matrix3;
class RasterCanvas;

// One stored picture the rasterizer reads or writes: an image or one of its half-size levels.
// Rows are in stored order (row 0 is the bottom of the picture) and hold bytesPerPixel bytes per
// pixel in the order blue, green, red (, alpha).
struct RasterPlane {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    std::uint8_t* const* rows = nullptr;

    bool IsUsable() const {
        return width > 0 && height > 0 && rows && (bytesPerPixel == 3 || bytesPerPixel == 4);
    }
};

// A source picture and its chain of half-size levels: levels[k] is the picture shrunk 2^k times,
// and the first levelCount entries exist. Level 0 must exist for anything to be drawn.
struct SourceLevels {
    static constexpr int kMaxLevel = 7;
    RasterPlane levels[kMaxLevel + 1];
    int levelCount = 0;
    bool alwaysSmooth = false;
};

// How a transformed picture is laid onto its destination.
struct DrawStyle {
    bool plain = false;           // nearest sampling only
    std::uint32_t tintColour = 0; // 0x00BBGGRR
    bool tintOn = false;
    int tintAmount = 0;   // 0 keeps the picture, 255 paints the tint colour
    float opacity = 1.0f; // 1 is fully opaque
};

// Draws `src` into `dst` under `srcToDst`, which maps source pixel coordinates to destination pixel
// coordinates (both in stored-row order). Only the three colour bytes of the destination change.
// `blendTable` holds T(v, w) = trunc((w / 255.0) * v) at [w * 256 + v]. A matrix that is singular or
// not finite, a non-finite opacity or an unusable plane draws nothing.
void DrawTransformedPlanes(const SourceLevels& src, const RasterPlane& dst, const Matrix3& srcToDst,
                           const DrawStyle& style, const std::uint8_t* blendTable);

// The canvas entry: builds the source's half-size levels when they are missing, then draws as above
// with the shared blend table.
void DrawTransformed(RasterCanvas& src, RasterCanvas& dst, const Matrix3& srcToDst, bool plain,
                     std::uint32_t tintColour, bool tintOn, int tintAmount, float opacity);
// The same onto a plane: for one, rows of a band laid out as the rows of the taller picture they belong
// to (rows outside the band left null and kept out by a row window), so the band gets exactly the
// whole picture's bytes.
void DrawTransformed(RasterCanvas& src, const RasterPlane& dst, const Matrix3& srcToDst,
                     const DrawStyle& style);

// Draws whose destination box holds at least this many pixels share their rows with a helper thread
// (the bytes are the same either way); smaller ones are over before a second thread could help. Tests
// lower the threshold to check shared draws against the per-pixel rules.
constexpr long long kDefaultBandedDrawThreshold = 32768;
void SetBandedDrawThreshold(long long pixels);
