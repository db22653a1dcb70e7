#include "raster/RasterCanvas.h"

#include "raster/BlendTable.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

namespace {
constexpr std::int64_t kMaxTonePixels = 16777215; // keeps each channel sum inside 32 bits

std::uint8_t BlueOf(std::uint32_t color) {
    return static_cast<std::uint8_t>(color >> 16);
}
std::uint8_t GreenOf(std::uint32_t color) {
    return static_cast<std::uint8_t>(color >> 8);
}
std::uint8_t RedOf(std::uint32_t color) {
    return static_cast<std::uint8_t>(color);
}

// What the eight rays of one transparent pixel found so far: the nearest distance at which any ray met
// an opaque pixel, and the colours met at exactly that distance.
struct BleedFinding {
    int distance = INT_MAX;
    std::uint16_t sum[3] = {0, 0, 0};
    std::uint8_t count = 0;
};

struct Direction {
    int dx;
    int dy;
};
} // namespace

RasterCanvas::RasterCanvas() = default;

RasterCanvas::~RasterCanvas() = default;

void RasterCanvas::Destroy() {
    platformCache_.reset();
    RasterSurface::Destroy();
}

bool RasterCanvas::Create(int width, int height) {
    if (!RasterSurface::Create(width, height)) {
        return false;
    }
    platformCache_.reset();
    return true;
}

bool RasterCanvas::HasUsablePixels() const {
    return HasPixels() && Width() > 0 && Height() > 0 && Stride() > 0;
}

void RasterCanvas::Fill(std::uint32_t color) {
    if (!HasUsablePixels()) {
        return;
    }
    const std::uint8_t blue = BlueOf(color), green = GreenOf(color), red = RedOf(color);
    if (blue == green && green == red) {
        std::memset(Pixels(), blue, TotalSize());
        return;
    }
    const int bpp = BytesPerPixel();
    if (bpp != 3 && bpp != 4) {
        return;
    }
    // One row of colour, copied into every row. Alpha is opaque, although callers must not rely on it.
    std::vector<std::uint8_t> row(static_cast<std::size_t>(Stride()), 0);
    for (int x = 0; x < Width(); ++x) {
        std::uint8_t* pixel = row.data() + x * bpp;
        pixel[0] = blue;
        pixel[1] = green;
        pixel[2] = red;
        if (bpp == 4) {
            pixel[3] = 255;
        }
    }
    std::uint8_t* const* rows = Rows();
    for (int y = 0; y < Height(); ++y) {
        std::memcpy(rows[y], row.data(), row.size());
    }
}

void RasterCanvas::ClearRect(int left, int top, int right, int bottom) {
    if (!HasUsablePixels() || BitsPerPixel() == 1) {
        return;
    }
    left = std::clamp(left, 0, Width());
    right = std::clamp(right, 0, Width());
    top = std::clamp(top, 0, Height());
    bottom = std::clamp(bottom, 0, Height());
    if (left >= right || top >= bottom) {
        return;
    }
    const int bpp = BytesPerPixel();
    std::uint8_t* const* rows = Rows();
    for (int imageRow = top; imageRow < bottom; ++imageRow) {
        const int storedRow = Height() - 1 - imageRow;
        std::memset(rows[storedRow] + left * bpp, 0, static_cast<std::size_t>((right - left) * bpp));
    }
}

void RasterCanvas::FillRect(int left, int top, int right, int bottom, std::uint32_t color) {
    const std::pair<int, int> columns[] = {{left, right}};
    FillColumns(columns, top, bottom, color);
}

void RasterCanvas::FillColumns(std::span<const std::pair<int, int>> columns, int top, int bottom,
                               std::uint32_t color) {
    const int bpp = BytesPerPixel();
    if (!HasUsablePixels() || (bpp != 3 && bpp != 4)) {
        return;
    }
    top = std::clamp(top, 0, Height());
    bottom = std::clamp(bottom, 0, Height());
    const std::uint8_t pixel[4] = {BlueOf(color), GreenOf(color), RedOf(color), 255};
    std::uint8_t* const* rows = Rows();
    for (int imageRow = top; imageRow < bottom; ++imageRow) {
        std::uint8_t* row = rows[Height() - 1 - imageRow];
        for (const auto& [first, end] : columns) {
            const int left = std::clamp(first, 0, Width());
            const int right = std::clamp(end, 0, Width());
            for (int x = left; x < right; ++x) {
                if (bpp == 4) {
                    std::memcpy(row + 4 * x, pixel, 4);
                } else {
                    std::memcpy(row + 3 * x, pixel, 3);
                }
            }
        }
    }
}

void RasterCanvas::ToGrey() {
    const int bpp = BytesPerPixel();
    if (!HasUsablePixels() || (bpp != 3 && bpp != 4)) {
        return;
    }
    std::uint8_t* const* rows = Rows();
    for (int y = 0; y < Height(); ++y) {
        std::uint8_t* pixel = rows[y];
        for (int x = 0; x < Width(); ++x, pixel += bpp) {
            const auto grey = static_cast<std::uint8_t>((pixel[0] + pixel[1] + pixel[2]) / 3);
            pixel[0] = pixel[1] = pixel[2] = grey;
        }
    }
}

std::uint32_t RasterCanvas::ToneColor() const {
    const int bpp = BytesPerPixel();
    if (!HasUsablePixels() || (bpp != 3 && bpp != 4)) {
        return 0;
    }
    std::int64_t sum[3] = {0, 0, 0};
    std::int64_t counted = 0;
    const std::uint8_t* const* rows = Rows();
    for (int y = 0; y < Height() && counted < kMaxTonePixels; ++y) {
        const std::uint8_t* pixel = rows[y];
        for (int x = 0; x < Width() && counted < kMaxTonePixels; ++x, pixel += bpp, ++counted) {
            sum[0] += pixel[0];
            sum[1] += pixel[1];
            sum[2] += pixel[2];
        }
    }
    const std::int64_t meanBlue = sum[0] / counted, meanGreen = sum[1] / counted, meanRed = sum[2] / counted;
    return meanBlue / 3 + meanGreen / 3 + meanRed / 3 < 128 ? 0x00000000u : 0x00FFFFFFu;
}

