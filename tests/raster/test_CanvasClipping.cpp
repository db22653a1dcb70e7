#include "platform/CanvasPainter.h"
#include "raster/DcRasterCanvas.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr std::uint32_t kWhite = 0x00FFFFFF;

void MakeWhite(DcRasterCanvas& canvas, int width, int height) {
    canvas.SetBitsPerPixel(32);
    ASSERT_TRUE(canvas.Create(width, height));
    canvas.Fill(kWhite);
}

// 0x00BBGGRR of client pixel (x, y), y down from the top row.
std::uint32_t ClientColor(const RasterCanvas& canvas, int x, int y) {
    const std::uint8_t* p = canvas.Rows()[canvas.Height() - 1 - y] + x * canvas.BytesPerPixel();
    return static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
}

// The error-term walk one-pixel lines took before lines were clipped: every pixel from the start,
// the end left out, `phase` counting along the dot pattern (3 on, 3 off).
void ReferenceDottedWalk(int x0, int y0, int x1, int y1, int& phase,
                         std::vector<std::pair<int, int>>& pixels) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int error = dx + dy, x = x0, y = y0;
    while (x != x1 || y != y1) {
        if (phase++ % 6 < 3) {
            pixels.emplace_back(x, y);
        }
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

TEST(CanvasClipping, DottedOutlinesPartlyOffTheCanvasKeepTheirPixelsAndPhase) {
    std::mt19937 random(12);
    std::uniform_int_distribution<int> far(-4000, 4000);
    for (int round = 0; round < 40; ++round) {
        std::vector<ClientPoint> points(2 + round % 5);
        for (ClientPoint& p : points) {
            p = {far(random), far(random)};
        }
        DcRasterCanvas canvas;
        MakeWhite(canvas, kWidth, kHeight);
        canvas.Painter().SetPen(PenStyle::Dot, 0, 0);
        canvas.Painter().Polyline(points.data(), static_cast<int>(points.size()));
        canvas.Painter().Flush();

        std::vector<std::pair<int, int>> pixels;
        int phase = 0;
        for (std::size_t i = 1; i < points.size(); ++i) {
            ReferenceDottedWalk(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, phase, pixels);
        }
        std::vector<bool> expected(kWidth * kHeight, false);
        for (const auto& [x, y] : pixels) {
            if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) {
                expected[y * kWidth + x] = true;
            }
        }
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                ASSERT_EQ(ClientColor(canvas, x, y) == 0, expected[y * kWidth + x])
                    << round << ": " << x << ", " << y;
            }
        }
    }
}

// Each shape drawn on the canvas, partly off it, and on a canvas large enough to hold it whole (which
// no clip touches); the pixels the two share must agree.
TEST(CanvasClipping, FilledAndThickShapesPartlyOffTheCanvasDrawAsOnALargerOne) {
    constexpr int kPad = 300;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> x(-kPad, kWidth + kPad - 1), y(-kPad, kHeight + kPad - 1);
    for (int round = 0; round < 30; ++round) {
        std::vector<ClientPoint> points(3 + round % 4);
        for (ClientPoint& p : points) {
            p = {x(random), y(random)};
        }
        auto draw = [&](DcRasterCanvas& canvas, int shift) {
            std::vector<ClientPoint> shifted = points;
            for (ClientPoint& p : shifted) {
                p = {p.x + shift, p.y + shift};
            }
            CanvasPainter& painter = canvas.Painter();
            painter.SetPen(round % 2 ? PenStyle::Solid : PenStyle::Dash, 1 + round % 4, 0x000000FF);
            painter.SetBrush(0x00808080);
            painter.Polygon(shifted.data(), static_cast<int>(shifted.size()));
            painter.SetPen(PenStyle::Solid, 2, 0x00FF0000);
            painter.DrawLine(shifted[0].x, shifted[0].y, shifted[1].x, shifted[1].y);
            painter.SetNullBrush();
            painter.Rectangle(shifted[1].x, shifted[1].y, shifted[2].x + 1, shifted[2].y + 1);
            painter.Flush();
        };
        DcRasterCanvas small, large;
        MakeWhite(small, kWidth, kHeight);
        MakeWhite(large, kWidth + 2 * kPad, kHeight + 2 * kPad);
        draw(small, 0);
        draw(large, kPad);
        for (int py = 0; py < kHeight; ++py) {
            for (int px = 0; px < kWidth; ++px) {
                ASSERT_EQ(ClientColor(small, px, py), ClientColor(large, px + kPad, py + kPad))
                    << round << ": " << px << ", " << py;
            }
        }
    }
}

TEST(CanvasClipping, ShapesSpanningTheWholeIntRangeDrawAtOnce) {
    DcRasterCanvas canvas;
    MakeWhite(canvas, kWidth, kHeight);
    CanvasPainter& painter = canvas.Painter();
    const auto start = std::chrono::steady_clock::now();
    // Corners four billion pixels apart: the fill covers the canvas, the outline misses it.
    const ClientPoint square[4] = {
        {INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MAX}};
    painter.SetPen(PenStyle::Dot, 1, 0);
    painter.SetBrush(0x00808080);
    painter.Polygon(square, 4);
    painter.Rectangle(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    painter.FillRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0x00808080);
    painter.Ellipse(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    // A diagonal through the whole range crosses the canvas on pixels (i, i).
    painter.SetPen(PenStyle::Solid, 1, 0);
    painter.DrawLine(INT_MIN + 1, INT_MIN + 1, INT_MAX, INT_MAX);
    painter.SetPen(PenStyle::Solid, 3, 0x00FF0000);
    painter.DrawLine(INT_MIN, INT_MAX, INT_MIN + 5, INT_MAX);
    painter.Flush();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    for (int py = 0; py < kHeight; ++py) {
        for (int px = 0; px < kWidth; ++px) {
            ASSERT_EQ(ClientColor(canvas, px, py), px == py ? 0u : 0x00808080u) << px << ", " << py;
        }
    }
}

} // namespace
