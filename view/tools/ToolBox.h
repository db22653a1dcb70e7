#pragma once

#include "view/tools/EditSession.h"
#include "view/tools/EditTool.h"
#include "view/tools/PanTool.h"
#include "view/tools/TextTool.h"
#include "view/tools/ToolContext.h"

class CGridvellumDoc;
class EditOps;
class Camera;
class FrameOverlays;
class FrameTiming;
class TilePanel;
class ToolHost;

// Owns the map view's three tools and the one edit bracket, routes the mouse and the keys to the
// current tool and does what all tools share: middle-button pan (which no tool sees), the temporary
// pan tool while SPACE is held, the tile dragged in from the panel, and the key table.
//
// A release goes to the tool that saw its press, so releasing SPACE in the middle of a pan still
// ends that pan; while any drag runs, keys that would edit the document wait, so no other bracket
// opens inside the drag's.
class ToolBox {
public:
    // Steps of the arrow keys: tiles by the grid size (or one unit for free tiles), the view by pixels.
    static constexpr float kArrowPanPixels = 10.0f;

    // panel may be null (no tile panel to take drops from).
    ToolBox(CGridvellumDoc& doc, EditOps& edits, Camera& camera, FrameOverlays& overlays, ToolHost& host,
            FrameTiming& timing, TilePanel* panel);

    ViewTool Current() const { return current_; }
    // Ends text editing, makes the tool current and shows its status text.
    void SetTool(ViewTool tool);
    // Shows the current tool's status text and cursor again.
    void ShowToolState();

    void Press(const PointerEvent& event);
    void Move(const PointerEvent& event);
    void Release(const PointerEvent& event);
    // True when the key was used.
    bool KeyDown(ToolKey key);
    bool KeyUp(ToolKey key);
    bool Character(char16_t unit);
    // The document was replaced or reloaded: every tile the tools knew of is gone.
    void DocumentReplaced();

    CursorShape Cursor() const;
    bool TemporaryPan() const { return temporaryPan_; }
    bool MiddlePanning() const { return middlePan_; }
    bool AnyDrag() const;

    EditTool& Edit() { return edit_; }
    PanTool& Pan() { return pan_; }
    TextTool& Text() { return text_; }
    EditSession& Session() { return session_; }

private:
    MapTool& Tool(ViewTool tool);
    MapTool& CurrentTool() { return Tool(current_); }
    const MapTool& CurrentTool() const;
    // The tile pressed in the panel reaches the map with the first move over it; true when taken.
    bool TakeDrop(const PointerEvent& event);
    void RefuseDrop(int definition);
    bool KeyTable(ToolKey key);
    void ArrowKey(float dx, float dy);
    void CancelDrag();

    CGridvellumDoc& doc_;
    FrameTiming& timing_;
    TilePanel* panel_;
    EditSession session_;
    ToolContext ctx_;
    EditTool edit_;
    PanTool pan_;
    TextTool text_;
    ViewTool current_ = ViewTool::Edit;
    ViewTool remembered_ = ViewTool::Edit;
    bool temporaryPan_ = false;
    bool middlePan_ = false;
    ClientPoint middlePressPt_;
    // The tools that saw the press of the button still held; null when none did.
    MapTool* leftOwner_ = nullptr;
    MapTool* rightOwner_ = nullptr;
    // A tile dragged in from the panel was refused (its maximum is reached) and the button is held.
    bool refusedDrop_ = false;
};
