#pragma once

#include "support/Matrix3.h"

// When a pre- or post-draw entry is drawn together with a placed tile. Codes outside this list are
// kept as read and mean "never", so a tileset written for a newer program draws nothing unexpected.
enum DrawCondition : int {
    kDrawAlways = 0,
    kDrawIfGlobalFlagSet = 1,
    kDrawIfGlobalFlagClear = 2,
    kDrawIfLocalFlagSet = 3,
    kDrawIfLocalFlagClear = 4,
    kDrawIfSelected = 5, // also marks where a movement path starts
    kDrawIfNotSelected = 6,
};

// One PreDrawTile or PostDrawTile of a tile definition: another definition of the same tileset drawn
// under matrix (image pixels of that definition -> image pixels of the owning tile) when the condition
// holds. flagIndex is the global or local flag tested by codes 1 to 4 and 0 otherwise; it is not
// checked against the flag counts here, so drawing code must treat a flag it does not have as clear.
struct DrawEntry {
    int definition = 0;
    Matrix3 matrix;
    int condition = kDrawAlways;
    int flagIndex = 0;

    bool UsesFlag() const { return condition >= kDrawIfGlobalFlagSet && condition <= kDrawIfLocalFlagClear; }
};
