#include "view/SoftwareRenderer.h"

#include "platform/CanvasPainter.h"
#include "raster/DcRasterCanvas.h"
#include "raster/DrawTransformed.h"
#include "raster/RowWindow.h"
#include "support/BandRunner.h"
#include "support/ClipBox.h"
#include "view/Camera.h"
#include "view/FrameItems.h"
#include "view/FrameOverlays.h"
#include "view/StretchedBackground.h"
#include "view/TextTileDrawing.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {
constexpr std::uint32_t kBlack = 0x00000000;
constexpr std::uint32_t kWhite = 0x00FFFFFF;
constexpr int kBorderPenWidth = 3;
// A handle is a circle about seven pixels across around its point.
constexpr int kHandleReach = 3;
// Runs of at least this many pictures, on a target of at least twice this many rows, are shared
// between two threads; shorter runs are over before the second thread could help.
constexpr std::size_t kSharedRunPictures = 64;
constexpr int kSharedRunMinRows = 64;

std::uint32_t ColorOf(const Rgb8& color) {
    return static_cast<std::uint32_t>(color.r) | (static_cast<std::uint32_t>(color.g) << 8) |
           (static_cast<std::uint32_t>(color.b) << 16);
}

// Consecutive pixel positions first .. last, both inclusive.
struct PixelRun {
    int first;
    int last;
};

// The pixels that lines i = 0 .. count - 1 at floor(start + i * step + 0.5) fall on within lo .. hi,
// merged into runs. Lines closer together than half a pixel hit every pixel between the first and
// the last one, so the run is found without visiting each line: a far-out zoom or a tiny grid size
// costs no more than a dense grid.
std::vector<PixelRun> LineRuns(double start, double step, double count, int lo, int hi) {
    std::vector<PixelRun> runs;
    if (!(step > 0.0) || !std::isfinite(start) || !std::isfinite(step) || !(count >= 1.0) || lo > hi) {
        return runs;
    }
    const double first = std::max(0.0, std::floor((lo - 0.5 - start) / step) - 1.0);
    const double last = std::min(count - 1.0, std::ceil((hi + 0.5 - start) / step) + 1.0);
    if (!(last >= first)) {
        return runs;
    }
    auto pixelOf = [&](double i) { return std::floor(start + i * step + 0.5); };
    if (last - first > 2.0 * (hi - lo + 2)) {
        const double from = std::max<double>(lo, pixelOf(first));
        const double to = std::min<double>(hi, pixelOf(last));
        if (from <= to) {
            runs.push_back({static_cast<int>(from), static_cast<int>(to)});
        }
        return runs;
    }
    for (double i = first; i <= last; ++i) {
        const double pixel = pixelOf(i);
        if (pixel < lo || pixel > hi) {
            continue;
        }
        const int p = static_cast<int>(pixel);
        if (!runs.empty() && p <= runs.back().last + 1) {
            runs.back().last = std::max(runs.back().last, p);
        } else {
            runs.push_back({p, p});
        }
    }
    return runs;
}

// World lines at x0, x0 + size, ... below `end`: how many there are.
double LineCount(double x0, double end, double size) {
    return std::ceil((end - x0) / size);
}

// The first grid line at or just inside `from`; the remainder keeps the sign of `from`.
double FirstLine(double from, double size) {
    return from - std::fmod(from, size);
}

double Round(double v) {
    return std::floor(v + 0.5);
}
} // namespace

SoftwareRenderer::SoftwareRenderer(DcRasterCanvas& target, StretchedBackground* background)
    : target_(target), background_(background) {}

void SoftwareRenderer::BeginFrame(const Camera& /*camera*/) {
    CanvasPainter& painter = target_.Painter();
    painter.ClearClip();
    painter.SetRasterOp(RasterOp::CopyPen);
}

void SoftwareRenderer::Background(const Rgb8& color, const RasterCanvas* picture, bool quickDraw) {
    if (picture == nullptr || background_ == nullptr) {
        target_.Fill(ColorOf(color));
        return;
    }
    background_->DrawInto(target_, *picture, quickDraw ? StretchMode::ColorOnColor : StretchMode::HalfTone);
}

void SoftwareRenderer::Grid(const Camera& camera, const Rect2& lineWorld, int drawGridSize,
                            const Rgb8& color) {
    DrawGrid(target_, camera, lineWorld, drawGridSize, ColorOf(color));
}

void SoftwareRenderer::BeginTiles() {
    CanvasPainter& painter = target_.Painter();
    painter.SetTextBackground(false, 0);
    // The tiles write the pixels directly; what the painter drew must be in memory first.
    painter.Flush();
}

void SoftwareRenderer::DrawPicturesAsBandOf(int pictureHeight, int rowsBelow) {
    pictureRows_.assign(static_cast<std::size_t>(std::max(pictureHeight, 0)), nullptr);
    rowsBelow_ = rowsBelow;
    for (int row = 0; row < target_.Height(); ++row) {
        const long long at = static_cast<long long>(rowsBelow) + row;
        if (at >= 0 && at < pictureHeight) {
            pictureRows_[static_cast<std::size_t>(at)] = target_.Rows()[row];
        }
    }
}

