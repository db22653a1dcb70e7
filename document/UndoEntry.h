#pragma once

#include "document/TileText.h"

#include <cstddef>
#include <vector>

// One entry of an undo or redo history: the tiles of the map as they were, either whole (the text
// of every tile in order) or as the pieces that turn its newer neighbour's list into its own.
struct UndoEntry {
    // Tiles [at, at + removed) of the newer list give way to `inserted`.
    struct Piece {
        int at = 0;
        int removed = 0;
        TileTexts inserted;
    };

    bool whole = true;
    TileTexts tiles;
    std::vector<Piece> pieces;
    // What the pieces hold, counted once when they are made: they do not change afterwards.
    std::size_t pieceBytes = 0;
};

// Oldest first; the newest entry (the back) is always whole.
using UndoList = std::vector<UndoEntry>;
