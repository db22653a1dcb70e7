#pragma once

#include "support/Vec2.h"

#include <array>

class Camera;
class CanvasPainter;
class TextTile;

// What the tools show on top of the map: the rubber band of a band selection, the text tool's box
// and the caret in the edited text. The tools set this state; every frame draws it inverted, so
// that it stays visible on any background. All points are in world units.
class FrameOverlays {
public:
    // The band runs from the press to the mouse; while it is in progress the text tool's box and
    // caret are not drawn.
    void StartBand(const Vec2& anchorWorldPt, const Vec2& currentWorldPt);
    void MoveBand(const Vec2& currentWorldPt);
    void EndBand() { bandActive_ = false; }
    bool IsBandActive() const { return bandActive_; }
    const Vec2& BandAnchor() const { return bandAnchor_; }
    const Vec2& BandCurrent() const { return bandCurrent_; }

    // The box and the caret belong to the text tool and are drawn only while it is the current tool.
    void SetTextToolActive(bool active) { textToolActive_ = active; }
    bool IsTextToolActive() const { return textToolActive_; }
    void SetTextBox(const std::array<Vec2, 4>& cornerWorldPts) { textBox_ = cornerWorldPts; }
    // All four corners at the origin: an outline of no size draws nothing.
    void ClearTextBox() { textBox_ = {}; }
    const std::array<Vec2, 4>& TextBox() const { return textBox_; }

    // The text tile the caret is shown in (hovered or being typed into), and the caret's character
    // index. The tile is not owned; the tool clears it before the tile can go away.
    void SetCaret(const TextTile* editedText, int caretIndex);
    void ClearCaret() { SetCaret(nullptr, 0); }
    const TextTile* EditedText() const { return editedText_; }
    int CaretIndex() const { return caretIndex_; }

    // Draws the band, or else the text tool's box and caret, inverting the pixels under them.
    void Draw(CanvasPainter& painter, const Camera& camera) const;

private:
    void DrawBand(CanvasPainter& painter, const Camera& camera) const;
    void DrawTextBox(CanvasPainter& painter, const Camera& camera) const;
    void DrawCaret(CanvasPainter& painter, const Camera& camera) const;

    bool bandActive_ = false;
    Vec2 bandAnchor_;
    Vec2 bandCurrent_;
    bool textToolActive_ = false;
    std::array<Vec2, 4> textBox_{};
    const TextTile* editedText_ = nullptr;
    int caretIndex_ = 0;
};
