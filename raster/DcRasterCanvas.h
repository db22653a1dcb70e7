#pragma once

#include "platform/CanvasPainter.h"
#include "raster/RasterCanvas.h"

// A canvas that platform drawing (lines, shapes, text, stretched copies) can paint on: once created,
// Painter() draws straight onto its pixels. Tile images, publish targets and the map view's software
// canvas are of this kind. Only 3 and 4 bytes per pixel can be painted on.
class DcRasterCanvas : public RasterCanvas {
public:
    DcRasterCanvas();
    ~DcRasterCanvas() override;

    void Destroy() override;
    bool Create(int width, int height) override;

    // Attached to the pixels from a successful Create until Destroy; drawing on a painter that is not
    // attached does nothing. Flush it before touching the pixels directly.
    CanvasPainter& Painter() { return painter_; }

private:
    CanvasPainter painter_;
};
