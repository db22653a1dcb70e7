#include "document/UndoHistory.h"

#include "document/CGridvellumDoc.h"
#include "document/ProgramState.h"
#include "document/TileRef.h"
#include "document/UndoEntries.h"

#include <utility>

namespace {

std::size_t EntryBytes(const WString& entry) {
    return 2 * static_cast<std::size_t>(entry.Length());
}

} // namespace

void UndoHistory::BeginEdit() {
    doc_.State().changed = false;
    for (int i = 0; i < doc_.TileCount(); ++i) {
        if (TileRef* tile = doc_.TileAt(i)) {
            tile->TakeSnapshot();
        }
    }
    WString& snapshot = doc_.PreEditSnapshot();
    snapshot.Clear();
    doc_.ToText(snapshot);
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
    WString& snapshot = doc_.PreEditSnapshot();
    // A commit without a begin has no earlier state to return to; an empty entry would make the next
    // undo wipe the whole map, so the change is kept without a step.
    if (snapshot.IsEmpty()) {
        return false;
    }
    doc_.RedoHistory().clear();
    std::vector<WString>& undo = doc_.UndoHistory();
    UndoEntries::Push(undo, snapshot);
    snapshot.Clear();
    // The entry just covered shrank to its difference, so the limit is checked after the push. As
    // before compact steps, the newest entry is neither dropped nor counted: it may pass the limit
    // alone until the next commit, and a map never keeps fewer steps than it did with whole texts.
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

bool UndoHistory::Replay(std::vector<WString>& from, std::vector<WString>& to) {
    if (from.empty()) {
        return false;
    }
    WString current;
    doc_.ToText(current);
    UndoEntries::Push(to, current);
    const WString entry = UndoEntries::Pop(from);
    doc_.DeleteAllTiles();
    doc_.LoadTilesFromText(entry);
    doc_.State().changed = false;
    doc_.SetModifiedFlag(true);
    return true;
}

std::size_t UndoHistory::SizeInBytes(const std::vector<WString>& history) {
    std::size_t size = 0;
    for (const WString& entry : history) {
        size += EntryBytes(entry);
    }
    return size;
}

std::size_t UndoHistory::TrimToLimit(std::vector<WString>& history, std::size_t limitBytes,
                                     std::size_t keepNewest) {
    std::size_t size = SizeInBytes(history);
    for (std::size_t i = 0; i < keepNewest && i < history.size(); ++i)
        size -= EntryBytes(history[history.size() - 1 - i]);
    std::size_t dropped = 0;
    while (size > limitBytes && dropped + keepNewest < history.size()) {
        size -= EntryBytes(history[dropped]);
        ++dropped;
    }
    history.erase(history.begin(), history.begin() + static_cast<std::ptrdiff_t>(dropped));
    return dropped;
}