void SoftwareRenderer::Image(const ImageItem& item) {
    if (item.picture == nullptr) {
        return;
    }
    if (pictureRows_.empty()) {
        item.picture->DrawTransformed(target_, item.toView, item.plain, item.tintColor, item.tintOn,
                                      item.tintAmount, item.opacity);
        return;
    }
    const RasterPlane picture{target_.Width(), static_cast<int>(pictureRows_.size()), target_.BytesPerPixel(),
                              pictureRows_.data()};
    const RowWindow band(std::max(RowWindow::First(), rowsBelow_),
                         std::min(RowWindow::Last(), rowsBelow_ + target_.Height() - 1));
    const DrawStyle style{item.plain, item.tintColor, item.tintOn, item.tintAmount, item.opacity};
    DrawTransformed(*item.picture, picture, item.toView, style);
}

void SoftwareRenderer::Images(const std::vector<ImageItem>& items) {
    const int height = target_.Height();
    if (items.size() < kSharedRunPictures || height < 2 * kSharedRunMinRows) {
        FrameRenderer::Images(items);
        return;
    }
    auto rows = [&](int firstRow, int lastRow, int /*lane*/) {
        const int offset = pictureRows_.empty() ? 0 : rowsBelow_;
        const RowWindow window(offset + firstRow, offset + lastRow);
        for (const ImageItem& item : items) {
            Image(item);
        }
    };
    BandRunner::Shared().Run(0, height - 1, (height + 1) / 2, rows);
}

void SoftwareRenderer::Text(const TextRun& run) {
    TextTileDrawing::Draw(target_, run);
}

void SoftwareRenderer::Overlays(const FrameOverlays& overlays, const Camera& camera) {
    overlays.Draw(target_.Painter(), camera);
}

void SoftwareRenderer::EndFrame() {
    target_.Painter().Flush();
}

void SoftwareRenderer::DrawGrid(RasterCanvas& target, const Camera& camera, const Rect2& lineWorld,
                                int drawGridSize, std::uint32_t color) {
    const int width = camera.ClientWidth();
    const int height = camera.ClientHeight();
    if (drawGridSize <= 0 || width < 1 || height < 1) {
        return;
    }
    // The camera never rotates: world x maps to view x and world y to view y on their own.
    const Matrix3& view = camera.ViewMatrix();
    const double sx = view.m11(), tx = view.m31(), sy = view.m22(), ty = view.m32();
    const Rect2& visible = lineWorld;
    const double size = drawGridSize;
    const double x0 = FirstLine(visible.MinX(), size);
    const double y0 = FirstLine(visible.MinY(), size);
    auto clientX = [&](double worldX) { return Round(worldX * sx + tx); };
    auto clientY = [&](double worldY) { return height - Round(worldY * sy + ty); };

    // Vertical lines run from a cell below the visible area to a cell above it, the end pixel left
    // out; clamping that span to the canvas keeps exactly the pixels inside it.
    const double topRow = std::max(0.0, clientY(visible.MaxY() + size) + 1.0);
    const double bottomRow = std::min(height - 1.0, clientY(visible.MinY() - size));
    if (topRow <= bottomRow) {
        std::vector<std::pair<int, int>> columns;
        for (const PixelRun& run :
             LineRuns(x0 * sx + tx, size * sx, LineCount(x0, visible.MaxX(), size), 0, width - 1)) {
            columns.emplace_back(run.first, run.last + 1);
        }
        target.FillColumns(columns, static_cast<int>(topRow), static_cast<int>(bottomRow) + 1, color);
    }
    // Horizontal lines: positions count view rows upward, client row = height - position.
    const double leftColumn = std::max(0.0, clientX(visible.MinX() - size));
    const double rightColumn = std::min(width - 1.0, clientX(visible.MaxX() + size) - 1.0);
    if (leftColumn <= rightColumn) {
        for (const PixelRun& run :
             LineRuns(y0 * sy + ty, size * sy, LineCount(y0, visible.MaxY(), size), 1, height)) {
            target.FillRect(static_cast<int>(leftColumn), height - run.last,
                            static_cast<int>(rightColumn) + 1, height - run.first + 1, color);
        }
    }
}

void SoftwareRenderer::Border(const Camera& camera) {
    const int width = camera.ClientWidth();
    const int height = camera.ClientHeight();
    CanvasPainter& painter = target_.Painter();
    const ClientPoint corners[5] = {{0, 0}, {0, height - 2}, {width - 2, height - 2}, {width - 2, 0}, {0, 0}};
    painter.Save();
    painter.SetRasterOp(RasterOp::CopyPen);
    painter.SetPen(PenStyle::Solid, kBorderPenWidth, kBlack);
    painter.Polyline(corners, 5);
    painter.Restore();
}

void SoftwareRenderer::Handles(const Camera& camera, const std::array<Vec2, 4>& handleWorldPts) {
    CanvasPainter& painter = target_.Painter();
    painter.Save();
    painter.SetRasterOp(RasterOp::CopyPen);
    painter.SetPen(PenStyle::Solid, 1, kBlack);
    painter.SetBrush(kWhite);
    // Handles further off the client area than they reach are left out before they become pixels;
    // the margin covers rounding and the flip from view rows to client rows.
    const ClipBox nearClient =
        ClipBox::AroundCanvas(camera.ClientWidth(), camera.ClientHeight(), kHandleReach + 2.0);
    for (const Vec2& worldPt : handleWorldPts) {
        const Vec2 viewPt = camera.WorldToView(worldPt);
        if (!nearClient.Contains(PlanePoint{viewPt.X(), viewPt.Y()})) {
            continue;
        }
        const ClientPoint at = camera.ViewToClient(PlanePoint{viewPt.X(), viewPt.Y()});
        painter.Ellipse(at.x - kHandleReach, at.y - kHandleReach, at.x + kHandleReach + 1,
                        at.y + kHandleReach + 1);
    }
    painter.Restore();
}
