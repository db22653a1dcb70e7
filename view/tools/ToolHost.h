#pragma once

#include "support/WString.h"
#include "view/tools/ToolEvents.h"

#include <vector>

// One entry of a pop-up menu that a tool shows.
struct PopupItem {
    int id = 0; // the command id the choice reports
    WString label;
    bool checked = false;
};

// What the tools need from the window that shows the map. The map view implements it; tests may
// implement it without any window.
class ToolHost {
public:
    virtual ~ToolHost() = default;

    // Redraws the map soon (and the tile panel, whose count marks follow the map).
    virtual void Repaint() = 0;
    virtual void ShowStatus(const WString& text) = 0;
    virtual void SetCursor(CursorShape shape) = 0;
    // The tip that follows the mouse; empty hides it.
    virtual void SetToolTip(const WString& text) = 0;
    // Shows the menu at a client point and waits for the choice: the chosen item's id, 0 for none.
    virtual int PopupMenu(const WString& title, const std::vector<PopupItem>& items, ClientPoint at) = 0;
    // Keeps mouse messages coming to the map while a button is held, even when the press happened
    // elsewhere (a tile dragged in from the panel).
    virtual void CaptureMouse(bool on) = 0;
    // The current tool changed (menus show check marks).
    virtual void ToolChanged(ViewTool tool) { (void)tool; }
};
