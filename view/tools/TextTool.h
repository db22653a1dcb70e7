#pragma once

#include "support/Vec2.h"
#include "view/tools/MapTool.h"
#include "view/tools/ToolContext.h"

#include <array>

class TextTile;

// Creates and edits free text on the map. Hovering shows where a click would put the caret (over a
// text) or where new text would start (elsewhere); a click starts typing into the text under it or
// into a new one. Empty texts are removed whenever typing ends, so a click into space that is never
// typed into leaves nothing behind.
class TextTool : public MapTool {
public:
    static constexpr const char16_t* kStatusText =
        u"Text Tool : Left click on existing text to edit.  Left click in empty space to create new text.  "
        u"Press ENTER when finished typing text.";

    explicit TextTool(ToolContext& context) : ctx_(context) {}

    void Activate() override;
    void Deactivate() override;
    void LeftPress(const PointerEvent& event) override;
    void LeftRelease(const PointerEvent& event) override;
    void Move(const PointerEvent& event) override;
    // While typing every key belongs to the text: true for all of them.
    bool Key(ToolKey key) override;
    bool Character(char16_t unit) override;
    CursorShape Cursor() const override { return editing_ ? CursorShape::Arrow : CursorShape::IBeam; }
    WString StatusText() const override { return kStatusText; }

    bool IsEditing() const { return editing_; }
    const TextTile* EditedText() const { return edited_; }
    int Caret() const { return caret_; }
    // Deselects the edited text, forgets it and removes every empty text from the map.
    void EndEditing();
    // The hovered text may be gone (deleted, the document replaced): forget it without touching it.
    void Forget();

    // Where new text starts for a world point: the point less an eighth of the grid, each coordinate
    // rounded to a quarter of the grid (up beyond half a quarter).
    static Vec2 NewTextCorner(const Vec2& worldPt, int quarterGrid, int eighthGrid);
    // Characters that may be typed into a text: no control characters, no halves of a pair.
    static bool IsPrintable(char16_t unit);

private:
    void Hover(const Vec2& worldPt);
    void StartNewText(const Vec2& worldPt);
    void SetEdited(TextTile* text, int caret);
    void EditText(bool insert, char16_t unit, int position);

    ToolContext& ctx_;
    TextTile* edited_ = nullptr;
    int caret_ = 0;
    bool editing_ = false;
};
