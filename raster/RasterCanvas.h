#pragma once

#include "raster/PlatformDrawCache.h"
#include "raster/RasterSurface.h"

#include <cstdint>
#include <memory>
#include <span>
#include <utility>

class CanvasPainter;
class Matrix3;
class WString;

// The program's in-memory true-colour image: tile images, the software renderer's target, publish
// targets. A new canvas has 24 bits (3 bytes) per pixel and no pixels.
//
// Coordinates: ClearRect takes top-down picture coordinates (y = 0 is the top row); AlphaAt, position
// of address and drawing transformed use stored-row coordinates (y = 0 is the bottom row).
// Colours passed as one value are 0x00BBGGRR (red in the low byte).
class RasterCanvas : public RasterSurface {
public:
    static constexpr int kMaxPaletteEntries = 256;

    RasterCanvas();
    ~RasterCanvas() override;

    void Destroy() override;
    bool Create(int width, int height) override;

    // Every byte of the storage (alpha and row ends too) becomes the grey when red, green and blue are
    // equal; otherwise the three colour bytes of every pixel are set and alpha becomes 255 (callers
    // that need another alpha set it themselves).
    void Fill(std::uint32_t color);
    // Zeroes every byte of the pixels left .. right - 1, top .. bottom - 1 (top-down, clipped to the
    // image).
    void ClearRect(int left, int top, int right, int bottom);
    // Paints the pixels left .. right - 1, top .. bottom - 1 (top-down, clipped to the image) in color,
    // alpha 255 on 4-byte pixels: the bytes platform drawing leaves for an opaque filled rectangle,
    // written without its per-call setup (the map's grid is hundreds of such lines each frame).
    void FillRect(int left, int top, int right, int bottom, std::uint32_t color);
    // FillRect of columns[k].first .. columns[k].second - 1 from top to bottom - 1 for every k, row by
    // row, so that many thin columns (the grid's vertical lines) touch each row's memory once.
    void FillColumns(std::span<const std::pair<int, int>> columns, int top, int bottom, std::uint32_t color);
    // Each pixel's colour bytes become (blue + green + red) / 3; alpha is kept.
    void ToGrey();
    // Black (0) when the picture is dark on average, else white (0x00FFFFFF): the colour that reads
    // best on top of it. Black for an empty canvas.
    std::uint32_t ToneColor() const;
    // Gives every transparent pixel (alpha 0, 4 bytes per pixel only) the average colour of the nearest
    // opaque pixels along the eight compass directions, so that smoothing at transparent edges does not
    // pull in black. Alpha stays 0.
    void BleedColorIntoTransparent();
    // Alpha of stored-row pixel (x, y); 0 outside the image or without an alpha byte.
    int AlphaAt(int x, int y) const;
    // Makes this canvas a 32-bit copy of a 24-bit canvas of the same size, alpha 255. False when the
    // sizes differ, the source is not 24-bit or this canvas is not 32-bit.
    bool CopyFrom24(const RasterCanvas& source);

    // destination = T(source, sourceWeight) + T(destination, destWeight) for the three colour bytes,
    // T being the blend table.
    static void BlendPixel(std::uint8_t* destination, const std::uint8_t* source, int sourceWeight,
                           int destWeight);

    // Palette of up to 256 entries, 3 bytes each (blue, green, red). `bytesPerEntry` (3 or 4) is the
    // spacing of the given entries. Ignored for more than 256 entries and on canvases that do not have
    // 3 bytes per pixel; a count of 0 removes the palette.
    void SetPalette(const std::uint8_t* entries, int count, int bytesPerEntry);
    const std::uint8_t* Palette() const { return paletteCount_ > 0 ? palette_ : nullptr; }
    int PaletteCount() const { return paletteCount_; }

    // Draws this canvas into `destination` under `matrix` (source stored-row pixels to destination
    // stored-row pixels), with smoothing unless plain, a tint toward tintColor by tintAmount (0..255)
    // when tintOn, and overall opacity (1 = opaque).
    void DrawTransformed(RasterCanvas& destination, const Matrix3& matrix, bool plain,
                         std::uint32_t tintColor, bool tintOn, int tintAmount, float opacity);
    // The same through platform drawing on `painter`, with the destination origin in its pixels.
    void DrawTransformedPlatform(CanvasPainter& painter, int originX, int originY, const Matrix3& matrix,
                                 bool grey, float opacity);
    // What platform drawing prepared for this canvas; dropped with the storage.
    PlatformDrawCache* PlatformCache() const { return platformCache_.get(); }
    void SetPlatformCache(std::unique_ptr<PlatformDrawCache> cache) { platformCache_ = std::move(cache); }

    // Image files.
    static const char16_t* DefaultFileExtension() { return u".icr"; }
    bool Load(const WString& path);
    bool SaveOwnFormat(const WString& path);
    bool SaveJpeg(const WString& path, int quality);
    bool SaveIndexed(const WString& path);

    // A canvas with this flag is smoothed even when drawn plain.
    bool AlwaysSmooth() const { return alwaysSmooth_; }
    void SetAlwaysSmooth(bool on) { alwaysSmooth_ = on; }

private:
    bool HasUsablePixels() const;

    std::uint8_t palette_[kMaxPaletteEntries * 3] = {};
    int paletteCount_ = 0;
    bool alwaysSmooth_ = false;
    std::unique_ptr<PlatformDrawCache> platformCache_;
};
