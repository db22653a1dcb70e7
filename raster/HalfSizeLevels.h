#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One level of the minification chain. Level 0 is the image itself (its rows are 4-byte aligned, there
// is no extra row or column). Level k >= 1 is 2^k times smaller and carries one extra column and one
// extra row that repeat its last column and row, so 2 x 2 sampling never needs an edge test.
struct RasterLevel {
    int width = 0;  // pixels, without the extra column
    int height = 0; // rows, without the extra row
    int stride = 0; // bytes from one stored row to the next
    // Stored-row order (row 0 is the bottom of the picture). Level 0: height entries; level k:
    // height + 1 entries, the last being the extra row. Null when the level does not exist.
    std::uint8_t* const* rows = nullptr;
    std::uint8_t* data = nullptr; // first byte of the level
    bool Exists() const { return rows != nullptr; }
};

// The seven half-size copies of an image, all in one zeroed block in order k = 1 .. 7. Level k exists
// only when the image is at least 2^k pixels wide and high.
class HalfSizeLevels {
public:
    static constexpr int kCount = 7;

    // Lays out the levels for an image of this size (block and row arrays), zeroed. Returns false when
    // bytes per pixel is not 3 or 4 or the image is empty.
    bool Allocate(int width, int height, int bytesPerPixel);
    void Release();
    bool IsAllocated() const { return allocated_; }

    // Recomputes every existing level from the one above it, starting from the image rows.
    void Compute(const std::uint8_t* const* imageRows);

    // k = 1 .. 7; an absent or out-of-range level has no rows.
    const RasterLevel& Level(int k) const;
    int DeepestLevel() const; // 0 when no half-size level exists

    // Destination pixel (x, y) = truncated mean of the 2 x 2 source block at (2x, 2y), every byte
    // (alpha too); the last pixel of each row is repeated into one extra column and the last row into
    // one extra row. `sourceRows` needs 2 * rows entries, `destRows` rows + 1.
    static void HalveRows(const std::uint8_t* const* sourceRows, std::uint8_t* const* destRows, int width,
                          int rows, int bytesPerPixel);

    // Bytes of a tightly packed block: width * bytes per pixel * height, no row alignment.
    static std::size_t StorageSize(int width, int height, int bytesPerPixel);

private:
    bool allocated_ = false;
    int bytesPerPixel_ = 0;
    std::vector<std::uint8_t> block_;
    std::vector<std::uint8_t*> rowPointers_; // all levels' row arrays back to back
    RasterLevel levels_[kCount + 1];         // index 0 unused, see RasterSurface::Level(0)
};
