#pragma once

#include "support/Matrix3.h"
#include "support/Vec2.h"

#include <memory>
#include <vector>

class CGridvellumDoc;
class DocumentHost;
class TileRef;

// The document operations behind the Edit menu and the edit tool: the private tile clipboard, delete,
// flip, scale, tint, free placement, and moving, rotating, resizing, snapping and raising the
// selection.
//
// Operations documented as an edit bracket themselves with BeginEdit and CommitEdit and report whether
// they made an undo step. The others (Transform, Rotate, Resize, Snap, Raise) are the pieces the edit
// tool assembles inside its own edit while the mouse is down.
//
// One EditOps lives as long as its document: the clipboard belongs to the document and survives New
// and Open. The host may be null (no view to repaint).
class EditOps {
public:
    EditOps(CGridvellumDoc& doc, DocumentHost* host = nullptr);
    ~EditOps();
    EditOps(const EditOps&) = delete;
    EditOps& operator=(const EditOps&) = delete;

    void SetHost(DocumentHost* host) { host_ = host; }

    // Clipboard. Copies keep the order of the tile list; they carry no movement path and their
    // definitions' default local flags.
    void CopySelected();
    bool CutSelected();
    // Centres the pasted group on worldPt and snaps it as a group; an edit. Copies whose category is
    // not unlocked, or whose definition reached its maximum (counting the copies just pasted), are
    // skipped.
    bool PasteAt(const Vec2& worldPt);
    int ClipboardCount() const { return static_cast<int>(clipboard_.size()); }

    // Single-purpose edits.
    bool DeleteSelected();
    bool FlipSelected();
    bool ScaleSelected(double sx, double sy);
    // "Set Tile Free" passes true, "Set Tile Snap" false; the selection is then group-snapped.
    bool SetSelectedFree(bool free);
    // Channels and strength 0 .. 1; the colour and strength are only taken when tinted.
    bool SetSelectedColor(bool tinted, double red, double green, double blue, double strength);

    // Pieces of the edit tool's drags; none of them is an edit by itself.
    void TransformSelected(const Matrix3& matrix);
    // A quarter turn counter-clockwise about the centre of the selection's box; bounds stay stale
    // until the drag ends with SnapSelection.
    void RotateSelected90();
    void SaveSelectedTransforms(std::vector<Matrix3>& out) const;
    // Turns the selection about pivot, always relative to the transforms saved when the drag began.
    void RotateSelectedAbout(const std::vector<Matrix3>& saved, const Vec2& pivot, double angle);
    // Moves the selection by a world offset from the transforms saved when the drag began, so that
    // rounding never accumulates over a long drag and the saved transforms can always be put back.
    void MoveSelectedFrom(const std::vector<Matrix3>& saved, double worldDx, double worldDy);
    // Gives the selected tiles the saved transforms back, in document order.
    void RestoreSelectedTransforms(const std::vector<Matrix3>& saved);
    void ResizeSelected(const Vec2& worldPt, int handle, bool snap);
    // Moves the group so that its first snapping tile lands on the grid, then snaps each tile.
    void SnapSelection();
    // Puts every selected tile at the end of its layer, keeping their order.
    void RaiseSelected();

private:
    std::unique_ptr<TileRef> MakeCopy(const TileRef& source) const;
    bool MayPaste(const TileRef& copy) const;
    void Repaint() const;
    template <typename Action> void ForEachSelected(Action action);
    // Every selected tile gets saved[i] * change, bounds refreshed; tiles beyond the list keep theirs.
    void PlaceSelectedFrom(const std::vector<Matrix3>& saved, const Matrix3& change);

    CGridvellumDoc& doc_;
    DocumentHost* host_ = nullptr;
    std::vector<std::unique_ptr<TileRef>> clipboard_;
};
