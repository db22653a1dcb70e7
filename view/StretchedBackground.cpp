#include "view/StretchedBackground.h"

#include "raster/RasterCanvas.h"

#include <cstring>

namespace {

std::size_t RowBytes(const RasterCanvas& canvas) {
    return static_cast<std::size_t>(canvas.Width()) * canvas.BytesPerPixel();
}

void Stretch(DcRasterCanvas& target, const RasterCanvas& picture, StretchMode mode) {
    target.Painter().StretchBlit(0, 0, target.Width(), target.Height(), picture.AsPixelBlock(), 0, 0,
                                 picture.Width(), picture.Height(), BlitOp::Copy, mode);
}

} // namespace

void StretchedBackground::DrawInto(DcRasterCanvas& target, const RasterCanvas& picture, StretchMode mode) {
    const int width = target.Width();
    const int height = target.Height();
    if (!StillValid(picture, width, height, mode)) {
        valid_ = false;
        if (!stretched_.SetBitsPerPixel(target.BitsPerPixel()) || !stretched_.EnsureSize(width, height)) {
            Stretch(target, picture, mode); // no room to keep it: stretch straight onto the frame
            return;
        }
        Stretch(stretched_, picture, mode);
        stretched_.Painter().Flush();
        Remember(picture, mode);
    }
    // The copy writes the frame's memory directly, so nothing the painter holds may land on it later.
    target.Painter().Flush();
    const std::size_t rowBytes = RowBytes(stretched_);
    for (int y = 0; y < height; ++y) {
        std::memcpy(target.Rows()[y], stretched_.Rows()[y], rowBytes);
    }
}

bool StretchedBackground::StillValid(const RasterCanvas& picture, int width, int height,
                                     StretchMode mode) const {
    if (!valid_ || mode != mode_ || width != stretched_.Width() || height != stretched_.Height() ||
        picture.Width() != pictureWidth_ || picture.Height() != pictureHeight_ ||
        picture.BytesPerPixel() != pictureBytesPerPixel_) {
        return false;
    }
    const std::size_t rowBytes = RowBytes(picture);
    for (int y = 0; y < picture.Height(); ++y) {
        if (std::memcmp(picture.Rows()[y], pictureCopy_.data() + y * rowBytes, rowBytes) != 0) {
            return false;
        }
    }
    return true;
}

void StretchedBackground::Remember(const RasterCanvas& picture, StretchMode mode) {
    const std::size_t rowBytes = RowBytes(picture);
    pictureCopy_.resize(rowBytes * picture.Height());
    for (int y = 0; y < picture.Height(); ++y) {
        std::memcpy(pictureCopy_.data() + y * rowBytes, picture.Rows()[y], rowBytes);
    }
    pictureWidth_ = picture.Width();
    pictureHeight_ = picture.Height();
    pictureBytesPerPixel_ = picture.BytesPerPixel();
    mode_ = mode;
    valid_ = true;
}
