#include "raster/RasterSurface.h"

#include "platform/ScreenMetrics.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

namespace {
const RasterLevel kAbsentLevel{};

// Pixels per metre as the bitmap header states resolution.
std::int32_t PixelsPerMetre(int dpi) {
    return static_cast<std::int32_t>(dpi * 39.37007874015748 + 0.5);
}

std::uint8_t ReverseBits(std::uint8_t b) {
    b = static_cast<std::uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = static_cast<std::uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
    b = static_cast<std::uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
    return b;
}
} // namespace

RasterSurface::RasterSurface() : dpi_(ScreenDotsPerInch()) {}

RasterSurface::~RasterSurface() = default;

int RasterSurface::StrideFor(int width, int bitsPerPixel) {
    const std::int64_t rowBytes = bitsPerPixel == 1 ? (static_cast<std::int64_t>(width) + 7) / 8
                                                    : static_cast<std::int64_t>(width) * (bitsPerPixel / 8);
    return static_cast<int>(((rowBytes * 8 + 31) / 32) * 4);
}

void RasterSurface::Destroy() {
    ReleaseLevels();
    pixels_.reset();
    rows_.clear();
    rows_.shrink_to_fit();
    width_ = 0;
    height_ = 0;
    stride_ = 0;
    totalSize_ = 0;
    nextRow_ = -1;
    level0_ = RasterLevel{};
    FillHeader();
}

bool RasterSurface::Create(int width, int height) {
    nextRow_ = height - 1;
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
        return false;
    }
    if (pixels_ && width == width_ && height == height_) {
        return false;
    }
    ReleaseLevels();

    const int stride = StrideFor(width, bitsPerPixel_);
    const std::int64_t size = static_cast<std::int64_t>(stride) * height;
    if (size > kMaxStorageBytes) {
        return false;
    }
    std::unique_ptr<std::uint8_t[]> pixels;
    std::vector<std::uint8_t*> rows;
    try {
        pixels = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(size)); // zeroed
        rows.resize(static_cast<std::size_t>(height));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int row = 0; row < height; ++row) {
        rows[static_cast<std::size_t>(row)] = pixels.get() + static_cast<std::size_t>(row) * stride;
    }
    pixels_ = std::move(pixels);
    rows_ = std::move(rows);
    width_ = width;
    height_ = height;
    totalSize_ = static_cast<std::size_t>(size);
    stride_ = static_cast<int>(totalSize_ / static_cast<std::size_t>(height));
    level0_.width = width;
    level0_.height = height;
    level0_.stride = stride_;
    level0_.rows = rows_.data();
    level0_.data = pixels_.get();
    FillHeader();
    return true;
}

bool RasterSurface::EnsureSize(int width, int height) {
    if (Create(width, height)) {
        return true;
    }
    return pixels_ && width == width_ && height == height_;
}

bool RasterSurface::SetBitsPerPixel(int bitsPerPixel) {
    if (bitsPerPixel != 1 && bitsPerPixel != 24 && bitsPerPixel != 32) {
        return false;
    }
    if (bitsPerPixel != bitsPerPixel_) {
        // The old storage has the wrong layout for the new depth; it must not survive a same-size Create.
        Destroy();
        bitsPerPixel_ = bitsPerPixel;
        bytesPerPixel_ = bitsPerPixel == 1 ? 1 : bitsPerPixel / 8;
        FillHeader();
    }
    return true;
}

void RasterSurface::FillHeader() {
    header_ = BitmapHeader{};
    header_.width = width_;
    header_.height = height_;
    header_.bitsPerPixel = static_cast<std::uint16_t>(bitsPerPixel_);
    header_.imageSize = static_cast<std::uint32_t>(totalSize_);
    header_.xPixelsPerMetre = PixelsPerMetre(dpi_);
    header_.yPixelsPerMetre = header_.xPixelsPerMetre;
}

void RasterSurface::SetResolution(int dpi) {
    dpi_ = dpi;
    FillHeader();
}

