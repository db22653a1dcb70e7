#pragma once

#include "document/TileRef.h"
#include "support/WString.h"

#include <optional>
#include <utility>
#include <vector>

// A line of free text placed on the map. It reuses the placed tile's transform, tint, free flag,
// selection, bounds and scaling, but has no image: its box is the measured extent of its text.
//
// Image coordinates are the text's own: x along the text from its start, y from the bottom of the
// box (0) to its top (the grid size when the text was last set); the baseline lies at 0.33 of the
// grid size. Kind and sort are -1, so text lies above every map tile.
class TextTile : public TileRef {
public:
    // Measuring happens at ten times the drawn size and is divided back, so that advances keep a
    // tenth of a unit of precision even for small text.
    static constexpr int kMeasureScale = 10;

    explicit TextTile(TileContext& context);
    ~TextTile() override;

    RasterCanvas* Image(bool flipped) const override;
    bool CanFlip() const override;
    void ReadXml(const XmlElement& element) override;
    void WriteAttributes(AttributeSink& sink) const override;
    TileKind Kind() const override;
    int CategoryPosition(const TileSet& tileSet) const override;
    int Sort() const override;
    bool HitTest(const Vec2& worldPt) const override;
    // Copies tint colour, free flag, text and transform; the strength stays the default one.
    void CopyFrom(const TileRef& other) override;
    void Snap() override;
    void UpdateBounds() override;
    bool IsFree() const override;

    const WString& Text() const { return text_; }
    // Stores and measures a different text (setting the changed flag), then refreshes the bounds.
    void SetText(const WString& text);
    // Inserts before the character at position; a text of one blank is replaced by the character.
    void InsertChar(char16_t unit, int position);
    void DeleteChar(int position);
    // No characters, or exactly one blank.
    bool IsEmptyText() const;

    float Width() const { return width_; }
    float Height() const { return height_; }
    // Offset i is the advance just after character i (0 for a line feed), in image units.
    const std::vector<float>& CaretOffsets() const { return caretOffsets_; }

    // The caret's lower and upper world points before character index; none when index is past the
    // end of the text.
    std::optional<std::pair<Vec2, Vec2>> CaretLine(int index) const;
    // The caret index a click at the world point gives: before the first character whose middle lies
    // to its right.
    int CaretIndexAt(const Vec2& worldPt) const;

protected:
    double ContentWidth() const override { return width_; }
    double ContentHeight() const override { return height_; }
    // Text lengths snap to quarter grid cells.
    double SnapLength(double length) const override;

private:
    void Measure();

    float width_ = 0.0f;
    float height_ = 0.0f;
    std::vector<float> caretOffsets_;
    WString text_;
};
