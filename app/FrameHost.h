#pragma once

#include "support/WString.h"

// What the main window asks of the application that owns it: leave to close, and open a map that was
// dropped on it or chosen from the recent files.
class FrameHost {
public:
    virtual ~FrameHost() = default;
    // Offers to save unsaved changes; false when the user cancelled.
    virtual bool SaveModified() = 0;
    virtual bool OpenMap(const WString& path) = 0;
};
