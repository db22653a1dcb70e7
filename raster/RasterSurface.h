#pragma once

#include "platform/PixelBlock.h"
#include "raster/HalfSizeLevels.h"

#include <atomic>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// How the storage describes itself to platform code: a 40-byte bitmap header followed by two palette
// entries, white then black (used by 1-bit images).
struct BitmapHeader {
    std::uint32_t headerSize = 40;
    std::int32_t width = 0;
    std::int32_t height = 0; // positive: rows are stored bottom-up
    std::uint16_t planes = 1;
    std::uint16_t bitsPerPixel = 0;
    std::uint32_t compression = 0; // none
    std::uint32_t imageSize = 0;
    std::int32_t xPixelsPerMetre = 0;
    std::int32_t yPixelsPerMetre = 0;
    std::uint32_t paletteUsed = 0;
    std::uint32_t paletteImportant = 0;
    std::uint32_t palette[2] = {0x00FFFFFF, 0x00000000};
};

// The pixel storage of a raster image and the chain of half-size copies sampled for minification.
//
// Layout: bytes blue, green, red (and alpha with 4 bytes per pixel); rows are stored bottom-up, the
// first stored row being the bottom row of the picture; each row takes the stride, its byte count
// rounded up to a multiple of 4. Storage is zeroed when created.
//
// Create and Destroy are the only virtual operations: a canvas with platform drawing attaches and
// detaches its painter there. Everything else that changes the storage goes through them.
class RasterSurface {
public:
    static constexpr int kMaxSide = 32768;                      // pixels, either direction
    static constexpr std::int64_t kMaxStorageBytes = 1LL << 30; // one image may not take more

    virtual ~RasterSurface();
    RasterSurface(const RasterSurface&) = delete;
    RasterSurface& operator=(const RasterSurface&) = delete;

    // Frees the pixels and the half-size levels; the bits per pixel stay.
    virtual void Destroy();
    // Makes storage for width x height pixels at the current bits per pixel and sets the next row to
    // height - 1. False for sizes below 1 or above the limits, when memory runs out, and when storage
    // of exactly this size exists already (its pixels are then kept as they are).
    virtual bool Create(int width, int height);
    // True when storage of this size exists afterwards, new or kept.
    bool EnsureSize(int width, int height);

    // 1 (monochrome rows, storage and row writer only), 24 or 32. A change drops the storage so that
    // the next Create allocates anew. False for other values.
    bool SetBitsPerPixel(int bitsPerPixel);
    int BitsPerPixel() const { return bitsPerPixel_; }
    int BytesPerPixel() const { return bytesPerPixel_; }

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Stride() const { return stride_; }
    std::size_t TotalSize() const { return totalSize_; }
    bool HasPixels() const { return pixels_ != nullptr; }
    std::uint8_t* Pixels() { return pixels_.get(); }
    const std::uint8_t* Pixels() const { return pixels_.get(); }
    // Height pointers in stored-row order: Rows()[0] is the bottom row of the picture. Null when empty.
    std::uint8_t* const* Rows() { return rows_.empty() ? nullptr : rows_.data(); }
    const std::uint8_t* const* Rows() const { return rows_.empty() ? nullptr : rows_.data(); }
    // The storage as platform drawing reads it.
    PixelBlock AsPixelBlock() const;
    const BitmapHeader& Header() const { return header_; }
    // The pixels are always plain memory here; false tells that platform drawing shares that memory.
    bool IsMemoryOnly() const { return memoryOnly_; }

    int Resolution() const { return dpi_; } // dots per inch
    void SetResolution(int dpi);

    // Copies Height() packed rows of sourceRowBytes each, in stored order. False without pixels, when
    // the rows are wider than the stride or the bytes per pixel differ.
    bool SetPixels(const std::uint8_t* source, int sourceRowBytes, int bytesPerPixel);
    // Decoders deliver the top row first: writes row NextRow() (nothing when outside the image) and
    // moves the next row one down. At most one stored row of bytes is taken. With convert, 1-bit rows
    // have the bit order of each byte reversed (and inverted with invert); colour rows arrive red,
    // green, blue(, alpha) and are stored blue, green, red(, alpha). Returns the new next row.
    int WriteNextRow(const std::uint8_t* source, int bytes, bool convert, bool invert);
    int NextRow() const { return nextRow_; }

    // Stored-row coordinates of the pixel holding `address`. False when it is not inside the storage.
    bool PositionOfAddress(const std::uint8_t* address, int& x, int& y) const;

    // Half-size levels. Level(0) is the image itself; Level(k), k = 1 .. 7, exists only when the image
    // is at least 2^k pixels wide and high, and only once BuildLevels has run.
    bool LevelsMissing() const { return !levelsBuilt_; }
    // True once BuildLevels has filled every level; safe to ask while another thread builds them.
    bool LevelsReady() const { return levelsReady_.load(std::memory_order_acquire); }
    // BuildLevels for drawing shared between threads: the first caller builds the levels while the
    // others wait for it, so no thread reads a level half computed.
    bool EnsureLevels();
    // Lays out the levels when missing, then recomputes them all from the current pixels (call again
    // after the pixels change). False for images that are not 3 or 4 bytes per pixel.
    bool BuildLevels();
    const RasterLevel& Level(int k) const;
    int DeepestLevel() const { return levelsBuilt_ ? levels_.DeepestLevel() : 0; }
    // Bytes of a packed width x height block at this canvas's bytes per pixel (no row alignment).
    std::size_t StorageSize(int width, int height) const;

protected:
    RasterSurface();
    // For derived classes whose pixels platform drawing paints on.
    void SetMemoryOnly(bool memoryOnly) { memoryOnly_ = memoryOnly; }
    // Stride for a row of this width at this bit depth.
    static int StrideFor(int width, int bitsPerPixel);

private:
    void ReleaseLevels();
    void FillHeader();

    int bitsPerPixel_ = 24;
    int bytesPerPixel_ = 3;
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    std::size_t totalSize_ = 0;
    std::unique_ptr<std::uint8_t[]> pixels_;
    std::vector<std::uint8_t*> rows_;
    int nextRow_ = -1;
    int dpi_ = 96;
    BitmapHeader header_;
    RasterLevel level0_;
    HalfSizeLevels levels_;
    bool levelsBuilt_ = false;
    std::atomic<bool> levelsReady_{false};
    bool memoryOnly_ = true;
};
