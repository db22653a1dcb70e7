#include "view/tools/TextTool.h"

#include "document/CGridvellumDoc.h"
#include "document/ProgramState.h"
#include "document/TextTile.h"
#include "tileset/TileSet.h"
#include "view/Camera.h"
#include "view/FrameOverlays.h"
#include "view/tools/EditSession.h"
#include "view/tools/ToolHost.h"

#include <cmath>
#include <memory>

namespace {

double RoundToQuarter(double v, int quarterGrid, int eighthGrid) {
    if (quarterGrid <= 0) {
        return v;
    }
    double r = std::fmod(v, quarterGrid);
    if (r < 0.0) {
        r += quarterGrid;
    }
    return r > eighthGrid ? v - r + quarterGrid : v - r;
}

} // namespace

Vec2 TextTool::NewTextCorner(const Vec2& worldPt, int quarterGrid, int eighthGrid) {
    return Vec2(static_cast<float>(RoundToQuarter(worldPt.X() - eighthGrid, quarterGrid, eighthGrid)),
                static_cast<float>(RoundToQuarter(worldPt.Y() - eighthGrid, quarterGrid, eighthGrid)));
}

bool TextTool::IsPrintable(char16_t unit) {
    const bool control = unit < 0x20 || (unit >= 0x7F && unit <= 0x9F);
    // A text holds whole characters: a lone half of a surrogate pair would corrupt it on saving.
    const bool surrogate = unit >= 0xD800 && unit <= 0xDFFF;
    const bool nonCharacter = unit == 0xFFFE || unit == 0xFFFF;
    return !control && !surrogate && !nonCharacter;
}

void TextTool::Activate() {
    ctx_.overlays.ClearTextBox();
    ctx_.overlays.SetTextToolActive(true);
}

void TextTool::Deactivate() {
    EndEditing();
    ctx_.overlays.ClearTextBox();
    ctx_.overlays.SetTextToolActive(false);
}

void TextTool::SetEdited(TextTile* text, int caret) {
    edited_ = text;
    caret_ = caret;
    ctx_.overlays.SetCaret(edited_, caret_);
}

void TextTool::EndEditing() {
    if (edited_ != nullptr) {
        edited_->SetSelected(false);
    }
    SetEdited(nullptr, 0);
    editing_ = false;
    ctx_.doc.RemoveEmptyTexts();
    ctx_.host.Repaint();
}

void TextTool::Forget() {
    SetEdited(nullptr, 0);
    editing_ = false;
    ctx_.overlays.ClearTextBox();
}

void TextTool::Move(const PointerEvent& event) {
    if (!editing_) {
        Hover(ctx_.camera.ClientToWorld(event.client));
    }
}

void TextTool::Hover(const Vec2& worldPt) {
    int caret = 0;
    TextTile* text = ctx_.doc.HitTestText(worldPt, caret);
    SetEdited(text, caret);
    if (text != nullptr) {
        const float w = text->Width();
        const float h = text->Height();
        const Matrix3& m = text->Transform();
        ctx_.overlays.SetTextBox({m.TransformPoint(Vec2(0, 0)), m.TransformPoint(Vec2(w, 0)),
                                  m.TransformPoint(Vec2(w, h)), m.TransformPoint(Vec2(0, h))});
    } else {
        const TileSet& tileSet = ctx_.doc.Tiles();
        const float quarter = static_cast<float>(tileSet.QuarterGridSize());
        const float grid = static_cast<float>(tileSet.GridSize());
        const Vec2 o = NewTextCorner(worldPt, tileSet.QuarterGridSize(), tileSet.EighthGridSize());
        ctx_.overlays.SetTextBox({o, o + Vec2(quarter, 0), o + Vec2(quarter, grid), o + Vec2(0, grid)});
    }
    ctx_.host.Repaint();
}

void TextTool::LeftPress(const PointerEvent& event) {
    if (editing_) {
        EndEditing();
        return;
    }
    const Vec2 worldPt = ctx_.camera.ClientToWorld(event.client);
    int caret = 0;
    TextTile* text = ctx_.doc.HitTestText(worldPt, caret);
    if (text != nullptr) {
        SetEdited(text, caret);
    } else {
        StartNewText(worldPt);
    }
    ctx_.overlays.ClearTextBox();
    ctx_.doc.DeselectAll();
    edited_->SetSelected(true);
    editing_ = true;
    ctx_.host.Repaint();
}

void TextTool::StartNewText(const Vec2& worldPt) {
    CGridvellumDoc& doc = ctx_.doc;
    ctx_.session.Begin();
    auto text = std::make_unique<TextTile>(doc.Context());
    const Matrix3& m = text->Transform();
    const double eighth = doc.Tiles().EighthGridSize();
    Matrix3 placed = m;
    placed.Set(m.m11(), m.m12(), m.m21(), m.m22(), worldPt.X() - eighth, worldPt.Y() - eighth);
    text->SetTransform(placed);
    text->SetText(WString());
    text->Snap();
    TextTile* added = text.get();
    doc.InsertTile(std::move(text));
    // A new text is a change of its own: undo takes it away again.
    doc.State().changed = true;
    SetEdited(added, 0);
    ctx_.session.Commit();
}

void TextTool::LeftRelease(const PointerEvent&) {
    ctx_.session.Commit();
}

void TextTool::EditText(bool insert, char16_t unit, int position) {
    ctx_.session.Begin();
    if (insert) {
        edited_->InsertChar(unit, position);
    } else {
        edited_->DeleteChar(position);
    }
    ctx_.session.Commit();
    ctx_.overlays.SetCaret(edited_, caret_);
    ctx_.host.Repaint();
}

bool TextTool::Character(char16_t unit) {
    if (!editing_ || edited_ == nullptr || !IsPrintable(unit)) {
        return editing_;
    }
    // A text of one blank takes the character in place of the blank.
    const bool replacesBlank = edited_->Text().Length() == 1 && edited_->Text().At(0) == u' ';
    caret_ = replacesBlank ? 0 : caret_;
    const int at = caret_;
    ++caret_;
    EditText(true, unit, at);
    return true;
}

bool TextTool::Key(ToolKey key) {
    if (!editing_ || edited_ == nullptr) {
        return false;
    }
    const int length = edited_->Text().Length();
    switch (key) {
    case ToolKey::Enter:
    case ToolKey::Escape:
        EndEditing();
        return true;
    case ToolKey::Backspace:
        if (caret_ > 0) {
            --caret_;
            EditText(false, 0, caret_);
        }
        return true;
    case ToolKey::Delete:
        if (caret_ < length) {
            EditText(false, 0, caret_);
        }
        return true;
    case ToolKey::Left:
        caret_ = caret_ > 0 ? caret_ - 1 : 0;
        break;
    case ToolKey::Right:
        caret_ = caret_ < length ? caret_ + 1 : length;
        break;
    case ToolKey::Home:
        caret_ = 0;
        break;
    case ToolKey::End:
        caret_ = length;
        break;
    default:
        return true;
    }
    ctx_.overlays.SetCaret(edited_, caret_);
    ctx_.host.Repaint();
    return true;
}
