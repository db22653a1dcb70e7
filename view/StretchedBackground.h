#pragma once

#include "platform/CanvasPainter.h"
#include "raster/DcRasterCanvas.h"

#include <cstdint>
#include <vector>

class RasterCanvas;

// The tileset's background picture stretched over the whole frame, kept from one frame to the next:
// a smoothing stretch costs milliseconds every frame, copying the kept result a fraction of one.
//
// It stretches again whenever the frame's size, the stretch mode or any pixel of the picture changed.
// The picture is compared with a copy taken at the last stretch rather than by address, so a reloaded
// tileset whose new picture happens to land at the old address is never mistaken for the old one.
class StretchedBackground {
public:
    // Fills all of target with the picture stretched to target's size, as a platform stretched copy
    // with the given mode would.
    void DrawInto(DcRasterCanvas& target, const RasterCanvas& picture, StretchMode mode);

private:
    bool StillValid(const RasterCanvas& picture, int width, int height, StretchMode mode) const;
    void Remember(const RasterCanvas& picture, StretchMode mode);

    DcRasterCanvas stretched_;
    std::vector<std::uint8_t> pictureCopy_; // the picture's rows as they were at the last stretch
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
    int pictureBytesPerPixel_ = 0;
    StretchMode mode_ = StretchMode::ColorOnColor;
    bool valid_ = false;
};
