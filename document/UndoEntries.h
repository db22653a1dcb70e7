#pragma once

#include "document/UndoEntry.h"

#include <cstddef>
#include <vector>

class WString;

// The entries of an undo or redo history held compactly. The newest entry (the back) is always
// whole: the texts of all its tiles, most of them the very objects the tiles on the map hold. Every
// older one keeps only the pieces in which its tiles differ from its newer neighbour's, so a step that
// moved a hundred tiles of a large map holds a hundred texts. Texts are compared by address: a tile
// keeps the same text object while it stays as it is.
//
// Dropping entries from the front (the oldest) is always safe: nothing depends on them.
class UndoEntries {
public:
    // Makes tiles the newest entry; the one it covers becomes its difference.
    static void Push(UndoList& entries, TileTexts tiles);
    // Removes the newest entry and returns its tiles; the next one becomes whole. Empty when none.
    static TileTexts Pop(UndoList& entries);
    // The tiles of entry index (0 is the oldest) without changing the entries; empty outside.
    static TileTexts TilesAt(const UndoList& entries, std::size_t index);

    // What turns newer into older: the tiles of older in the same order as in newer stay where they
    // are, as many of them as one order allows, and every other run becomes a piece.
    static std::vector<UndoEntry::Piece> Difference(const TileTexts& newer, const TileTexts& older);
    // Apply(Difference(newer, older), newer) == older.
    static TileTexts Apply(const std::vector<UndoEntry::Piece>& pieces, const TileTexts& newer);

    // The memory the entry keeps: its lists, and the texts only it holds. A whole entry's texts that
    // tiles on the map still hold cost it nothing; those of a difference are counted whole, since a
    // difference holds earlier states that the map no longer has.
    static std::size_t HeldBytes(const UndoEntry& entry);
    // One text with its share of bookkeeping.
    static std::size_t TextBytes(const WString& text);
};
