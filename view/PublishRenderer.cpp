#include "view/PublishRenderer.h"

#include "document/CGridvellumDoc.h"
#include "raster/DcRasterCanvas.h"
#include "support/Rgb8.h"
#include "tileset/TileSet.h"
#include "view/Camera.h"
#include "view/SoftwareFrame.h"

#include <cstdint>

namespace {

std::uint32_t ColorOf(const Rgb8& color) {
    return static_cast<std::uint32_t>(color.r) | (static_cast<std::uint32_t>(color.g) << 8) |
           (static_cast<std::uint32_t>(color.b) << 16);
}

} // namespace

void PublishRenderer::Render(DcRasterCanvas& image, CGridvellumDoc& doc, const Matrix3& worldToImage) {
    if (!image.HasPixels() || image.Width() < 1 || image.Height() < 1) {
        return;
    }
    // A camera over the whole image settles the transform and gives the visible world, exactly as
    // the map view's camera does for its window.
    Camera camera(true);
    camera.Resize(image.Width(), image.Height());
    camera.SetViewMatrix(worldToImage);

    const TileSet& tileSet = doc.Tiles();
    const TileSetSettings& settings = tileSet.Settings();
    image.Fill(ColorOf(settings.backPublishColor));
    CanvasPainter& painter = image.Painter();
    painter.ClearClip();
    painter.SetRasterOp(RasterOp::CopyPen);
    if (settings.publishWithGrid) {
        SoftwareFrame::DrawGrid(image, camera, tileSet.DrawGridSize(), ColorOf(settings.gridColor));
    }
    painter.SetTextBackground(false, 0);
    // The tiles write the pixels directly; what the painter drew must be in memory first.
    painter.Flush();
    doc.DrawTiles(image, camera.ViewMatrix(), camera.VisibleWorld(), false, true);
    painter.Flush();
}
