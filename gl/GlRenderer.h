#pragma once

#include "gl/GlErrorReport.h"
#include "view/FrameRenderer.h"

class GlTextureCache;
class TextFont;

// The OpenGL renderer: draws a frame with the current context in the fixed-function pipeline.
// Every vertex is turned into view pixels on the processor (the projection maps view pixels, origin
// bottom-left, y up, onto the viewport), so OpenGL never sees world coordinates. The host sets the
// viewport to the drawing surface and makes the context current around every call; pictures come
// from the texture cache and texts from the glyph cache.
class GlRenderer : public FrameRenderer {
public:
    GlRenderer(GlTextureCache& textures, TextFont& glyphs);

    // The state every frame relies on; run once when the context has been made.
    static void SetInitialState();

    // Errors of the renderer, its textures and its glyphs go to errors ("had error: #(...) ...");
    // drawing goes on.
    void SetErrorSink(GlErrorSink errors);

    double PixelCentreOffset() const override { return kNoPixelCentreOffset; }

    void BeginFrame(const Camera& camera) override;
    void Background(const Rgb8& color, const RasterCanvas* picture, bool quickDraw) override;
    void Grid(const Camera& camera, const Rect2& lineWorld, int drawGridSize, const Rgb8& color) override;
    void BeginTiles() override;
    void EndTiles() override;
    void Image(const ImageItem& item) override;
    void Text(const TextRun& run) override;
    void Border(const Camera& camera) override;
    void Overlays(const FrameOverlays& overlays, const Camera& camera) override;
    void Handles(const Camera& camera, const std::array<Vec2, 4>& handleWorldPts) override;
    void EndFrame() override;

    // The grid lines are left out when more than this many would be needed in either direction.
    static constexpr int kMaxGridLines = 100;
    // Half the diagonal of the diamond that marks the world origin, in pixels.
    static constexpr int kOriginMarkReach = 5;

private:
    void TextBox(const TextRun& run);
    void Band(const FrameOverlays& overlays, const Camera& camera);
    void TextToolBox(const FrameOverlays& overlays, const Camera& camera);
    void Caret(const FrameOverlays& overlays, const Camera& camera);
    void CheckErrors() const;

    GlTextureCache& textures_;
    TextFont& glyphs_;
    GlErrorSink errors_;
    int width_ = 0;
    int height_ = 0;
};
