#include "view/TextTileDrawing.h"

#include "document/TextTile.h"
#include "platform/CanvasPainter.h"
#include "platform/PlatformFont.h"
#include "raster/DcRasterCanvas.h"
#include "support/ClipBox.h"
#include "view/FrameItems.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string_view>
#include <vector>

namespace {

// The glyphs fill 0.66 of the box height; the baseline sits at 0.33 of it.
constexpr double kGlyphShare = 0.66;
constexpr double kBaselineShare = 0.33;
// Beyond this many pixels per image unit the text would not be readable anyway, and pixel positions
// would leave the range of integers.
constexpr double kMaxDrawScale = 1e5;
// A text is drawn only from a start this close to the canvas, in pixels: far enough for a text of
// any length at a readable scale that reaches the canvas, near enough to stay an int.
constexpr double kTextReach = 1e9;

std::uint32_t ColorRef(const Rgb8& color) {
    return static_cast<std::uint32_t>(color.r) | (static_cast<std::uint32_t>(color.g) << 8) |
           (static_cast<std::uint32_t>(color.b) << 16);
}

std::u16string_view View(const WString& text) {
    return std::u16string_view(text.c_str(), static_cast<size_t>(text.Length()));
}

PlanePoint ToPlane(const Vec2& viewPt) {
    return PlanePoint{viewPt.X(), viewPt.Y()};
}

// Only for points within reach of the canvas: rounding anything further would leave int.
ClientPoint ToClient(const PlanePoint& viewPt, int canvasHeight) {
    return ClientPoint{static_cast<int>(std::lround(viewPt.x)),
                       canvasHeight - static_cast<int>(std::lround(viewPt.y))};
}

// The box of a text width x height image units, in view pixels (y up), from the text's origin round.
std::array<PlanePoint, 4> BoxCorners(const Matrix3& tileToView, float width, float height) {
    return {ToPlane(tileToView.TransformPoint(Vec2(0, 0))),
            ToPlane(tileToView.TransformPoint(Vec2(width, 0))),
            ToPlane(tileToView.TransformPoint(Vec2(width, height))),
            ToPlane(tileToView.TransformPoint(Vec2(0, height)))};
}

} // namespace

void TextTileDrawing::Draw(DcRasterCanvas& target, const TextRun& run) {
    target.Painter().Save();
    if (run.boxed) {
        DrawBox(target, run);
    }
    DrawLetters(target, run);
    target.Painter().Restore();
    target.Painter().Flush();
}

void TextTileDrawing::DrawBox(DcRasterCanvas& target, const TextRun& run) {
    // Cut to where pixels stay ints; a box partly off the canvas keeps its exact corners there.
    const std::array<PlanePoint, 4> viewCorners =
        BoxCorners(run.toView, run.tile->Width(), run.tile->Height());
    const std::vector<PlanePoint> reachable =
        ClipBox::ClientReach(target.Width(), target.Height()).ClipPolygon(viewCorners.data(), 4);
    if (reachable.empty()) {
        return;
    }
    std::vector<ClientPoint> corners;
    for (const PlanePoint& viewPt : reachable) {
        corners.push_back(ToClient(viewPt, target.Height()));
    }
    CanvasPainter& painter = target.Painter();
    painter.SetRasterOp(RasterOp::CopyPen);
    painter.SetPen(PenStyle::Solid, 1, ColorRef(run.boxEdge));
    painter.SetBrush(ColorRef(run.boxFill));
    painter.Polygon(corners.data(), static_cast<int>(corners.size()));
}

void TextTileDrawing::DrawLetters(DcRasterCanvas& target, const TextRun& run) {
    const TextTile& tile = *run.tile;
    const Matrix3& tileToView = run.toView;
    const double xLength = tileToView.TransformVector(Vec2(1, 0)).Length();
    const double yLength = tileToView.TransformVector(Vec2(0, 1)).Length();
    if (!(xLength > 0 && xLength < kMaxDrawScale && yLength > 0 && yLength < kMaxDrawScale)) {
        return;
    }
    const double grid = run.gridSize;
    // A text whose box (and a box height around it, for overhanging glyphs) misses the canvas costs
    // no font; a start beyond reach would not fit an int.
    const std::array<PlanePoint, 4> viewCorners = BoxCorners(tileToView, tile.Width(), tile.Height());
    const PlanePoint startPt =
        ToPlane(tileToView.TransformPoint(Vec2(0, static_cast<float>(kBaselineShare * grid))));
    const ClipBox nearCanvas = ClipBox::AroundCanvas(target.Width(), target.Height(), yLength * grid);
    if (nearCanvas.ClipPolygon(viewCorners.data(), 4).empty() ||
        !ClipBox::AroundCanvas(target.Width(), target.Height(), kTextReach).Contains(startPt)) {
        return;
    }

    FontDescription fontDescription;
    fontDescription.face.assign(run.fontName->c_str(), static_cast<size_t>(run.fontName->Length()));
    fontDescription.height = -std::max(1, static_cast<int>(kGlyphShare * yLength * grid));
    fontDescription.weight = 400;
    const double angle = tileToView.Angle(0.0f, false);
    fontDescription.escapement = static_cast<int>(std::lround(angle * 1800.0 / std::numbers::pi));
    const double ratio = xLength / yLength;
    if (std::fabs(ratio - 1.0) > 1e-3) {
        const PlatformFont natural(fontDescription);
        fontDescription.width = std::max(1, static_cast<int>(natural.AverageCharWidth() * ratio));
    }

    const std::vector<float>& offsets = tile.CaretOffsets();
    std::vector<int> advances(offsets.size());
    long previous = 0;
    for (size_t i = 0; i < offsets.size(); ++i) {
        const long position = std::lround(offsets[i] * xLength);
        advances[i] = static_cast<int>(position - previous);
        previous = position;
    }

    CanvasPainter& painter = target.Painter();
    if (!painter.SetFont(fontDescription)) {
        return;
    }
    painter.SetTextColor(ColorRef(run.color));
    painter.SetTextBackground(false, 0);
    painter.SetTextAlign(TextAlign::Baseline);
    const ClientPoint start = ToClient(startPt, target.Height());
    painter.TextOut(start.x, start.y, View(tile.Text()), advances.data());
}
