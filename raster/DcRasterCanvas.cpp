#include "raster/DcRasterCanvas.h"

DcRasterCanvas::DcRasterCanvas() {
    SetMemoryOnly(false);
}

DcRasterCanvas::~DcRasterCanvas() {
    // The painter must let go of the pixels before the base class frees them.
    painter_.Detach();
}

void DcRasterCanvas::Destroy() {
    painter_.Detach();
    RasterCanvas::Destroy();
}

bool DcRasterCanvas::Create(int width, int height) {
    const bool sameSize = HasPixels() && width == Width() && height == Height();
    if (!sameSize) {
        // The storage is about to move; the painter must not keep pointing at the old block.
        painter_.Detach();
    }
    if (!RasterCanvas::Create(width, height)) {
        // A refused size leaves the old storage in place; keep painting on it.
        if (HasPixels() && !painter_.IsAttached() && (BytesPerPixel() == 3 || BytesPerPixel() == 4)) {
            painter_.Attach(Pixels(), Width(), Height(), Stride(), BytesPerPixel());
        }
        return false;
    }
    if (BytesPerPixel() == 3 || BytesPerPixel() == 4) {
        painter_.Attach(Pixels(), Width(), Height(), Stride(), BytesPerPixel());
    }
    return true;
}
