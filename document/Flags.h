#pragma once

#include "support/WString.h"

#include <vector>

class CGridvellumDoc;
class TileRef;
class TileSet;

// Local flags (switches of one placed tile, saved with the map and part of undo), global flags
// (program-wide switches of the tileset, persisted in the settings under their labels, never part of
// the map or of undo), and the conditions under which a definition's pre- and post-draw tiles appear.
class Flags {
public:
    // The menus offer at most this many flags.
    static constexpr int kMenuItems = 10;

    struct MenuItem {
        WString label;
        bool checked = false;
    };

    // Whether a pre- or post-draw entry with this condition code and flag number is drawn for tile:
    // 0 always, 1/2 global flag set/clear, 3/4 the tile's local flag set/clear, 5/6 the tile selected
    // or not, anything else never. Flags a tile or tileset does not have read as clear.
    static bool ConditionHolds(int code, int flagIndex, const TileRef& tile, const TileSet& tileSet);

    static bool LocalFlag(const TileRef& tile, int index);
    static void SetLocalFlag(TileRef& tile, int index, bool state);
    // The local flag command: toggles flag index of tile inside an edit, so it becomes an undo step
    // and marks the document modified. Nothing happens (false) when the tile is no longer in the
    // document (the menu stayed open across an undo) or has no such flag.
    static bool ToggleLocalFlag(CGridvellumDoc& doc, TileRef* tile, int index);
    // Labels and check marks of the tile's first ten local flags.
    static std::vector<MenuItem> LocalFlagMenu(const TileRef& tile);

    // The global flag command: toggles the flag and stores its new state as one byte under its label.
    // Not an edit; false for a number the tileset does not have. The caller repaints the map.
    static bool ToggleGlobalFlag(TileSet& tileSet, int index);
    static std::vector<MenuItem> GlobalFlagMenu(const TileSet& tileSet);
};
