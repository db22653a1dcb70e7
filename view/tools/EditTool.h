#pragma once

#include "support/Matrix3.h"
#include "support/Vec2.h"
#include "view/tools/MapTool.h"
#include "view/tools/ToolContext.h"

#include <vector>

class TileRef;

// The default tool: selects tiles by click or rubber band, moves the selection with the left
// button, turns it with the right one, resizes a single tile by its handles and opens the local
// flags menu on a short right click.
//
// Every drag recomputes the tiles from what it saved at its press (their transforms, the selection),
// so Escape can put everything back and no rounding accumulates over a long drag.
class EditTool : public MapTool {
public:
    static constexpr const char16_t* kStatusText =
        u"Edit Tool : Left-click to select tiles.  (hold down SHIFT to add to/remove from current "
        u"selection) Left drag selected tiles to move.\r\nRight-drag selected tiles to rotate.  Hold down "
        u"SPACEBAR to temporarily switch to the Pan tool.  Mouse wheel zooms in/out.";
    // A handle is hit within this many pixels in x and in y.
    static constexpr int kHandleReach = 4;
    // A band whose corners are this many pixels apart (in x or y) selects; a smaller one is a click.
    static constexpr int kBandMinPixels = 3;
    // The right button counts as dragged once it travelled more than this many pixels.
    static constexpr int kRightDragPixels = 3;
    // The local flags menu opens for a right click released this soon and this close.
    static constexpr long long kShortClickMilliseconds = 500;
    static constexpr int kShortClickPixels = 3;
    // Dragging tiles beyond the window's edge scrolls the view this far per mouse move.
    static constexpr int kAutoScrollPixels = 10;
    // Command ids of the local flags menu, one per flag.
    static constexpr int kFirstLocalFlagCommand = 32893;
    static constexpr int kLocalFlagCommands = 10;
    static constexpr const char16_t* kLocalFlagsTitle = u"Local Flags";

    enum class Drag { None, BandAdd, BandRemove, Move, Resize, Rotate };

    explicit EditTool(ToolContext& context);

    void LeftPress(const PointerEvent& event) override;
    void LeftRelease(const PointerEvent& event) override;
    void RightPress(const PointerEvent& event) override;
    void RightRelease(const PointerEvent& event) override;
    void Move(const PointerEvent& event) override;
    bool Busy() const override { return drag_ != Drag::None; }
    void Cancel() override;
    CursorShape Cursor() const override { return cursor_; }
    WString StatusText() const override { return kStatusText; }

    // A tile just dropped from the panel: it is the selection and follows the mouse from the centre
    // of its box until the left button is released. Escape takes it away again.
    void StartDropMove(TileRef& tile);
    // The document was replaced: drops every tile it knew of without touching them.
    void Forget();
    Drag State() const { return drag_; }

    // The angle a right drag ends with when a snapping tile is selected: brought into 0 .. 2 pi and
    // rounded to the nearest quarter turn (2 pi above 7/4 pi).
    static double SnapToQuarterTurn(double angle);
    // Whether a right press and release make the short click that opens the local flags menu.
    static bool IsShortClick(long long heldMilliseconds, int dx, int dy);

private:
    Vec2 WorldAt(ClientPoint clientPt) const;
    // The handle code under a client point, or -1.
    int HandleAt(ClientPoint clientPt) const;
    bool BandIsLargeEnough() const;
    void RememberPress(ClientPoint clientPt);
    void RememberSelection();
    // Fills both the drag's base transforms and the ones Escape returns to.
    void SaveTransforms();
    void StartBand(Drag kind, const Vec2& worldPt);
    void StartMove(const Vec2& grabWorldPt);
    void UpdateBand(const Vec2& worldPt);
    void UpdateMove(ClientPoint clientPt);
    void UpdateRotation(ClientPoint clientPt);
    void AutoScroll(ClientPoint clientPt);
    double RotationAngle(ClientPoint clientPt) const;
    void FinishLeftDrag();
    // Snaps the selection, drops repeated path steps, repaints and commits.
    void SettleSelection();
    void DropRepeatedStepsIfRecording();
    void FinishRotation(ClientPoint clientPt);
    void TurnMovingSelection(ClientPoint clientPt);
    void ShowLocalFlagsMenu(ClientPoint clientPt);
    bool ContainsTile(const TileRef* tile) const;
    void RestoreSelectionAtPress();
    void UpdateHover(const PointerEvent& event);

    ToolContext& ctx_;
    Drag drag_ = Drag::None;
    ClientPoint pressPt_;
    ClientPoint rightPressPt_;
    Vec2 worldRightPressPt_;
    Vec2 bandStart_;
    Vec2 bandEnd_;
    Vec2 grabWorldPt_;
    Vec2 pivot_;
    int handle_ = -1;
    bool rightDragged_ = false;
    // What the drag recomputes from: the selected tiles' transforms, in document order, when it
    // began (or when a right click turned the moving selection).
    std::vector<Matrix3> savedTransforms_;
    // The selected tiles' transforms at the press, for Escape.
    std::vector<Matrix3> pressTransforms_;
    // The selection before the press, for Escape.
    std::vector<TileRef*> selectionAtPress_;
    // The tile a drop from the panel added; Escape removes it.
    TileRef* droppedTile_ = nullptr;
    // The tile under a right press and when it was pressed, for the local flags menu.
    TileRef* menuTile_ = nullptr;
    long long rightPressMs_ = 0;
    CursorShape cursor_ = CursorShape::Arrow;
    const TileRef* tipTile_ = nullptr;
};
