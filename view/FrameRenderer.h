#pragma once

#include "support/Rgb8.h"
#include "support/Vec2.h"
#include "view/FrameItems.h"

#include <array>
#include <vector>

class Camera;
class FrameOverlays;
class RasterCanvas;
class Rect2;

// What a frame asks of whoever puts it on pixels. FrameComposer decides what is drawn and in which
// order (background, grid, tiles with their pictures, text and paths, border, overlays, handles);
// a renderer only knows how. The camera gives the target's size and the world-to-view transform.
class FrameRenderer {
public:
    // Where the renderer samples a pixel, in pixels from whole view coordinates: the software
    // rasterizer's pixel centres sit on whole numbers and the camera moves the map half a pixel for
    // it, OpenGL samples at the middle between them and needs no such move.
    static constexpr double kSoftwarePixelCentreOffset = 0.5;
    static constexpr double kNoPixelCentreOffset = 0.0;

    virtual ~FrameRenderer() = default;

    // The offset Camera::SettleView keeps the 100 % translation at, so tile edges fall between pixels.
    virtual double PixelCentreOffset() const { return kSoftwarePixelCentreOffset; }

    // The camera gives the frame's size in view pixels.
    virtual void BeginFrame(const Camera& camera) = 0;

    // The whole target in one colour, or the background picture stretched over it when given.
    virtual void Background(const Rgb8& color, const RasterCanvas* picture, bool quickDraw) = 0;
    // Lines every drawGridSize world units through lineWorld (the visible area, or for one band of a
    // picture the whole picture's area, so every band picks the lines the whole picture shows).
    virtual void Grid(const Camera& camera, const Rect2& lineWorld, int drawGridSize, const Rgb8& color) = 0;
    // Before the first tile and after the last one.
    virtual void BeginTiles() = 0;
    virtual void EndTiles() = 0;
    virtual void Image(const ImageItem& item) = 0;
    // A run of pictures in drawing order. The result must be that of Image for each in turn; a
    // renderer may share the work out (the software one gives each thread its own rows).
    virtual void Images(const std::vector<ImageItem>& items) {
        for (const ImageItem& item : items) {
            Image(item);
        }
    }
    virtual void Text(const TextRun& run) = 0;
    // The frame of the map view's window.
    virtual void Border(const Camera& camera) = 0;
    virtual void Overlays(const FrameOverlays& overlays, const Camera& camera) = 0;
    // The resize handles of the single selected tile, in world units.
    virtual void Handles(const Camera& camera, const std::array<Vec2, 4>& handleWorldPts) = 0;
    // Everything drawn is in the target once this returns.
    virtual void EndFrame() = 0;
};
