#pragma once

#include "document/UndoEntry.h"
#include "support/WString.h"

#include <cstddef>

class CGridvellumDoc;

// The snapshot protocol of the document: an edit that changed something becomes one undo step, the
// tiles as they were when the edit began. The histories hold their steps compactly (see UndoEntries):
// only the newest is whole, sharing the tiles' own texts; the others hold the tiles that differ from
// their newer neighbour. The histories themselves live in the document (they are emptied by New, Open
// and a tileset change); this class is the logic that fills and replays them, so it holds nothing but
// the document and may be made wherever it is needed.
//
// What makes a step: the program's changed flag (colour, flip, text, local flags, adding or deleting a
// tile) or a tile whose transform or local flags differ from its snapshot when the edit ends. The
// scenario, the selection and the clipboard are never part of a step.
class UndoHistory {
public:
    // Beyond this many bytes held the oldest undo entries are dropped.
    static constexpr std::size_t kLimitBytes = std::size_t{1} << 24;

    explicit UndoHistory(CGridvellumDoc& doc) : doc_(doc) {}

    // Clears the changed flag, snapshots every tile and keeps the texts of all tiles; only the tiles
    // changed since they last wrote their text write it again.
    void BeginEdit();
    // True when the edit changed something and became an undo step; the redo history is then gone.
    bool CommitEdit();

    // Both turn the tiles into those of the neighbouring history entry, reading only the tiles that
    // differ; false when there is none. Nothing is selected afterwards and the document is marked
    // modified.
    bool Undo();
    bool Redo();
    bool CanUndo() const;
    bool CanRedo() const;

    // The map text that undo step index (0 the oldest) brings back; empty outside the history.
    WString StepText(std::size_t index) const;

    // Drops the oldest entries while they hold more than limitBytes. The keepNewest newest entries are
    // neither dropped nor counted: CommitEdit keeps the step it made, which may pass the limit on its
    // own. Returns how many were dropped.
    static std::size_t TrimToLimit(UndoList& history, std::size_t limitBytes, std::size_t keepNewest = 0);
    // What the entries hold (see UndoEntries::HeldBytes).
    static std::size_t SizeInBytes(const UndoList& history);

private:
    bool Replay(UndoList& from, UndoList& to);

    CGridvellumDoc& doc_;
};
