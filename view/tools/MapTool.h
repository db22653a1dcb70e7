#pragma once

#include "support/WString.h"
#include "view/tools/ToolEvents.h"

// One tool of the map view. The tool box routes every mouse message to the current tool, except
// what all tools share (middle-button pan, SPACE, the drop from the tile panel); a release goes to
// the tool that saw its press.
class MapTool {
public:
    virtual ~MapTool() = default;

    virtual void Activate() {}
    // Leaving the tool ends whatever it was doing.
    virtual void Deactivate() { Cancel(); }

    virtual void LeftPress(const PointerEvent& event) = 0;
    virtual void LeftRelease(const PointerEvent& event) = 0;
    virtual void RightPress(const PointerEvent& event) { (void)event; }
    virtual void RightRelease(const PointerEvent& event) { (void)event; }
    virtual void Move(const PointerEvent& event) = 0;

    // Keys the tool takes before the common key table; true when used.
    virtual bool Key(ToolKey key) {
        (void)key;
        return false;
    }
    virtual bool Character(char16_t unit) {
        (void)unit;
        return false;
    }

    // A drag is in progress (no temporary pan, no edits from the keyboard meanwhile).
    virtual bool Busy() const { return false; }
    // Escape, focus loss, document replaced: put back what the drag changed.
    virtual void Cancel() {}

    virtual CursorShape Cursor() const = 0;
    virtual WString StatusText() const = 0;
};
