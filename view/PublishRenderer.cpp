#include "view/PublishRenderer.h"

#include "document/CGridvellumDoc.h"
#include "raster/DcRasterCanvas.h"
#include "support/Matrix3.h"
#include "support/Rect2.h"
#include "view/Camera.h"
#include "view/FrameComposer.h"
#include "view/SoftwareRenderer.h"

#include <algorithm>
#include <cmath>

namespace {

// Tiles are culled by their boxes, but the rasterizer also paints a pixel whose centre lies within
// half a pixel of a box, and text may overhang its box a little: a band takes every tile whose box
// comes this close, in pixels, so that no tile is left out of a band whose rows it touches.
constexpr double kBandCullReach = 8.0;

Camera PictureCamera(int width, int height, const Matrix3& worldToImage) {
    Camera camera(true);
    camera.Resize(width, height);
    camera.SetViewMatrix(worldToImage);
    return camera;
}

} // namespace

Rect2 PublishRenderer::BandCull(const Camera& band, const Rect2& pictureWorld) {
    const Matrix3& view = band.ViewMatrix();
    const double pixelsPerUnit = std::max(std::hypot(view.m11(), view.m12()), 1e-9);
    const float reach = static_cast<float>(kBandCullReach / pixelsPerUnit);
    const Rect2 visible = band.VisibleWorld();
    return Rect2(std::max(visible.MinX() - reach, pictureWorld.MinX()),
                 std::min(visible.MaxX() + reach, pictureWorld.MaxX()),
                 std::max(visible.MinY() - reach, pictureWorld.MinY()),
                 std::min(visible.MaxY() + reach, pictureWorld.MaxY()));
}

void PublishRenderer::Render(DcRasterCanvas& image, CGridvellumDoc& doc, const Matrix3& worldToImage) {
    if (!image.HasPixels() || image.Width() < 1 || image.Height() < 1) {
        return;
    }
    // A camera over the whole image settles the transform and gives the visible world, exactly as
    // the map view's camera does for its window.
    const Camera camera = PictureCamera(image.Width(), image.Height(), worldToImage);
    SoftwareRenderer renderer(image);
    FrameComposer(renderer, doc).ComposePublish(camera, camera.VisibleWorld(), camera.VisibleWorld());
}

bool PublishRenderer::RenderBands(CGridvellumDoc& doc, int width, int height, const Matrix3& worldToImage,
                                  int bandRows, BandSink& sink) {
    if (width < 1 || height < 1 || bandRows < 1) {
        return false;
    }
    // Settling again after a whole-pixel shift changes nothing, so every band keeps the picture's
    // settled transform.
    const Camera picture = PictureCamera(width, height, worldToImage);
    const Rect2 pictureWorld = picture.VisibleWorld();
    DcRasterCanvas band;
    if (!band.SetBitsPerPixel(24)) {
        return false;
    }
    for (int firstRow = 0; firstRow < height; firstRow += bandRows) {
        const int rows = std::min(bandRows, height - firstRow);
        if (!band.EnsureSize(width, rows)) {
            return false;
        }
        // The band's bottom stored row is picture row height - firstRow - rows counted from the bottom.
        const int bottom = height - firstRow - rows;
        const Camera camera = PictureCamera(
            width, rows, picture.ViewMatrix() * Matrix3::Translation(0.0, -static_cast<double>(bottom)));
        SoftwareRenderer renderer(band);
        // Pictures are placed on the whole picture and laid onto the band's rows of it, so that every
        // band gets the whole picture's bytes.
        renderer.DrawPicturesAsBandOf(height, bottom);
        const Matrix3& pictureView = picture.ViewMatrix();
        FrameComposer(renderer, doc)
            .ComposePublish(camera, pictureWorld, BandCull(camera, pictureWorld), &pictureView);
        if (!sink.TakeBand(band, firstRow)) {
            return false;
        }
    }
    return true;
}
