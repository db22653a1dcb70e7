#include "raster/ColorQuantizer.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int kCellBits = 5;
constexpr int kCellCount = 1 << (3 * kCellBits);
constexpr std::uint8_t kNoIndex = 0; // cells without pixels; IndexOf searches for them instead

int ChannelOfCell(std::uint32_t cell, int channel) {
    return int(cell >> (channel * kCellBits)) & ((1 << kCellBits) - 1);
}

} // namespace

// A run of cells_ [begin, end) holding `pixels` pixels.
struct ColorQuantizer::Box {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::uint64_t pixels = 0;

    bool CanSplit() const { return end - begin > 1; }
};

int ColorQuantizer::CellOf(int blue, int green, int red) {
    const int shift = 8 - kCellBits;
    return (blue >> shift) | ((green >> shift) << kCellBits) | ((red >> shift) << (2 * kCellBits));
}

bool ColorQuantizer::Quantize(const std::uint8_t* const* rows, int width, int height, int bytesPerPixel,
                              int maxColors) {
    palette_.clear();
    indices_.clear();
    width_ = height_ = 0;
    if (!rows || width < 1 || height < 1 || (bytesPerPixel != 3 && bytesPerPixel != 4)) {
        return false;
    }
    maxColors = std::clamp(maxColors, 1, kMaxColors);
    histogram_.assign(kCellCount, 0);
    sumBlue_.assign(kCellCount, 0);
    sumGreen_.assign(kCellCount, 0);
    sumRed_.assign(kCellCount, 0);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* p = rows[y];
        for (int x = 0; x < width; ++x, p += bytesPerPixel) {
            int cell = CellOf(p[0], p[1], p[2]);
            ++histogram_[cell];
            sumBlue_[cell] += p[0];
            sumGreen_[cell] += p[1];
            sumRed_[cell] += p[2];
        }
    }
    cells_.clear();
    Box all;
    for (int cell = 0; cell < kCellCount; ++cell) {
        if (histogram_[cell] > 0) {
            cells_.push_back(std::uint32_t(cell));
            all.pixels += histogram_[cell];
        }
    }
    all.end = cells_.size();
    std::vector<Box> boxes{all};
    SplitBoxes(boxes, maxColors);
    MakePalette(boxes);

    width_ = width;
    height_ = height;
    indices_.resize(std::size_t(width) * std::size_t(height));
    std::uint8_t* out = indices_.data();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* p = rows[y];
        for (int x = 0; x < width; ++x, p += bytesPerPixel) {
            *out++ = cellIndex_[CellOf(p[0], p[1], p[2])];
        }
    }
    return true;
}

void ColorQuantizer::SplitBoxes(std::vector<Box>& boxes, int maxColors) {
    std::vector<std::uint32_t>& cells = cells_;
    while (int(boxes.size()) < maxColors) {
        // The most populous box that still holds more than one cell is cut next.
        Box* widest = nullptr;
        for (Box& box : boxes) {
            if (box.CanSplit() && (!widest || box.pixels > widest->pixels)) {
                widest = &box;
            }
        }
        if (!widest) {
            return;
        }
        int lo[3] = {255, 255, 255};
        int hi[3] = {0, 0, 0};
        for (std::size_t k = widest->begin; k < widest->end; ++k) {
            for (int c = 0; c < 3; ++c) {
                lo[c] = std::min(lo[c], ChannelOfCell(cells[k], c));
                hi[c] = std::max(hi[c], ChannelOfCell(cells[k], c));
            }
        }
        int channel = 0;
        for (int c = 1; c < 3; ++c) {
            if (hi[c] - lo[c] > hi[channel] - lo[channel]) {
                channel = c;
            }
        }
        auto first = cells.begin() + std::ptrdiff_t(widest->begin);
        auto last = cells.begin() + std::ptrdiff_t(widest->end);
        std::sort(first, last, [channel](std::uint32_t a, std::uint32_t b) {
            int ca = ChannelOfCell(a, channel);
            int cb = ChannelOfCell(b, channel);
            return ca != cb ? ca < cb : a < b;
        });
        // Cut where half the pixels lie on each side, keeping at least one cell in each half.
        std::uint64_t running = 0;
        std::size_t cut = widest->begin + 1;
        for (std::size_t k = widest->begin; k + 1 < widest->end; ++k) {
            running += histogram_[cells[k]];
            cut = k + 1;
            if (running * 2 >= widest->pixels) {
                break;
            }
        }
        Box upper;
        upper.begin = cut;
        upper.end = widest->end;
        for (std::size_t k = cut; k < widest->end; ++k) {
            upper.pixels += histogram_[cells[k]];
        }
        widest->end = cut;
        widest->pixels -= upper.pixels;
        boxes.push_back(upper);
    }
}

void ColorQuantizer::MakePalette(const std::vector<Box>& boxes) {
    cellIndex_.assign(kCellCount, kNoIndex);
    palette_.clear();
    for (const Box& box : boxes) {
        std::uint64_t blue = 0, green = 0, red = 0, count = 0;
        for (std::size_t k = box.begin; k < box.end; ++k) {
            std::uint32_t cell = cells_[k];
            blue += sumBlue_[cell];
            green += sumGreen_[cell];
            red += sumRed_[cell];
            count += histogram_[cell];
            cellIndex_[cell] = std::uint8_t(palette_.size());
        }
        if (count == 0) {
            continue;
        }
        palette_.push_back(std::uint32_t(blue / count) << 16 | std::uint32_t(green / count) << 8 |
                           std::uint32_t(red / count));
    }
}

std::uint8_t ColorQuantizer::IndexOf(int blue, int green, int red) const {
    if (palette_.empty()) {
        return 0;
    }
    int cell = CellOf(blue & 255, green & 255, red & 255);
    if (histogram_[cell] > 0) {
        return cellIndex_[cell];
    }
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t k = 0; k < palette_.size(); ++k) {
        int db = int(palette_[k] >> 16 & 255) - blue;
        int dg = int(palette_[k] >> 8 & 255) - green;
        int dr = int(palette_[k] & 255) - red;
        int distance = db * db + dg * dg + dr * dr;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = int(k);
        }
    }
    return std::uint8_t(best);
}
