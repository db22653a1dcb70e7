#include "view/PublishRenderer.h"

#include "document/CGridvellumDoc.h"
#include "raster/DcRasterCanvas.h"
#include "support/Matrix3.h"
#include "view/Camera.h"
#include "view/FrameComposer.h"
#include "view/SoftwareRenderer.h"

#include <algorithm>

namespace {

void RenderWhole(DcRasterCanvas& image, CGridvellumDoc& doc, const Matrix3& settledWorldToImage) {
    Camera camera(true);
    camera.Resize(image.Width(), image.Height());
    camera.SetViewMatrix(settledWorldToImage);
    SoftwareRenderer renderer(image);
    FrameComposer(renderer, doc).ComposePublish(camera);
}

// A camera over the whole picture settles the transform exactly as the map view's camera does for
// its window; settling again after a whole-pixel shift changes nothing, so bands keep it.
Matrix3 Settled(int width, int height, const Matrix3& worldToImage) {
    Camera camera(true);
    camera.Resize(width, height);
    camera.SetViewMatrix(worldToImage);
    return camera.ViewMatrix();
}

} // namespace

void PublishRenderer::Render(DcRasterCanvas& image, CGridvellumDoc& doc, const Matrix3& worldToImage) {
    if (!image.HasPixels() || image.Width() < 1 || image.Height() < 1) {
        return;
    }
    RenderWhole(image, doc, Settled(image.Width(), image.Height(), worldToImage));
}

bool PublishRenderer::RenderBands(CGridvellumDoc& doc, int width, int height, const Matrix3& worldToImage,
                                  int bandRows, BandSink& sink) {
    if (width < 1 || height < 1 || bandRows < 1) {
        return false;
    }
    const Matrix3 settled = Settled(width, height, worldToImage);
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
        const double bottom = height - firstRow - rows;
        RenderWhole(band, doc, settled * Matrix3::Translation(0.0, -bottom));
        if (!sink.TakeBand(band, firstRow)) {
            return false;
        }
    }
    return true;
}