// Each transparent pixel looks along eight rays (right, left, down, up and the diagonals) for the
// nearest opaque pixel. Only opaque pixels are ever read and only transparent ones written, so the
// result does not depend on the order of filling; that allows one sweep per ray direction, in which
// every pixel learns its distance from its neighbour's, instead of a search per pixel that would take
// cubic time on large, mostly transparent images.
void RasterCanvas::BleedColorIntoTransparent() {
    if (!HasUsablePixels() || BytesPerPixel() != 4) {
        return;
    }
    const int width = Width(), height = Height();
    std::uint8_t* const* rows = Rows();
    auto alphaOf = [rows](int x, int y) { return rows[y][x * 4 + 3]; };

    std::vector<BleedFinding> findings;
    std::vector<int> previousRow, currentRow;
    try {
        findings.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        previousRow.resize(static_cast<std::size_t>(width));
        currentRow.resize(static_cast<std::size_t>(width));
    } catch (const std::bad_alloc&) {
        return;
    }

    static constexpr Direction kDirections[8] = {{1, 0}, {-1, 0}, {0, -1}, {0, 1},
                                                 {1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
    for (const Direction& dir : kDirections) {
        std::fill(previousRow.begin(), previousRow.end(), INT_MAX);
        // Visit every pixel after its neighbour along the ray, so the neighbour's distance is known.
        for (int step = 0; step < height; ++step) {
            const int y = dir.dy > 0 ? height - 1 - step : step;
            const int ny = y + dir.dy;
            const bool neighbourRowInside = ny >= 0 && ny < height;
            for (int xs = 0; xs < width; ++xs) {
                const int x = dir.dx > 0 ? width - 1 - xs : xs;
                const int nx = x + dir.dx;
                int distance = INT_MAX;
                if (neighbourRowInside && nx >= 0 && nx < width) {
                    if (alphaOf(nx, ny) != 0) {
                        distance = 1;
                    } else {
                        const int further = dir.dy == 0 ? currentRow[nx] : previousRow[nx];
                        distance = further == INT_MAX ? INT_MAX : further + 1;
                    }
                }
                currentRow[x] = distance;
                if (distance == INT_MAX || alphaOf(x, y) != 0) {
                    continue;
                }
                BleedFinding& found = findings[static_cast<std::size_t>(y) * width + x];
                if (distance > found.distance) {
                    continue;
                }
                if (distance < found.distance) {
                    found = BleedFinding{};
                    found.distance = distance;
                }
                const std::uint8_t* source = rows[y + distance * dir.dy] + (x + distance * dir.dx) * 4;
                for (int c = 0; c < 3; ++c) {
                    found.sum[c] = static_cast<std::uint16_t>(found.sum[c] + source[c]);
                }
                ++found.count;
            }
            std::swap(previousRow, currentRow);
        }
    }

    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const BleedFinding& found = findings[static_cast<std::size_t>(y) * width + x];
            if (found.count == 0) {
                continue;
            }
            std::uint8_t* pixel = rows[y] + x * 4;
            for (int c = 0; c < 3; ++c) {
                pixel[c] = static_cast<std::uint8_t>(found.sum[c] / found.count);
            }
        }
    }
}

int RasterCanvas::AlphaAt(int x, int y) const {
    if (!HasUsablePixels() || BytesPerPixel() != 4 || x < 0 || y < 0 || x >= Width() || y >= Height()) {
        return 0;
    }
    return Rows()[y][x * 4 + 3];
}

bool RasterCanvas::CopyFrom24(const RasterCanvas& source) {
    if (!HasUsablePixels() || !source.HasUsablePixels() || BytesPerPixel() != 4 ||
        source.BytesPerPixel() != 3 || source.Width() != Width() || source.Height() != Height()) {
        return false;
    }
    for (int y = 0; y < Height(); ++y) {
        const std::uint8_t* in = source.Rows()[y];
        std::uint8_t* out = Rows()[y];
        for (int x = 0; x < Width(); ++x, in += 3, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = 255;
        }
    }
    return true;
}

void RasterCanvas::BlendPixel(std::uint8_t* destination, const std::uint8_t* source, int sourceWeight,
                              int destWeight) {
    const BlendTable& table = BlendTable::Get();
    sourceWeight = std::clamp(sourceWeight, 0, 255);
    destWeight = std::clamp(destWeight, 0, 255);
    for (int c = 0; c < 3; ++c) {
        // Weights that add up to more than 255 saturate instead of wrapping round to dark values.
        const int sum = table.Lookup(source[c], sourceWeight) + table.Lookup(destination[c], destWeight);
        destination[c] = static_cast<std::uint8_t>(std::min(sum, 255));
    }
}

void RasterCanvas::SetPalette(const std::uint8_t* entries, int count, int bytesPerEntry) {
    if (count < 0 || count > kMaxPaletteEntries || BytesPerPixel() != 3 ||
        (bytesPerEntry != 3 && bytesPerEntry != 4) || (count > 0 && entries == nullptr)) {
        return;
    }
    std::memset(palette_, 0, sizeof(palette_));
    for (int i = 0; i < count; ++i) {
        std::memcpy(palette_ + i * 3, entries + i * bytesPerEntry, 3);
    }
    paletteCount_ = count;
}
