#include "view/FrameOverlays.h"

#include "document/TextTile.h"
#include "platform/CanvasPainter.h"
#include "view/Camera.h"

#include <vector>

namespace {
constexpr std::uint32_t kBlack = 0x00000000;
// Pen widths in pixels; 0 is the thinnest line the platform draws.
constexpr int kHairline = 0;
constexpr int kCaretWidth = 2;

PlanePoint ViewPointOf(const Camera& camera, const Vec2& worldPt) {
    const Vec2 viewPt = camera.WorldToView(worldPt);
    return PlanePoint{viewPt.X(), viewPt.Y()};
}

// The closed outline through the view points as client points, back at its first point, cut to the
// camera's reach: a band dragged far beyond the window still draws only what the window shows.
std::vector<ClientPoint> ClosedOutline(const Camera& camera, const PlanePoint* viewPts, int count) {
    std::vector<ClientPoint> outline;
    for (const PlanePoint& viewPt : camera.ClientReach().ClipPolygon(viewPts, count)) {
        outline.push_back(camera.ViewToClient(viewPt));
    }
    if (!outline.empty()) {
        outline.push_back(outline.front());
    }
    return outline;
}
} // namespace

void FrameOverlays::StartBand(const Vec2& anchorWorldPt, const Vec2& currentWorldPt) {
    bandActive_ = true;
    bandAnchor_ = anchorWorldPt;
    bandCurrent_ = currentWorldPt;
}

void FrameOverlays::MoveBand(const Vec2& currentWorldPt) {
    bandCurrent_ = currentWorldPt;
}

void FrameOverlays::SetCaret(const TextTile* editedText, int caretIndex) {
    editedText_ = editedText;
    caretIndex_ = caretIndex;
}

void FrameOverlays::Draw(CanvasPainter& painter, const Camera& camera) const {
    painter.Save();
    // Inverting twice restores the pixels, so the overlays never hide what lies beneath them.
    painter.SetRasterOp(RasterOp::NotDestination);
    painter.SetNullBrush();
    if (bandActive_) {
        DrawBand(painter, camera);
    } else if (textToolActive_) {
        DrawTextBox(painter, camera);
        DrawCaret(painter, camera);
    }
    painter.Restore();
}

void FrameOverlays::DrawBand(CanvasPainter& painter, const Camera& camera) const {
    // The camera never rotates, so the band's corners take their x and y from its two ends.
    const PlanePoint a = ViewPointOf(camera, bandAnchor_);
    const PlanePoint b = ViewPointOf(camera, bandCurrent_);
    const PlanePoint corners[4] = {{a.x, a.y}, {b.x, a.y}, {b.x, b.y}, {a.x, b.y}};
    const std::vector<ClientPoint> outline = ClosedOutline(camera, corners, 4);
    painter.SetPen(PenStyle::Dot, kHairline, kBlack);
    painter.Polyline(outline.data(), static_cast<int>(outline.size()));
}

void FrameOverlays::DrawTextBox(CanvasPainter& painter, const Camera& camera) const {
    PlanePoint corners[4];
    for (int i = 0; i < 4; ++i) {
        corners[i] = ViewPointOf(camera, textBox_[i]);
    }
    const std::vector<ClientPoint> outline = ClosedOutline(camera, corners, 4);
    painter.SetPen(PenStyle::Solid, kHairline, kBlack);
    painter.Polyline(outline.data(), static_cast<int>(outline.size()));
}

void FrameOverlays::DrawCaret(CanvasPainter& painter, const Camera& camera) const {
    if (editedText_ == nullptr) {
        return;
    }
    const auto caret = editedText_->CaretLine(caretIndex_);
    if (!caret) {
        return;
    }
    const auto visible = camera.ClientReach().ClipSegment(ViewPointOf(camera, caret->first),
                                                          ViewPointOf(camera, caret->second));
    if (!visible) {
        return;
    }
    const ClientPoint lower = camera.ViewToClient(visible->first);
    const ClientPoint upper = camera.ViewToClient(visible->second);
    painter.SetPen(PenStyle::Solid, kCaretWidth, kBlack);
    painter.DrawLine(lower.x, lower.y, upper.x, upper.y);
}
