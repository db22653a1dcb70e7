#include "view/tools/EditTool.h"

#include "document/CGridvellumDoc.h"
#include "document/EditOps.h"
#include "document/Flags.h"
#include "document/MovementPath.h"
#include "document/ProgramState.h"
#include "document/TileRef.h"
#include "tileset/TileSet.h"
#include "view/Camera.h"
#include "view/FrameOverlays.h"
#include "view/ResizeHandles.h"
#include "view/tools/EditSession.h"
#include "view/tools/ToolHost.h"

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <unordered_set>

namespace {
constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kQuarter = std::numbers::pi / 2.0;
// Keeps an angle a hair below a whole turn from wrapping to just under 2 pi.
constexpr double kWrapGuard = 1.0e-6;
} // namespace

EditTool::EditTool(ToolContext& context) : ctx_(context) {}

double EditTool::SnapToQuarterTurn(double angle) {
    double turn = std::fmod(angle + kWrapGuard, kTwoPi) - kWrapGuard;
    if (turn < 0.0) {
        turn += kTwoPi;
    }
    // Each quarter turn takes the half quarter on either side of it.
    for (int quarter = 0; quarter < 4; ++quarter) {
        if (turn <= (quarter + 0.5) * kQuarter) {
            return quarter * kQuarter;
        }
    }
    return kTwoPi;
}

bool EditTool::IsShortClick(long long heldMilliseconds, int dx, int dy) {
    return heldMilliseconds < kShortClickMilliseconds && std::abs(dx) < kShortClickPixels &&
           std::abs(dy) < kShortClickPixels;
}

Vec2 EditTool::WorldAt(ClientPoint clientPt) const {
    return ctx_.camera.ClientToWorld(clientPt);
}

int EditTool::HandleAt(ClientPoint clientPt) const {
    const auto handles = ShownResizeHandles(ctx_.doc);
    if (!handles) {
        return -1;
    }
    int found = -1;
    // When handles overlap (a tiny tile) the last one tested wins.
    for (size_t i = 0; i < handles->size(); ++i) {
        const ClientPoint at = ctx_.camera.WorldToClient((*handles)[i]);
        if (std::abs(at.x - clientPt.x) <= kHandleReach && std::abs(at.y - clientPt.y) <= kHandleReach) {
            found = kHandleCodeOfPoint[i];
        }
    }
    return found;
}

bool EditTool::BandIsLargeEnough() const {
    const ClientPoint a = ctx_.camera.WorldToClient(bandStart_);
    const ClientPoint b = ctx_.camera.WorldToClient(bandEnd_);
    return std::abs(a.x - b.x) >= kBandMinPixels || std::abs(a.y - b.y) >= kBandMinPixels;
}

void EditTool::RememberPress(ClientPoint clientPt) {
    pressPt_ = clientPt;
    RememberSelection();
}

void EditTool::RememberSelection() {
    droppedTile_ = nullptr;
    selectionAtPress_.clear();
    for (int i = 0; i < ctx_.doc.TileCount(); ++i) {
        TileRef* tile = ctx_.doc.TileAt(i);
        if (tile != nullptr && tile->IsSelected()) {
            selectionAtPress_.push_back(tile);
        }
    }
}

void EditTool::StartBand(Drag kind, const Vec2& worldPt) {
    ctx_.doc.SaveSelection();
    bandStart_ = bandEnd_ = worldPt;
    ctx_.overlays.StartBand(bandStart_, bandEnd_);
    drag_ = kind;
}

void EditTool::SaveTransforms() {
    savedTransforms_.clear();
    ctx_.edits.SaveSelectedTransforms(savedTransforms_);
    pressTransforms_ = savedTransforms_;
}

void EditTool::StartMove(const Vec2& grabWorldPt) {
    grabWorldPt_ = grabWorldPt;
    SaveTransforms();
    drag_ = Drag::Move;
}

