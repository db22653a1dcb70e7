#include "raster/DcRasterCanvas.h"
#include "view/Camera.h"
#include "view/SoftwareFrame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 120;
constexpr int kHeight = 90;
constexpr std::uint32_t kPaper = 0x00102030;
constexpr std::uint32_t kInk = 0x00C0B0A0;

std::uint32_t ClientPixel(const RasterCanvas& canvas, int x, int y) {
    const std::uint8_t* pixel = canvas.Rows()[canvas.Height() - 1 - y] + x * canvas.BytesPerPixel();
    return pixel[2] | (pixel[1] << 8) | (pixel[0] << 16);
}

// The grid drawn line by line, the obvious way: which client columns and rows carry a line.
struct ReferenceGrid {
    std::vector<bool> columns = std::vector<bool>(kWidth, false);
    std::vector<bool> rows = std::vector<bool>(kHeight, false);

    // No lines at all.
    ReferenceGrid() = default;
    ReferenceGrid(const Camera& camera, int size) {
        const Rect2 visible = camera.VisibleWorld();
        const Matrix3& view = camera.ViewMatrix();
        const double x0 = visible.MinX() - std::fmod(static_cast<double>(visible.MinX()), size);
        for (double x = x0; x < visible.MaxX(); x += size) {
            const double column = std::floor(x * view.m11() + view.m31() + 0.5);
            if (column >= 0 && column < kWidth) {
                columns[static_cast<int>(column)] = true;
            }
        }
        const double y0 = visible.MinY() - std::fmod(static_cast<double>(visible.MinY()), size);
        for (double y = y0; y < visible.MaxY(); y += size) {
            const double row = kHeight - std::floor(y * view.m22() + view.m32() + 0.5);
            if (row >= 0 && row < kHeight) {
                rows[static_cast<int>(row)] = true;
            }
        }
    }
};

class GridCanvas {
public:
    GridCanvas() {
        canvas.SetBitsPerPixel(32);
        canvas.Create(kWidth, kHeight);
    }

    void Draw(const Camera& camera, int size) {
        canvas.Fill(kPaper);
        SoftwareFrame::DrawGrid(canvas, camera, size, kInk);
    }

    int CountMismatches(const ReferenceGrid& reference) const {
        int mismatches = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const std::uint32_t want = reference.columns[x] || reference.rows[y] ? kInk : kPaper;
                mismatches += ClientPixel(canvas, x, y) != want;
            }
        }
        return mismatches;
    }

    DcRasterCanvas canvas;
};

Camera SizedCamera() {
    Camera camera(true);
    camera.Resize(kWidth, kHeight);
    return camera;
}

TEST(FrameGrid, MatchesLineByLineDrawingAtAnyZoomAndPan) {
    std::mt19937 random(12345);
    std::uniform_real_distribution<float> zoomExponent(-4.6f, 2.0f); // about 0.01 .. 7.4
    std::uniform_real_distribution<float> pan(-5000.0f, 5000.0f);
    std::uniform_int_distribution<int> size(1, 200);
    GridCanvas grid;
    for (int round = 0; round < 60; ++round) {
        Camera camera = SizedCamera();
        camera.SetZoom(std::exp(zoomExponent(random)));
        camera.PanBy(pan(random), pan(random));
        const int gridSize = size(random);
        grid.Draw(camera, gridSize);
        EXPECT_EQ(grid.CountMismatches(ReferenceGrid(camera, gridSize)), 0)
            << "zoom " << camera.ZoomFactor() << " size " << gridSize;
    }
}

TEST(FrameGrid, SizeZeroOrNegativeDrawsNoLines) {
    GridCanvas grid;
    const Camera camera = SizedCamera();
    for (int size : {0, -64}) {
        grid.Draw(camera, size);
        EXPECT_EQ(grid.CountMismatches(ReferenceGrid()), 0) << size;
    }
}

TEST(FrameGrid, LinesDenserThanPixelsCoverTheWholeWindow) {
    GridCanvas grid;
    Camera camera = SizedCamera();
    camera.SetZoom(0.01f); // one-unit cells, a hundred to the pixel
    grid.Draw(camera, 1);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            ASSERT_EQ(ClientPixel(grid.canvas, x, y), kInk) << x << ", " << y;
        }
    }
}

TEST(FrameGrid, FarFromTheOriginAtTheSmallestZoomStillFinishes) {
    GridCanvas grid;
    Camera camera = SizedCamera();
    // A map stretched over a billion units zooms its extents far below the menu's smallest zoom.
    camera.ZoomExtents(Rect2(-1.0e9f, 1.0e9f, -1.0e9f, 1.0e9f));
    ASSERT_LT(camera.ZoomFactor(), 1.0e-7f);
    grid.Draw(camera, 1);
    EXPECT_EQ(ClientPixel(grid.canvas, kWidth / 2, kHeight / 2), kInk);
    camera.SetZoom(1.0f);
    camera.PanBy(-3.0e9f, 2.0e9f);
    grid.Draw(camera, 64);
    EXPECT_EQ(grid.CountMismatches(ReferenceGrid(camera, 64)), 0);
}

} // namespace
