#include "document/UndoHistory.h"

#include "document/CGridvellumDoc.h"
#include "document/ProgramState.h"
#include "document/TileRef.h"
#include "document/UndoEntries.h"

#include <utility>

void UndoHistory::BeginEdit() {
    doc_.State().changed = false;
    for (int i = 0; i < doc_.TileCount(); ++i) {
        if (TileRef* tile = doc_.TileAt(i)) {
            tile->TakeSnapshot();
        }
    }
    std::optional<TileTexts>& snapshot = doc_.PreEditSnapshot();
    snapshot.emplace();
    doc_.CollectTileTexts(*snapshot);
}

bool UndoHistory::CommitEdit() {
    for (int i = 0; i < doc_.TileCount(); ++i) {
        if (TileRef* tile = doc_.TileAt(i)) {
            tile->CheckChanged();
        }
    }
    ProgramState& state = doc_.State();
    if (!state.changed) {
        return false;
    }
    state.changed = false;
    doc_.SetModifiedFlag(true);
    std::optional<TileTexts>& snapshot = doc_.PreEditSnapshot();
    // A commit without a begin has no earlier state to return to; an empty entry would make the next
    // undo wipe the whole map, so the change is kept without a step.
    if (!snapshot) {
        return false;
    }
    doc_.RedoHistory().clear();
    UndoList& undo = doc_.UndoHistory();
    UndoEntries::Push(undo, std::move(*snapshot));
    snapshot.reset();
    // The entry just covered shrank to its difference, so the limit is checked after the push. The
    // newest entry is neither dropped nor counted: it may pass the limit alone until the next commit.
    TrimToLimit(undo, kLimitBytes, 1);
    return true;
}

bool UndoHistory::Undo() {
    return Replay(doc_.UndoHistory(), doc_.RedoHistory());
}

bool UndoHistory::Redo() {
    return Replay(doc_.RedoHistory(), doc_.UndoHistory());
}

bool UndoHistory::CanUndo() const {
    return !doc_.UndoHistory().empty();
}

bool UndoHistory::CanRedo() const {
    return !doc_.RedoHistory().empty();
}

bool UndoHistory::Replay(UndoList& from, UndoList& to) {
    if (from.empty()) {
        return false;
    }
    TileTexts current;
    doc_.CollectTileTexts(current);
    UndoEntries::Push(to, std::move(current));
    doc_.ReplaceTiles(UndoEntries::Pop(from));
    doc_.State().changed = false;
    doc_.SetModifiedFlag(true);
    return true;
}

WString UndoHistory::StepText(std::size_t index) const {
    WString text;
    if (index < doc_.UndoHistory().size()) {
        doc_.WriteTileTexts();
        doc_.TextOf(UndoEntries::TilesAt(doc_.UndoHistory(), index), text);
    }
    return text;
}

std::size_t UndoHistory::SizeInBytes(const UndoList& history) {
    std::size_t size = 0;
    for (const UndoEntry& entry : history) {
        size += UndoEntries::HeldBytes(entry);
    }
    return size;
}

std::size_t UndoHistory::TrimToLimit(UndoList& history, std::size_t limitBytes, std::size_t keepNewest) {
    std::size_t size = 0;
    for (std::size_t i = 0; i + keepNewest < history.size(); ++i) {
        size += UndoEntries::HeldBytes(history[i]);
    }
    std::size_t dropped = 0;
    while (size > limitBytes && dropped + keepNewest < history.size()) {
        size -= UndoEntries::HeldBytes(history[dropped]);
        ++dropped;
    }
    history.erase(history.begin(), history.begin() + static_cast<std::ptrdiff_t>(dropped));
    return dropped;
}
