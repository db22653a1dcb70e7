#pragma once

#include "view/FrameRenderer.h"

#include <cstdint>
#include <vector>

class CanvasPainter;
class DcRasterCanvas;
class StretchedBackground;

// The program's own renderer: a frame drawn into a raster canvas (the map view's screen-sized canvas,
// a published picture or one band of it) with the textured-polygon rasterizer for pictures and the
// platform painter for lines, shapes and text.
class SoftwareRenderer : public FrameRenderer {
public:
    // background keeps the stretched background picture between frames; without it a frame shows the
    // background colour only.
    explicit SoftwareRenderer(DcRasterCanvas& target, StretchedBackground* background = nullptr);

    void BeginFrame(const Camera& camera) override;
    void Background(const Rgb8& color, const RasterCanvas* picture, bool quickDraw) override;
    void Grid(const Camera& camera, const Rect2& lineWorld, int drawGridSize, const Rgb8& color) override;
    void BeginTiles() override;
    void EndTiles() override {}
    void Image(const ImageItem& item) override;
    // Long runs are drawn by two threads at once, each laying every picture into its own half of the
    // rows: the bytes are those of drawing them in turn.
    void Images(const std::vector<ImageItem>& items) override;
    void Text(const TextRun& run) override;
    void Border(const Camera& camera) override;
    void Overlays(const FrameOverlays& overlays, const Camera& camera) override;
    void Handles(const Camera& camera, const std::array<Vec2, 4>& handleWorldPts) override;
    void EndFrame() override;

    // For one band of a taller picture: pictures then come with matrices onto the whole picture, which
    // is pictureHeight rows high, and are laid onto its rows rowsBelow .. rowsBelow + band height - 1,
    // the target's rows. The band gets exactly the bytes those rows have in the whole picture, where a
    // matrix moved onto the band would round differently.
    void DrawPicturesAsBandOf(int pictureHeight, int rowsBelow);

    // Lines every drawGridSize world units through lineWorld, one pixel wide, in client pixels, cut to
    // the camera's client area, written straight into target's pixels (hundreds of thin lines a frame
    // would cost the platform painter more than drawing the tiles). No lines for a size of 0 or less.
    static void DrawGrid(RasterCanvas& target, const Camera& camera, const Rect2& lineWorld, int drawGridSize,
                         std::uint32_t color);

private:
    DcRasterCanvas& target_;
    StretchedBackground* background_;
    // Band drawing: the whole picture's row addresses, null outside the band.
    std::vector<std::uint8_t*> pictureRows_;
    int rowsBelow_ = 0;
};
