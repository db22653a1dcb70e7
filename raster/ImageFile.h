#pragma once

#include "raster/RasterSurface.h"

#include <cstddef>
#include <cstdint>

class RasterCanvas;
class WString;

// Bounds every reader checks before it allocates: a hostile header must not reserve gigabytes.
constexpr int kMaxImageSide = RasterSurface::kMaxSide;
constexpr std::size_t kMaxImageBytes = static_cast<std::size_t>(RasterSurface::kMaxStorageBytes);

// True when a canvas of this size fits the bounds above (rows padded to a multiple of 4 bytes).
bool ImageSizeAllowed(long long width, long long height, int bytesPerPixel);

// Deflate expands at most 1032 times, so a file of `fileBytes` cannot hold more pixel data than this
// allows. Readers refuse such headers before they allocate: the file is truncated or lying.
bool CompressedDataCanHold(std::size_t fileBytes, std::uint64_t neededBytes);

// Bytes of the stored file (memory files included); 0 when it cannot be read.
std::size_t StoredFileSize(const WString& path);

// Loads an image file into the canvas, choosing the reader by extension without regard to case:
// ".icr" (own format), ".png", anything else JPEG. The canvas takes the depth of the file (32 bits
// exactly when it carries alpha), and its half-size levels are rebuilt on success. On failure reason,
// when given, says why: the system's text or the image library's ("Not a PNG file").
bool LoadImageFile(RasterCanvas& canvas, const WString& path, WString* reason = nullptr);

// Writes the canvas as JPEG; quality is clamped to 0..100. A failed save stores nothing, so a file
// already at the path stays as it was, and reason, when given, says why ("No space left on device").
bool SaveJpegFile(const RasterCanvas& canvas, const WString& path, int quality, WString* reason = nullptr);

// Writes the canvas as PNG: 8-bit RGB, or RGBA for a 32-bit canvas, with its resolution. Stored whole
// or not at all, like the JPEG writer.
bool SavePngFile(const RasterCanvas& canvas, const WString& path, WString* reason = nullptr);
