#include "document/EditOps.h"

#include "document/CGridvellumDoc.h"
#include "document/DocumentHost.h"
#include "document/ProgramState.h"
#include "document/TextTile.h"
#include "document/TileRef.h"
#include "document/UndoHistory.h"
#include "tileset/TileSet.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

// A dialog value 0 .. 1 as a colour byte, the fraction dropped.
std::uint8_t ColorByte(double value) {
    if (!(value > 0.0)) {
        return 0;
    }
    return static_cast<std::uint8_t>(std::min(value, 1.0) * 255.0);
}

// Runs an edit: everything the action does between BeginEdit and CommitEdit becomes at most one step.
template <typename Action> bool RunEdit(CGridvellumDoc& doc, Action action) {
    UndoHistory history(doc);
    history.BeginEdit();
    action();
    return history.CommitEdit();
}

} // namespace

EditOps::EditOps(CGridvellumDoc& doc, DocumentHost* host) : doc_(doc), host_(host) {}

EditOps::~EditOps() = default;

void EditOps::Repaint() const {
    if (host_ != nullptr) {
        host_->RepaintMap();
    }
}

template <typename Action> void EditOps::ForEachSelected(Action action) {
    for (int i = 0; i < doc_.TileCount(); ++i) {
        TileRef* tile = doc_.TileAt(i);
        if (tile != nullptr && tile->IsSelected()) {
            action(*tile);
        }
    }
}

std::unique_ptr<TileRef> EditOps::MakeCopy(const TileRef& source) const {
    std::unique_ptr<TileRef> copy;
    if (source.Kind() == TileKinds::kText) {
        copy = std::make_unique<TextTile>(doc_.Context());
    } else {
        copy = std::make_unique<TileRef>(doc_.Context());
    }
    copy->CopyFrom(source);
    return copy;
}

void EditOps::CopySelected() {
    if (doc_.SelectedCount() == 0) {
        return;
    }
    clipboard_.clear();
    ForEachSelected([this](TileRef& tile) {
        std::unique_ptr<TileRef> copy = MakeCopy(tile);
        copy->SetSelected(false);
        clipboard_.push_back(std::move(copy));
    });
}

bool EditOps::CutSelected() {
    CopySelected();
    return DeleteSelected();
}

bool EditOps::MayPaste(const TileRef& copy) const {
    if (doc_.CategoryState(copy) != kCategoryUnlocked) {
        return false;
    }
    if (copy.Kind() == TileKinds::kText) {
        return true;
    }
    const int definition = static_cast<int>(copy.DefinitionIndex());
    return doc_.Tiles().MayPlace(definition, doc_.CountPlaced(definition));
}

bool EditOps::PasteAt(const Vec2& worldPt) {
    if (clipboard_.empty()) {
        return false;
    }
    return RunEdit(doc_, [&] {
        doc_.DeselectAll();
        for (const std::unique_ptr<TileRef>& copy : clipboard_) {
            if (!MayPaste(*copy)) {
                continue;
            }
            std::unique_ptr<TileRef> pasted = MakeCopy(*copy);
            pasted->SetSelected(true);
            doc_.InsertTile(std::move(pasted));
            doc_.State().changed = true;
            Repaint();
        }
        const Vec2 centre = doc_.DocumentBounds(true, false).Centre();
        TransformSelected(Matrix3::Translation(static_cast<double>(worldPt.X()) - centre.X(),
                                               static_cast<double>(worldPt.Y()) - centre.Y()));
        SnapSelection();
    });
}

bool EditOps::DeleteSelected() {
    const bool step = RunEdit(doc_, [this] {
        for (int i = 0; i < doc_.TileCount(); ++i) {
            TileRef* tile = doc_.TileAt(i);
            if (tile != nullptr && tile->IsSelected()) {
                doc_.ReleaseTile(i);
                doc_.State().changed = true;
            }
        }
        doc_.CompactTiles();
    });
    Repaint();
    return step;
}

bool EditOps::FlipSelected() {
    return RunEdit(doc_, [this] {
        ForEachSelected([this](TileRef& tile) {
            if (tile.CanFlip()) {
                tile.SetFlipped(!tile.IsFlipped());
                // The flip image may have another size; hit tests and culling need its box.
                tile.UpdateBounds();
                doc_.State().changed = true;
            }
        });
    });
}

bool EditOps::ScaleSelected(double sx, double sy) {
    return RunEdit(doc_, [&] { ForEachSelected([&](TileRef& tile) { tile.SetScale(sx, sy); }); });
}

bool EditOps::SetSelectedFree(bool free) {
    if (doc_.SelectedCount() == 0) {
        return false;
    }
    return RunEdit(doc_, [&] {
        ForEachSelected([free](TileRef& tile) { tile.SetFree(free); });
        SnapSelection();
    });
}

