#pragma once

// Small canvases built in code for the rasterizer tests.

#include "raster/RasterCanvas.h"

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace drawtest {

inline std::unique_ptr<RasterCanvas> MakeCanvas(int width, int height, int bytesPerPixel) {
    auto canvas = std::make_unique<RasterCanvas>();
    canvas->SetBitsPerPixel(bytesPerPixel * 8);
    canvas->Create(width, height);
    return canvas;
}

inline std::uint8_t* PixelAt(RasterCanvas& canvas, int x, int y) {
    return canvas.Rows()[y] + x * canvas.BytesPerPixel();
}

// Every byte random; with alpha, a third of the pixels transparent and a third opaque so that both
// short cuts and real blends are exercised.
inline void FillRandom(RasterCanvas& canvas, std::mt19937& rng) {
    std::uniform_int_distribution<int> byte(0, 255);
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            std::uint8_t* p = PixelAt(canvas, x, y);
            for (int k = 0; k < canvas.BytesPerPixel(); ++k) {
                p[k] = std::uint8_t(byte(rng));
            }
            if (canvas.BytesPerPixel() == 4) {
                int kind = byte(rng) % 3;
                p[3] = kind == 0 ? 0 : kind == 1 ? 255 : p[3];
            }
        }
    }
}

// The colour bytes of every pixel, row by row: what drawing may change.
inline std::vector<std::uint8_t> Snapshot(RasterCanvas& canvas) {
    std::vector<std::uint8_t> bytes;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const std::uint8_t* p = PixelAt(canvas, x, y);
            bytes.insert(bytes.end(), p, p + canvas.BytesPerPixel());
        }
    }
    return bytes;
}

inline void CopyPixels(RasterCanvas& from, RasterCanvas& to) {
    for (int y = 0; y < from.Height(); ++y) {
        for (int x = 0; x < from.Width(); ++x) {
            for (int k = 0; k < from.BytesPerPixel(); ++k) {
                PixelAt(to, x, y)[k] = PixelAt(from, x, y)[k];
            }
        }
    }
}

} // namespace drawtest
