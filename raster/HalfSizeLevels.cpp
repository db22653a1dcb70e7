#include "raster/HalfSizeLevels.h"

#include <cstring>

namespace {
const RasterLevel kAbsentLevel{};

bool LevelExists(int width, int height, int k) {
    return width >= (1 << k) && height >= (1 << k);
}
} // namespace

std::size_t HalfSizeLevels::StorageSize(int width, int height, int bytesPerPixel) {
    if (width <= 0 || height <= 0 || bytesPerPixel <= 0) {
        return 0;
    }
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(bytesPerPixel) *
           static_cast<std::size_t>(height);
}

bool HalfSizeLevels::Allocate(int width, int height, int bytesPerPixel) {
    Release();
    if (width <= 0 || height <= 0 || (bytesPerPixel != 3 && bytesPerPixel != 4)) {
        return false;
    }
    std::size_t blockBytes = 0;
    std::size_t rowCount = 0;
    for (int k = 1; k <= kCount && LevelExists(width, height, k); ++k) {
        const int levelHeight = height >> k;
        blockBytes += StorageSize((width >> k) + 1, levelHeight + 1, bytesPerPixel);
        rowCount += static_cast<std::size_t>(levelHeight) + 1;
    }
    block_.assign(blockBytes, 0);
    rowPointers_.assign(rowCount, nullptr);

    std::uint8_t* levelData = block_.data();
    std::uint8_t** levelRows = rowPointers_.data();
    for (int k = 1; k <= kCount && LevelExists(width, height, k); ++k) {
        RasterLevel& level = levels_[k];
        level.width = width >> k;
        level.height = height >> k;
        // One extra column and one extra row; the stride is the packed size divided by the rows.
        level.stride = static_cast<int>(StorageSize(level.width + 1, level.height + 1, bytesPerPixel) /
                                        static_cast<std::size_t>(level.height + 1));
        level.data = levelData;
        for (int row = 0; row <= level.height; ++row) {
            levelRows[row] = levelData + static_cast<std::size_t>(row) * level.stride;
        }
        level.rows = levelRows;
        levelData += static_cast<std::size_t>(level.stride) * (level.height + 1);
        levelRows += level.height + 1;
    }
    bytesPerPixel_ = bytesPerPixel;
    allocated_ = true;
    return true;
}

void HalfSizeLevels::Release() {
    block_.clear();
    block_.shrink_to_fit();
    rowPointers_.clear();
    rowPointers_.shrink_to_fit();
    for (RasterLevel& level : levels_) {
        level = RasterLevel{};
    }
    bytesPerPixel_ = 0;
    allocated_ = false;
}

void HalfSizeLevels::Compute(const std::uint8_t* const* imageRows) {
    if (!allocated_ || imageRows == nullptr) {
        return;
    }
    const std::uint8_t* const* sourceRows = imageRows;
    for (int k = 1; k <= kCount && levels_[k].Exists(); ++k) {
        const RasterLevel& level = levels_[k];
        HalveRows(sourceRows, level.rows, level.width, level.height, bytesPerPixel_);
        sourceRows = level.rows;
    }
}

const RasterLevel& HalfSizeLevels::Level(int k) const {
    if (k < 1 || k > kCount) {
        return kAbsentLevel;
    }
    return levels_[k];
}

int HalfSizeLevels::DeepestLevel() const {
    int deepest = 0;
    for (int k = 1; k <= kCount && levels_[k].Exists(); ++k) {
        deepest = k;
    }
    return deepest;
}

namespace {
// One halved row; the pixel size is a constant so the channel loop unrolls.
template <int Bpp>
void HalveRow(const std::uint8_t* lower, const std::uint8_t* upper, std::uint8_t* dest, int width) {
    for (int x = 0; x < width; ++x, lower += 2 * Bpp, upper += 2 * Bpp, dest += Bpp) {
        for (int c = 0; c < Bpp; ++c) {
            const int sum = lower[c] + lower[Bpp + c] + upper[c] + upper[Bpp + c];
            dest[c] = static_cast<std::uint8_t>(sum >> 2);
        }
    }
}
} // namespace

void HalfSizeLevels::HalveRows(const std::uint8_t* const* sourceRows, std::uint8_t* const* destRows,
                               int width, int rows, int bytesPerPixel) {
    if (width <= 0 || rows <= 0 || (bytesPerPixel != 3 && bytesPerPixel != 4)) {
        return;
    }
    const int rowBytes = width * bytesPerPixel;
    for (int y = 0; y < rows; ++y) {
        std::uint8_t* dest = destRows[y];
        if (bytesPerPixel == 4) {
            HalveRow<4>(sourceRows[2 * y], sourceRows[2 * y + 1], dest, width);
        } else {
            HalveRow<3>(sourceRows[2 * y], sourceRows[2 * y + 1], dest, width);
        }
        // The extra column repeats the last pixel.
        std::memcpy(dest + rowBytes, dest + rowBytes - bytesPerPixel,
                    static_cast<std::size_t>(bytesPerPixel));
    }
    // The extra row repeats the last row, extra column included.
    std::memcpy(destRows[rows], destRows[rows - 1], static_cast<std::size_t>(rowBytes + bytesPerPixel));
}
