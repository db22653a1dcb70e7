#pragma once

#include "support/Rgb8.h"

// The colour that newly placed tiles start with. "Set Default Tile Color" switches it on; it is never
// saved, so every run starts untinted.
struct DefaultTint {
    Rgb8 color{0, 0, 0};
    double strength = 0.25; // 0 .. 1, how strongly the tint applies
    bool on = false;
};

// The program-wide switches, in one object owned by the application and handed down by reference.
// Tests construct a fresh one, so no test sees another's leftovers. The grid sizes are not here: they
// belong to the loaded tileset, which resets them on every load.
struct ProgramState {
    // Something changed since the last BeginEdit; decides whether an edit becomes an undo step.
    bool changed = false;
    // Fixed for the whole run at start-up; the "OpenGL" command only changes the next run.
    bool openGlThisRun = false;
    bool openGlNextRun = false;
    DefaultTint defaultTint;
    bool recordPaths = false;
    bool showResizeHandles = false;
    bool showDrawTime = false;
    bool superWheel = false;
};