void EditTool::LeftPress(const PointerEvent& event) {
    if (drag_ == Drag::Rotate) {
        return;
    }
    drag_ = Drag::None;
    RememberPress(event.client);
    const Vec2 worldPt = WorldAt(event.client);
    CGridvellumDoc& doc = ctx_.doc;
    if (event.shift) {
        StartBand(Drag::BandAdd, worldPt);
    } else if (event.control) {
        StartBand(Drag::BandRemove, worldPt);
    } else if (const int handle = HandleAt(event.client); handle >= 0) {
        // A press happens where the pointer is, so the press point stands for the last mouse point.
        handle_ = handle;
        SaveTransforms();
        drag_ = Drag::Resize;
    } else if (TileRef* hit = doc.HitTestSelectable(worldPt)) {
        if (!hit->IsSelected()) {
            doc.DeselectAll();
            hit->SetSelected(true);
        }
        ctx_.edits.RaiseSelected();
        if (doc.State().recordPaths) {
            MovementPath::RecordPathStep(doc);
        }
        StartMove(worldPt);
    } else {
        doc.DeselectAll();
        StartBand(Drag::BandAdd, worldPt);
    }
    ctx_.host.Repaint();
}

void EditTool::StartDropMove(TileRef& tile) {
    pressPt_ = ctx_.camera.WorldToClient(tile.Bounds().Centre());
    // Escape after a drop leaves the map as it was: without the new tile, the old selection kept.
    selectionAtPress_.clear();
    for (int i = 0; i < ctx_.doc.TileCount(); ++i) {
        TileRef* other = ctx_.doc.TileAt(i);
        if (other != nullptr && other != &tile && other->IsSelected()) {
            selectionAtPress_.push_back(other);
        }
    }
    ctx_.doc.DeselectAll();
    tile.SetSelected(true);
    StartMove(tile.Bounds().Centre());
    droppedTile_ = &tile;
    cursor_ = CursorShape::SizeAll;
}

void EditTool::Move(const PointerEvent& event) {
    switch (drag_) {
    case Drag::BandAdd:
    case Drag::BandRemove:
        UpdateBand(WorldAt(event.client));
        break;
    case Drag::Resize:
        ctx_.edits.ResizeSelected(WorldAt(event.client), handle_, false);
        break;
    case Drag::Move:
        UpdateMove(event.client);
        break;
    case Drag::Rotate:
        UpdateRotation(event.client);
        break;
    case Drag::None:
        UpdateHover(event);
        return;
    }
    ctx_.host.Repaint();
}

void EditTool::UpdateBand(const Vec2& worldPt) {
    bandEnd_ = worldPt;
    ctx_.overlays.MoveBand(bandEnd_);
    ctx_.doc.RestoreSelection();
    if (!BandIsLargeEnough()) {
        return;
    }
    Rect2 band;
    band.Set(bandStart_);
    band.Extend(bandEnd_);
    if (drag_ == Drag::BandAdd) {
        ctx_.doc.SelectInRect(band);
    } else {
        ctx_.doc.DeselectInRect(band);
    }
}

void EditTool::AutoScroll(ClientPoint clientPt) {
    const Camera& camera = ctx_.camera;
    const int sx = clientPt.x < 0                      ? -kAutoScrollPixels
                   : clientPt.x > camera.ClientWidth() ? kAutoScrollPixels
                                                       : 0;
    const int sy = clientPt.y < 0                       ? -kAutoScrollPixels
                   : clientPt.y > camera.ClientHeight() ? kAutoScrollPixels
                                                        : 0;
    if (sx != 0 || sy != 0) {
        // Client y runs down, view y up.
        ctx_.camera.SetViewMatrix(camera.ViewMatrix() * Matrix3::Translation(-sx, sy));
    }
}

void EditTool::UpdateMove(ClientPoint clientPt) {
    // The view scrolls first, so the tiles land under the mouse in the frame this move draws.
    AutoScroll(clientPt);
    const Vec2 worldPt = WorldAt(clientPt);
    ctx_.edits.MoveSelectedFrom(savedTransforms_, static_cast<double>(worldPt.X()) - grabWorldPt_.X(),
                                static_cast<double>(worldPt.Y()) - grabWorldPt_.Y());
}

double EditTool::RotationAngle(ClientPoint clientPt) const {
    const Vec2 from = worldRightPressPt_ - pivot_;
    const Vec2 to = WorldAt(clientPt) - pivot_;
    return std::atan2(static_cast<double>(to.Y()), static_cast<double>(to.X())) -
           std::atan2(static_cast<double>(from.Y()), static_cast<double>(from.X()));
}

void EditTool::UpdateRotation(ClientPoint clientPt) {
    if (std::abs(clientPt.x - rightPressPt_.x) > kRightDragPixels ||
        std::abs(clientPt.y - rightPressPt_.y) > kRightDragPixels) {
        rightDragged_ = true;
    }
    ctx_.edits.RotateSelectedAbout(savedTransforms_, pivot_, RotationAngle(clientPt));
}

