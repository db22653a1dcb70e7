#include "view/FrameOverlays.h"

#include "document/TextTile.h"
#include "platform/CanvasPainter.h"
#include "view/Camera.h"

namespace {
constexpr std::uint32_t kBlack = 0x00000000;
// Pen widths in pixels; 0 is the thinnest line the platform draws.
constexpr int kHairline = 0;
constexpr int kCaretWidth = 2;
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
    const ClientPoint a = camera.WorldToClient(bandAnchor_);
    const ClientPoint b = camera.WorldToClient(bandCurrent_);
    const ClientPoint corners[5] = {{a.x, a.y}, {b.x, a.y}, {b.x, b.y}, {a.x, b.y}, {a.x, a.y}};
    painter.SetPen(PenStyle::Dot, kHairline, kBlack);
    painter.Polyline(corners, 5);
}

void FrameOverlays::DrawTextBox(CanvasPainter& painter, const Camera& camera) const {
    ClientPoint corners[5];
    for (int i = 0; i < 4; ++i) {
        corners[i] = camera.WorldToClient(textBox_[i]);
    }
    corners[4] = corners[0];
    painter.SetPen(PenStyle::Solid, kHairline, kBlack);
    painter.Polyline(corners, 5);
}

void FrameOverlays::DrawCaret(CanvasPainter& painter, const Camera& camera) const {
    if (editedText_ == nullptr) {
        return;
    }
    const auto caret = editedText_->CaretLine(caretIndex_);
    if (!caret) {
        return;
    }
    const ClientPoint lower = camera.WorldToClient(caret->first);
    const ClientPoint upper = camera.WorldToClient(caret->second);
    painter.SetPen(PenStyle::Solid, kCaretWidth, kBlack);
    painter.DrawLine(lower.x, lower.y, upper.x, upper.y);
}
