#pragma once

#include "support/Rgb8.h"
#include "support/Vec2.h"

#include <array>

class Camera;
class FrameOverlays;
class RasterCanvas;
struct ImageItem;
struct TextRun;

// What a frame asks of whoever puts it on pixels. FrameComposer decides what is drawn and in which
// order (background, grid, tiles with their pictures, text and paths, border, overlays, handles);
// a renderer only knows how. The camera gives the target's size and the world-to-view transform.
class FrameRenderer {
public:
    virtual ~FrameRenderer() = default;

    virtual void BeginFrame() = 0;

    // The whole target in one colour, or the background picture stretched over it when given.
    virtual void Background(const Rgb8& color, const RasterCanvas* picture, bool quickDraw) = 0;
    // Lines every drawGridSize world units through the visible area.
    virtual void Grid(const Camera& camera, int drawGridSize, const Rgb8& color) = 0;
    // Before the first tile and after the last one.
    virtual void BeginTiles() = 0;
    virtual void EndTiles() = 0;
    virtual void Image(const ImageItem& item) = 0;
    virtual void Text(const TextRun& run) = 0;
    // The frame of the map view's window.
    virtual void Border(const Camera& camera) = 0;
    virtual void Overlays(const FrameOverlays& overlays, const Camera& camera) = 0;
    // The resize handles of the single selected tile, in world units.
    virtual void Handles(const Camera& camera, const std::array<Vec2, 4>& handleWorldPts) = 0;
    // Everything drawn is in the target once this returns.
    virtual void EndFrame() = 0;
};