PixelBlock RasterSurface::AsPixelBlock() const {
    PixelBlock block;
    block.pixels = pixels_.get();
    block.width = width_;
    block.height = height_;
    block.stride = stride_;
    block.bytesPerPixel = bytesPerPixel_;
    return block;
}

bool RasterSurface::SetPixels(const std::uint8_t* source, int sourceRowBytes, int bytesPerPixel) {
    if (!pixels_ || source == nullptr || sourceRowBytes < 0 || sourceRowBytes > stride_ ||
        bytesPerPixel != bytesPerPixel_) {
        return false;
    }
    for (int row = 0; row < height_; ++row) {
        std::memcpy(rows_[static_cast<std::size_t>(row)],
                    source + static_cast<std::size_t>(row) * sourceRowBytes,
                    static_cast<std::size_t>(sourceRowBytes));
    }
    return true;
}

int RasterSurface::WriteNextRow(const std::uint8_t* source, int bytes, bool convert, bool invert) {
    if (!pixels_ || source == nullptr || nextRow_ < 0 || nextRow_ >= height_) {
        return nextRow_;
    }
    std::uint8_t* row = rows_[static_cast<std::size_t>(nextRow_)];
    const int count = std::clamp(bytes, 0, stride_);
    if (!convert) {
        std::memcpy(row, source, static_cast<std::size_t>(count));
    } else if (bitsPerPixel_ == 1) {
        for (int i = 0; i < count; ++i) {
            const std::uint8_t b = ReverseBits(source[i]);
            row[i] = invert ? static_cast<std::uint8_t>(~b) : b;
        }
    } else {
        const int pixelBytes = bytesPerPixel_;
        const int pixels = count / pixelBytes;
        for (int x = 0; x < pixels; ++x) {
            const std::uint8_t* in = source + x * pixelBytes;
            std::uint8_t* out = row + x * pixelBytes;
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            if (pixelBytes == 4) {
                out[3] = in[3];
            }
        }
    }
    return --nextRow_;
}

bool RasterSurface::PositionOfAddress(const std::uint8_t* address, int& x, int& y) const {
    const std::uint8_t* base = pixels_.get();
    if (base == nullptr || stride_ <= 0 || address < base || address >= base + totalSize_) {
        return false;
    }
    const std::size_t offset = static_cast<std::size_t>(address - base);
    y = static_cast<int>(offset / static_cast<std::size_t>(stride_));
    x = static_cast<int>((offset % static_cast<std::size_t>(stride_)) /
                         static_cast<std::size_t>(bytesPerPixel_));
    return true;
}

void RasterSurface::ReleaseLevels() {
    levelsReady_.store(false, std::memory_order_release);
    levels_.Release();
    levelsBuilt_ = false;
}

bool RasterSurface::BuildLevels() {
    if (!pixels_ || (bytesPerPixel_ != 3 && bytesPerPixel_ != 4)) {
        return false;
    }
    if (!levelsBuilt_) {
        try {
            if (!levels_.Allocate(width_, height_, bytesPerPixel_)) {
                return false;
            }
        } catch (const std::bad_alloc&) {
            levels_.Release();
            return false;
        }
        levelsBuilt_ = true;
    }
    levels_.Compute(rows_.data());
    levelsReady_.store(true, std::memory_order_release);
    return true;
}

bool RasterSurface::EnsureLevels() {
    if (LevelsReady()) {
        return true;
    }
    static std::mutex building;
    const std::lock_guard<std::mutex> lock(building);
    return LevelsReady() || BuildLevels();
}

const RasterLevel& RasterSurface::Level(int k) const {
    if (k == 0) {
        return level0_;
    }
    if (!levelsBuilt_) {
        return kAbsentLevel;
    }
    return levels_.Level(k);
}

std::size_t RasterSurface::StorageSize(int width, int height) const {
    return HalfSizeLevels::StorageSize(width, height, bytesPerPixel_);
}
