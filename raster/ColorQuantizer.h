#pragma once

#include <cstdint>
#include <vector>

// Reduces a true-colour picture to at most 256 colours by median cut: the colours present (at five
// bits per channel) are split again and again across the widest channel of the most populous box,
// at the median, and each box becomes one palette entry, the mean of its pixels.
class ColorQuantizer {
public:
    static constexpr int kMaxColors = 256;

    // rows: stored rows of width pixels, bytesPerPixel 3 or 4 (blue, green, red first). Fails for empty
    // input. maxColors is clamped to 1 .. 256.
    bool Quantize(const std::uint8_t* const* rows, int width, int height, int bytesPerPixel,
                  int maxColors = kMaxColors);

    // Entries 0x00BBGGRR; at most 256.
    const std::vector<std::uint32_t>& Palette() const { return palette_; }
    // Palette index of every pixel, rows in the order given, width entries each.
    const std::vector<std::uint8_t>& Indices() const { return indices_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Palette index for any colour, through the same five-bit cells the palette was cut from.
    std::uint8_t IndexOf(int blue, int green, int red) const;

private:
    struct Box;
    static int CellOf(int blue, int green, int red);
    void SplitBoxes(std::vector<Box>& boxes, int maxColors);
    void MakePalette(const std::vector<Box>& boxes);

    std::vector<std::uint32_t> histogram_; // pixel count per five-bit cell
    std::vector<std::uint32_t> cells_;     // cells in use, sorted within each box
    std::vector<std::uint8_t> cellIndex_;  // palette index per cell
    std::vector<std::uint32_t> palette_;
    std::vector<std::uint8_t> indices_;
    int width_ = 0;
    int height_ = 0;
    // Sums of each channel per cell (8-bit values), for palette means.
    std::vector<std::uint64_t> sumBlue_, sumGreen_, sumRed_;
};