bool EditOps::SetSelectedColor(bool tinted, double red, double green, double blue, double strength) {
    return RunEdit(doc_, [&] {
        ForEachSelected([&](TileRef& tile) {
            tile.SetTinted(tinted);
            if (tinted) {
                tile.SetTintColor(Rgb8(ColorByte(red), ColorByte(green), ColorByte(blue)));
                tile.SetStrength(std::clamp(strength, 0.0, 1.0));
            }
        });
    });
}

void EditOps::TransformSelected(const Matrix3& matrix) {
    ForEachSelected([&matrix](TileRef& tile) {
        tile.SetTransform(tile.Transform() * matrix);
        tile.UpdateBounds();
    });
}

void EditOps::RotateSelected90() {
    if (doc_.SelectedCount() == 0) {
        return;
    }
    const Vec2 centre = doc_.DocumentBounds(true, false).Centre();
    const Matrix3 turn = Matrix3::Translation(-centre.X(), -centre.Y()) *
                         Matrix3::Rotation(std::numbers::pi / 2) *
                         Matrix3::Translation(centre.X(), centre.Y());
    ForEachSelected([&turn](TileRef& tile) { tile.SetTransform(tile.Transform() * turn); });
}

void EditOps::SaveSelectedTransforms(std::vector<Matrix3>& out) const {
    for (int i = 0; i < doc_.TileCount(); ++i) {
        const TileRef* tile = doc_.TileAt(i);
        if (tile != nullptr && tile->IsSelected()) {
            out.push_back(tile->Transform());
        }
    }
}

void EditOps::RotateSelectedAbout(const std::vector<Matrix3>& saved, const Vec2& pivot, double angle) {
    if (doc_.SelectedCount() == 0) {
        return;
    }
    const Matrix3 turn = Matrix3::Translation(-pivot.X(), -pivot.Y()) * Matrix3::Rotation(angle) *
                         Matrix3::Translation(pivot.X(), pivot.Y());
    PlaceSelectedFrom(saved, turn);
}

void EditOps::MoveSelectedFrom(const std::vector<Matrix3>& saved, double worldDx, double worldDy) {
    PlaceSelectedFrom(saved, Matrix3::Translation(worldDx, worldDy));
}

void EditOps::RestoreSelectedTransforms(const std::vector<Matrix3>& saved) {
    PlaceSelectedFrom(saved, Matrix3());
}

void EditOps::PlaceSelectedFrom(const std::vector<Matrix3>& saved, const Matrix3& change) {
    size_t index = 0;
    ForEachSelected([&](TileRef& tile) {
        if (index < saved.size()) {
            tile.SetTransform(saved[index] * change);
        }
        ++index;
        tile.UpdateBounds();
    });
}

void EditOps::ResizeSelected(const Vec2& worldPt, int handle, bool snap) {
    for (int i = 0; i < doc_.TileCount(); ++i) {
        TileRef* tile = doc_.TileAt(i);
        if (tile != nullptr && tile->IsSelected()) {
            tile->ResizeByHandle(worldPt, handle, snap);
            return;
        }
    }
}

void EditOps::SnapSelection() {
    if (!doc_.AnySelectedSnaps()) {
        return;
    }
    bool allText = true;
    bool several = false;
    const TileRef* first = nullptr; // the first selected tile that snaps
    for (int i = 0; i < doc_.TileCount(); ++i) {
        const TileRef* tile = doc_.TileAt(i);
        if (tile == nullptr || !tile->IsSelected()) {
            continue;
        }
        if (tile->Kind() != TileKinds::kText) {
            allText = false;
        }
        if (first != nullptr || tile->IsFree()) {
            several = true;
            if (first != nullptr) {
                break;
            }
        } else {
            first = tile;
            if (several) {
                break;
            }
        }
    }
    if (several && first != nullptr) {
        // The whole group moves by one offset, so the tiles keep their arrangement until each snaps.
        const TileSet& tileSet = doc_.Tiles();
        const int grid = allText ? tileSet.QuarterGridSize() : tileSet.GridSize();
        const int threshold = allText ? tileSet.EighthGridSize() : tileSet.GridSize() / 2;
        const Matrix3& placed = first->Transform();
        TransformSelected(Matrix3::Translation(TileRef::GridSnapOffset(placed.m31(), grid, threshold),
                                               TileRef::GridSnapOffset(placed.m32(), grid, threshold)));
    }
    ForEachSelected([](TileRef& tile) { tile.Snap(); });
}

void EditOps::RaiseSelected() {
    std::vector<std::unique_ptr<TileRef>> raised;
    for (int i = 0; i < doc_.TileCount(); ++i) {
        const TileRef* tile = doc_.TileAt(i);
        if (tile != nullptr && tile->IsSelected()) {
            raised.push_back(doc_.ReleaseTile(i));
        }
    }
    if (raised.empty()) {
        return;
    }
    doc_.CompactTiles();
    for (std::unique_ptr<TileRef>& tile : raised) {
        doc_.InsertTile(std::move(tile));
    }
}
