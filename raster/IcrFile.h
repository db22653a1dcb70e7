#pragma once

#include <cstdint>

class RasterCanvas;
class WString;

// The program's own raster format: a gzip stream holding a small header and the canvas storage.
//
// Raw form:     bits per pixel (1 byte: 24 or 32), width, stride, height (unsigned 32-bit, least
//               significant byte first), then stride x height bytes of storage, bottom row first.
// Indexed form: a 0 byte, bits per pixel (24), width, stride, height, palette count (1..256), the
//               palette (blue, green, red per entry), then height rows of width index bytes.
class IcrFile {
public:
    // Raw pixel data is read in blocks of this many bytes.
    static constexpr unsigned kReadBlock = 102400;

    // False for anything but a complete, consistent file; a stored stride that differs from the one
    // the canvas computes is refused so that no unfilled storage is ever shown.
    static bool Load(RasterCanvas& canvas, const WString& path);
    // Indexed form when the canvas has 3 bytes per pixel and a palette of 1 to 256 entries (each pixel
    // takes the entry of exactly its colour), raw form otherwise.
    static bool Save(const RasterCanvas& canvas, const WString& path);
    // Reduces a 3-byte canvas to at most 256 colours, keeps that palette on the canvas and writes the
    // indexed form. False for other canvases.
    static bool SaveIndexed(RasterCanvas& canvas, const WString& path);
};
