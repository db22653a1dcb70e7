#pragma once

#include <cstdint>

// A block of pixels in canvas layout handed to platform drawing: rows stored bottom-up (the first
// stored row is the bottom row of the picture), each row `stride` (at least width * bytesPerPixel)
// bytes apart. Rows that start on 4-byte boundaries are read in place, others are copied first.
// bytesPerPixel: 1 (an index into `palette`), 3 (blue, green, red) or 4 (blue, green, red, alpha).
struct PixelBlock {
    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    int bytesPerPixel = 0;
    // 256 colours 0x00BBGGRR, required when bytesPerPixel is 1.
    const std::uint32_t* palette = nullptr;
};