void EditTool::LeftRelease(const PointerEvent& event) {
    if (drag_ == Drag::Resize) {
        ctx_.edits.ResizeSelected(WorldAt(event.client), handle_, true);
        drag_ = Drag::None;
        ctx_.host.Repaint();
        ctx_.session.Commit();
        return;
    }
    if (drag_ == Drag::Rotate) {
        return;
    }
    if ((drag_ == Drag::BandAdd || drag_ == Drag::BandRemove) && !BandIsLargeEnough()) {
        // A click: SHIFT or CONTROL toggles the tile under it, a plain click on empty space clears.
        ctx_.doc.RestoreSelection();
        if (TileRef* hit = ctx_.doc.HitTestSelectable(WorldAt(pressPt_))) {
            hit->SetSelected(!hit->IsSelected());
        }
    }
    FinishLeftDrag();
}

void EditTool::FinishLeftDrag() {
    drag_ = Drag::None;
    droppedTile_ = nullptr;
    ctx_.overlays.EndBand();
    savedTransforms_.clear();
    SettleSelection();
}

void EditTool::DropRepeatedStepsIfRecording() {
    if (ctx_.doc.State().recordPaths) {
        MovementPath::DropRepeatedSteps(ctx_.doc);
    }
}

void EditTool::SettleSelection() {
    ctx_.edits.SnapSelection();
    DropRepeatedStepsIfRecording();
    ctx_.host.Repaint();
    ctx_.session.Commit();
}

void EditTool::RightPress(const PointerEvent& event) {
    rightDragged_ = false;
    rightPressPt_ = event.client;
    menuTile_ = nullptr;
    // A right press while the left button drags (or the middle one pans) starts nothing; its release
    // may still turn a moving selection.
    if (drag_ != Drag::None || event.Held(kLeftButton | kMiddleButton)) {
        return;
    }
    CGridvellumDoc& doc = ctx_.doc;
    const Vec2 worldPt = WorldAt(event.client);
    menuTile_ = doc.HitTestVisible(worldPt);
    rightPressMs_ = event.ms;
    TileRef* hit = doc.HitTestSelectable(worldPt);
    if (hit == nullptr) {
        return;
    }
    ctx_.session.Begin();
    RememberSelection();
    if (!hit->IsSelected()) {
        doc.DeselectAll();
        hit->SetSelected(true);
    }
    ctx_.edits.RaiseSelected();
    SaveTransforms();
    pivot_ = doc.DocumentBounds(true, false).Centre();
    worldRightPressPt_ = worldPt;
    drag_ = Drag::Rotate;
    if (doc.State().recordPaths) {
        MovementPath::RecordPathStep(doc);
    }
    ctx_.host.Repaint();
}

void EditTool::RightRelease(const PointerEvent& event) {
    const bool shortClick =
        !rightDragged_ && IsShortClick(event.ms - rightPressMs_, event.client.x - rightPressPt_.x,
                                       event.client.y - rightPressPt_.y);
    if (shortClick && drag_ != Drag::Move && ContainsTile(menuTile_) && menuTile_->LocalFlagCount() > 0) {
        if (drag_ == Drag::Rotate) {
            // A click turns nothing, not even by the hair the mouse trembled.
            ctx_.edits.RestoreSelectedTransforms(savedTransforms_);
            drag_ = Drag::None;
            savedTransforms_.clear();
            SettleSelection();
        }
        ShowLocalFlagsMenu(event.client);
        return;
    }
    if (drag_ == Drag::Rotate) {
        FinishRotation(event.client);
    } else if (drag_ == Drag::Move) {
        TurnMovingSelection(event.client);
    }
}

void EditTool::FinishRotation(ClientPoint clientPt) {
    double angle = RotationAngle(clientPt);
    if (ctx_.doc.AnySelectedSnaps()) {
        angle = SnapToQuarterTurn(angle);
    }
    ctx_.edits.RotateSelectedAbout(savedTransforms_, pivot_, angle);
    drag_ = Drag::None;
    savedTransforms_.clear();
    SettleSelection();
}

void EditTool::TurnMovingSelection(ClientPoint clientPt) {
    // Escape still returns the tiles to where the press found them, unturned.
    const std::vector<Matrix3> atPress = savedTransforms_;
    ctx_.edits.RotateSelected90();
    DropRepeatedStepsIfRecording();
    // The move goes on from the turned tiles, grabbed where the mouse is now.
    StartMove(WorldAt(clientPt));
    pressTransforms_ = atPress;
    ctx_.host.Repaint();
}

