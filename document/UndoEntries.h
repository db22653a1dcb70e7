#pragma once

#include "support/WString.h"

#include <cstddef>
#include <vector>

// The entries of an undo or redo history held compactly. The newest entry (the back) is always a
// whole map text; every older one is only what differs from its newer neighbour. Whole texts whose
// characters all fit in a byte are packed two to a unit, which halves a large map's entry. Plain
// texts pushed by other code stay readable as they are.
//
// Dropping entries from the front (the oldest) is always safe: nothing depends on them.
class UndoEntries {
public:
    // Makes text the newest entry; the one it covers becomes its difference when that is smaller.
    static void Push(std::vector<WString>& entries, const WString& text);
    // Removes the newest entry and returns its text; the next one becomes whole. Empty when none.
    static WString Pop(std::vector<WString>& entries);
    // The whole text of entry index (0 is the oldest) without changing the entries; empty outside.
    static WString TextAt(const std::vector<WString>& entries, std::size_t index);

    // The forms an entry can take, told by its first unit.
    static bool IsPacked(const WString& entry);
    static bool IsDifference(const WString& entry);

    // Byte-packed form of text, or text itself when some character does not fit in a byte (marked
    // when it begins like a compact form).
    static WString Pack(const WString& text);
    // The whole text of a plain or packed entry.
    static WString Unpack(const WString& entry);
    // What turns newer back into older; Apply(Difference(newer, older), newer) == older.
    static WString Difference(const WString& newer, const WString& older);
    static WString Apply(const WString& difference, const WString& newer);
};
