#include "view/tools/ToolBox.h"

#include "document/CGridvellumDoc.h"
#include "document/EditOps.h"
#include "document/TileRef.h"
#include "tileset/TileDef.h"
#include "tileset/TilePanel.h"
#include "tileset/TileSet.h"
#include "view/Camera.h"
#include "view/FrameOverlays.h"
#include "view/FrameTiming.h"
#include "view/tools/ToolHost.h"

ToolBox::ToolBox(CGridvellumDoc& doc, EditOps& edits, Camera& camera, FrameOverlays& overlays, ToolHost& host,
                 FrameTiming& timing, TilePanel* panel)
    : doc_(doc), timing_(timing), panel_(panel),
      session_(doc), ctx_{doc, edits, camera, overlays, host, session_}, edit_(ctx_), pan_(ctx_),
      text_(ctx_) {}

MapTool& ToolBox::Tool(ViewTool tool) {
    switch (tool) {
    case ViewTool::Pan:
        return pan_;
    case ViewTool::Text:
        return text_;
    case ViewTool::Edit:
        break;
    }
    return edit_;
}

const MapTool& ToolBox::CurrentTool() const {
    return const_cast<ToolBox*>(this)->Tool(current_);
}

CursorShape ToolBox::Cursor() const {
    return refusedDrop_ ? CursorShape::Forbidden : CurrentTool().Cursor();
}

bool ToolBox::AnyDrag() const {
    return edit_.Busy() || pan_.Busy() || middlePan_ || refusedDrop_;
}

void ToolBox::ShowToolState() {
    ctx_.host.ShowStatus(CurrentTool().StatusText());
    ctx_.host.SetCursor(Cursor());
}

void ToolBox::SetTool(ViewTool tool) {
    // A temporary pan ends with any other choice of tool; the SPACE key sets it again after this.
    temporaryPan_ = false;
    // Every choice of tool ends typing, even choosing the tool that is current.
    if (tool != current_) {
        CurrentTool().Deactivate();
        current_ = tool;
        CurrentTool().Activate();
    } else if (tool == ViewTool::Text) {
        text_.EndEditing();
        ctx_.overlays.ClearTextBox();
    }
    ShowToolState();
    ctx_.host.ToolChanged(current_);
    ctx_.host.Repaint();
}

void ToolBox::Press(const PointerEvent& event) {
    ctx_.host.CaptureMouse(true);
    switch (event.button) {
    case kLeftButton:
        // A press while another button is down is ignored, and so is its release.
        if (event.Held(kRightButton | kMiddleButton)) {
            return;
        }
        session_.Begin();
        leftOwner_ = &CurrentTool();
        leftOwner_->LeftPress(event);
        break;
    case kRightButton:
        rightOwner_ = &CurrentTool();
        rightOwner_->RightPress(event);
        break;
    case kMiddleButton:
        if (!event.Held(kLeftButton | kRightButton)) {
            middlePressPt_ = event.client;
            ctx_.camera.BeginPan();
            middlePan_ = true;
        }
        break;
    default:
        break;
    }
    ctx_.host.SetCursor(Cursor());
}

void ToolBox::Move(const PointerEvent& event) {
    if (TakeDrop(event)) {
        ctx_.host.SetCursor(Cursor());
        if (refusedDrop_) {
            return;
        }
    }
    if (middlePan_ && event.Held(kMiddleButton)) {
        ctx_.camera.PanFromStart(event.client.x - middlePressPt_.x, event.client.y - middlePressPt_.y);
        ctx_.host.Repaint();
        return;
    }
    if (refusedDrop_) {
        return;
    }
    MapTool* tool = leftOwner_ != nullptr    ? leftOwner_
                    : rightOwner_ != nullptr ? rightOwner_
                                             : &CurrentTool();
    tool->Move(event);
    ctx_.host.SetCursor(Cursor());
}

void ToolBox::Release(const PointerEvent& event) {
    switch (event.button) {
    case kLeftButton:
        if (!event.Held(kRightButton | kMiddleButton)) {
            ctx_.host.CaptureMouse(false);
        }
        if (refusedDrop_) {
            refusedDrop_ = false;
            session_.Commit();
            ShowToolState();
        } else if (MapTool* owner = leftOwner_) {
            leftOwner_ = nullptr;
            owner->LeftRelease(event);
        }
        break;
    case kRightButton:
        if (!event.Held(kLeftButton | kMiddleButton)) {
            ctx_.host.CaptureMouse(false);
        }
        if (MapTool* owner = rightOwner_) {
            rightOwner_ = nullptr;
            owner->RightRelease(event);
        }
        break;
    case kMiddleButton:
        if (!event.Held(kLeftButton | kRightButton)) {
            ctx_.host.CaptureMouse(false);
        }
        middlePan_ = false;
        break;
    default:
        break;
    }
    ctx_.host.SetCursor(Cursor());
}

