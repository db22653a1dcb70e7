#pragma once

#include "support/WString.h"
#include "tileset/TileKind.h"

// What the user may do with the placed tiles of a category, cycled from the tile panel.
enum CategoryState : int {
    kCategoryUnlocked = 0,
    kCategoryLocked = 1, // drawn, cannot be selected
    kCategoryHidden = 2, // neither drawn nor selectable
};

// One category of the tile panel: a heading that groups the definitions of one kind.
struct TileCategory {
    WString label;
    TileKind kind = TileKinds::kMap;
    int state = kCategoryUnlocked;
    bool shown = true;     // listed in the tile panel
    bool expanded = false; // every category starts collapsed after a load
};