void EditTool::ShowLocalFlagsMenu(ClientPoint clientPt) {
    TileRef* tile = menuTile_;
    std::vector<PopupItem> items;
    const std::vector<Flags::MenuItem> flags = Flags::LocalFlagMenu(*tile);
    for (size_t i = 0; i < flags.size() && static_cast<int>(i) < kLocalFlagCommands; ++i) {
        items.push_back(
            PopupItem{kFirstLocalFlagCommand + static_cast<int>(i), flags[i].label, flags[i].checked});
    }
    const int chosen = ctx_.host.PopupMenu(kLocalFlagsTitle, items, clientPt);
    const int index = chosen - kFirstLocalFlagCommand;
    if (index >= 0 && index < static_cast<int>(items.size()) && ContainsTile(tile)) {
        Flags::ToggleLocalFlag(ctx_.doc, tile, index);
        menuTile_ = nullptr;
        ctx_.host.Repaint();
    }
}

bool EditTool::ContainsTile(const TileRef* tile) const {
    if (tile == nullptr) {
        return false;
    }
    for (int i = 0; i < ctx_.doc.TileCount(); ++i) {
        if (ctx_.doc.TileAt(i) == tile) {
            return true;
        }
    }
    return false;
}

void EditTool::RestoreSelectionAtPress() {
    std::unordered_set<const TileRef*> present;
    for (int i = 0; i < ctx_.doc.TileCount(); ++i) {
        present.insert(ctx_.doc.TileAt(i));
    }
    ctx_.doc.DeselectAll();
    for (TileRef* tile : selectionAtPress_) {
        if (present.count(tile) != 0) {
            tile->SetSelected(true);
        }
    }
}

void EditTool::Cancel() {
    if (drag_ == Drag::None) {
        return;
    }
    if (drag_ == Drag::Move || drag_ == Drag::Rotate || drag_ == Drag::Resize) {
        ctx_.edits.RestoreSelectedTransforms(pressTransforms_);
        DropRepeatedStepsIfRecording();
    }
    if (droppedTile_ != nullptr) {
        for (int i = 0; i < ctx_.doc.TileCount(); ++i) {
            if (ctx_.doc.TileAt(i) == droppedTile_) {
                ctx_.doc.ReleaseTile(i);
            }
        }
        ctx_.doc.CompactTiles();
        droppedTile_ = nullptr;
    }
    RestoreSelectionAtPress();
    ctx_.overlays.EndBand();
    savedTransforms_.clear();
    pressTransforms_.clear();
    drag_ = Drag::None;
    ctx_.session.Cancel();
    ctx_.host.Repaint();
}

void EditTool::UpdateHover(const PointerEvent& event) {
    // Beside the client area (over the view's border) the cursor is the four-headed arrow, and the
    // tile under the tool tip stays the last one found inside.
    const ClientPoint at = event.client;
    if (at.x < 0 || at.y < 0 || at.x >= ctx_.camera.ClientWidth() || at.y >= ctx_.camera.ClientHeight()) {
        cursor_ = CursorShape::SizeAll;
        return;
    }
    TileRef* under = ctx_.doc.HitTestSelectable(WorldAt(event.client));
    if (event.shift || event.control) {
        cursor_ = CursorShape::Arrow;
    } else if (HandleAt(event.client) >= 0) {
        cursor_ = CursorShape::Cross;
    } else {
        cursor_ = under != nullptr ? CursorShape::SizeAll : CursorShape::Arrow;
    }
    if (under == tipTile_) {
        return;
    }
    tipTile_ = under;
    WString tip;
    if (under != nullptr && under->Kind() != TileKinds::kText && under->Definition() != nullptr) {
        const int definition = static_cast<int>(under->DefinitionIndex());
        tip = ctx_.doc.Tiles().TileLabel(definition, ctx_.doc.CountPlaced(definition));
    }
    ctx_.host.SetToolTip(tip);
}

void EditTool::Forget() {
    drag_ = Drag::None;
    savedTransforms_.clear();
    pressTransforms_.clear();
    selectionAtPress_.clear();
    droppedTile_ = nullptr;
    menuTile_ = nullptr;
    tipTile_ = nullptr;
}