bool ToolBox::TakeDrop(const PointerEvent& event) {
    if (panel_ == nullptr || !panel_->Pick().dragging) {
        return false;
    }
    const PanelPick pick = panel_->Pick();
    panel_->ClearPick();
    // A pick whose button went up outside both windows must not drop a tile on a later move.
    if (!event.Held(kLeftButton) || AnyDrag()) {
        return false;
    }
    session_.Begin();
    TileRef* tile = doc_.AddTile(pick.definition);
    if (tile == nullptr) {
        RefuseDrop(pick.definition);
        return true;
    }
    if (const TileDef* definition = tile->Definition()) {
        if (pick.rightHalf && definition->HasFlipImage()) {
            tile->SetFlipped(true);
        }
        tile->SetScale(definition->XScale(), definition->YScale());
    }
    tile->UpdateBounds();
    SetTool(ViewTool::Edit);
    ctx_.host.CaptureMouse(true);
    edit_.StartDropMove(*tile);
    leftOwner_ = &edit_;
    return true;
}

void ToolBox::RefuseDrop(int definition) {
    refusedDrop_ = true;
    leftOwner_ = nullptr;
    ctx_.host.CaptureMouse(true);
    const TileSet& tileSet = doc_.Tiles();
    if (tileSet.IsValidDefinition(definition)) {
        // Why nothing happens: the tile's count against its maximum.
        ctx_.host.ShowStatus(tileSet.TileLabel(definition, doc_.CountPlaced(definition)));
    }
}

void ToolBox::CancelDrag() {
    if (refusedDrop_) {
        refusedDrop_ = false;
        session_.Cancel();
        ShowToolState();
    }
    for (MapTool* owner : {leftOwner_, rightOwner_}) {
        if (owner != nullptr) {
            owner->Cancel();
        }
    }
    // The buttons' releases that follow finish nothing.
    leftOwner_ = rightOwner_ = nullptr;
}

bool ToolBox::KeyDown(ToolKey key) {
    if (current_ == ViewTool::Text && text_.IsEditing()) {
        return text_.Key(key);
    }
    if (key == ToolKey::Escape) {
        if (!AnyDrag()) {
            return false;
        }
        CancelDrag();
        return true;
    }
    return KeyTable(key);
}

bool ToolBox::KeyTable(ToolKey key) {
    // Keys that edit wait while a drag runs: they would open a bracket inside the drag's.
    const bool idle = !AnyDrag();
    switch (key) {
    case ToolKey::F:
        if (idle) {
            ctx_.edits.FlipSelected();
        }
        break;
    case ToolKey::Space:
        if (idle && !temporaryPan_ && current_ != ViewTool::Pan) {
            remembered_ = current_;
            SetTool(ViewTool::Pan);
            temporaryPan_ = true;
        }
        return true;
    case ToolKey::Left:
        ArrowKey(-1.0f, 0.0f);
        break;
    case ToolKey::Right:
        ArrowKey(1.0f, 0.0f);
        break;
    case ToolKey::Up:
        ArrowKey(0.0f, 1.0f);
        break;
    case ToolKey::Down:
        ArrowKey(0.0f, -1.0f);
        break;
    case ToolKey::Delete:
        if (idle) {
            ctx_.edits.DeleteSelected();
            // The hovered text may have been among the deleted tiles.
            text_.Forget();
        }
        break;
    case ToolKey::KeypadPlus:
        ctx_.camera.KeypadZoomIn();
        break;
    case ToolKey::KeypadMinus:
        ctx_.camera.KeypadZoomOut();
        break;
    case ToolKey::F9:
        timing_.StartMeasurement();
        break;
    default:
        return false;
    }
    ctx_.host.Repaint();
    return true;
}

void ToolBox::ArrowKey(float dx, float dy) {
    if (doc_.SelectedCount() == 0) {
        // The picture moves against the arrow, as if the eye moved with it.
        ctx_.camera.PanBy(-dx * kArrowPanPixels, -dy * kArrowPanPixels);
        return;
    }
    if (AnyDrag()) {
        return;
    }
    const float step = doc_.AnySelectedSnaps() ? static_cast<float>(doc_.Tiles().GridSize()) : 1.0f;
    session_.Begin();
    ctx_.edits.TransformSelected(Matrix3::Translation(dx * step, dy * step));
    session_.Commit();
}

bool ToolBox::KeyUp(ToolKey key) {
    if (key != ToolKey::Space || !temporaryPan_ || current_ != ViewTool::Pan) {
        return false;
    }
    temporaryPan_ = false;
    SetTool(remembered_);
    return true;
}

bool ToolBox::Character(char16_t unit) {
    return current_ == ViewTool::Text && text_.Character(unit);
}

void ToolBox::DocumentReplaced() {
    edit_.Forget();
    text_.Forget();
    session_.Cancel();
    ctx_.overlays.EndBand();
    leftOwner_ = rightOwner_ = nullptr;
    refusedDrop_ = false;
    middlePan_ = false;
}
