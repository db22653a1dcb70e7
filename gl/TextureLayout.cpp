#include "gl/TextureLayout.h"

#include "raster/RasterCanvas.h"

#include <cstdint>

namespace {

// Only a picture with alpha can hide its edge, and one pixel wide or high has no inside to keep.
bool WholeEdgeTransparent(const RasterCanvas& image) {
    const int width = image.Width();
    const int height = image.Height();
    if (image.BytesPerPixel() != 4 || width <= 1 || height <= 1) {
        return false;
    }
    const std::uint8_t* const* rows = image.Rows();
    auto alpha = [&](int x, int y) { return rows[y][x * 4 + 3]; };
    for (int x = 0; x < width; ++x) {
        if (alpha(x, 0) != 0 || alpha(x, height - 1) != 0) {
            return false;
        }
    }
    for (int y = 0; y < height; ++y) {
        if (alpha(0, y) != 0 || alpha(width - 1, y) != 0) {
            return false;
        }
    }
    return true;
}

} // namespace

int TextureLayout::PowerOfTwoAtLeast(int n) {
    int size = 1;
    while (size < n) {
        size *= 2;
    }
    return size;
}

TextureLayout TextureLayout::For(const RasterCanvas& image) {
    TextureLayout layout;
    const int channels = image.BytesPerPixel();
    if (!image.HasPixels() || (channels != 3 && channels != 4) || image.Width() < 1 || image.Height() < 1) {
        return layout;
    }
    layout.imageWidth = image.Width();
    layout.imageHeight = image.Height();
    layout.channels = channels;
    layout.border = WholeEdgeTransparent(image) ? 0 : kBorder;
    layout.textureWidth = PowerOfTwoAtLeast(layout.imageWidth + 2 * layout.border);
    layout.textureHeight = PowerOfTwoAtLeast(layout.imageHeight + 2 * layout.border);
    const float width = static_cast<float>(layout.textureWidth);
    const float height = static_cast<float>(layout.textureHeight);
    layout.left = static_cast<float>(layout.border) / width;
    layout.right = static_cast<float>(layout.border + layout.imageWidth) / width;
    layout.top = static_cast<float>(layout.border) / height;
    layout.bottom = static_cast<float>(layout.border + layout.imageHeight) / height;
    return layout;
}
