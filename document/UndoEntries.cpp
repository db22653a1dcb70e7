#include "document/UndoEntries.h"

#include <algorithm>
#include <cstdint>

namespace {

// First units of the compact forms: control characters no map text begins with (it begins "<?xml").
constexpr char16_t kPackedMark = 0x0001;
constexpr char16_t kDifferenceMark = 0x0002;
// Put before a whole text that cannot be packed but begins with one of the marks itself.
constexpr char16_t kVerbatimMark = 0x0003;
// Differing runs closer than this are kept as one piece: each piece costs six units of bookkeeping.
constexpr int kJoinGap = 8;

// AppendUnit skips zero units; counts need them, so they are written through Append with a length.
void AppendCountUnits(WString& out, int value) {
    const auto bits = static_cast<std::uint32_t>(value);
    const char16_t units[2] = {static_cast<char16_t>(bits & 0xFFFF), static_cast<char16_t>(bits >> 16)};
    out.Append(units, 2);
}

int ReadCount(const char16_t* units) {
    return static_cast<int>(static_cast<std::uint32_t>(units[0]) |
                            (static_cast<std::uint32_t>(units[1]) << 16));
}

bool FitsInBytes(const WString& text) {
    const char16_t* units = text.c_str();
    char16_t any = 0;
    for (int i = 0; i < text.Length(); ++i)
        any |= units[i];
    return any < 0x100;
}

// One piece of a difference: units [at, at + removed) of the newer text become the given older units.
void AppendPiece(WString& out, int at, int removed, const char16_t* older, int count) {
    AppendCountUnits(out, at);
    AppendCountUnits(out, removed);
    AppendCountUnits(out, count);
    out.Append(older, count);
}

} // namespace

bool UndoEntries::IsPacked(const WString& entry) {
    return entry.Length() >= 3 && entry.At(0) == kPackedMark;
}

bool UndoEntries::IsDifference(const WString& entry) {
    return entry.Length() >= 3 && entry.At(0) == kDifferenceMark;
}

WString UndoEntries::Pack(const WString& text) {
    if (text.IsEmpty())
        return text;
    if (!FitsInBytes(text)) {
        if (text.At(0) < kPackedMark || text.At(0) > kVerbatimMark)
            return text;
        WString marked;
        marked.Append(&kVerbatimMark, 1);
        marked.Append(text);
        return marked;
    }
    const int length = text.Length();
    WString packed;
    char16_t* out = packed.BeginAppend(3 + (length + 1) / 2);
    out[0] = kPackedMark;
    out[1] = static_cast<char16_t>(static_cast<std::uint32_t>(length) & 0xFFFF);
    out[2] = static_cast<char16_t>(static_cast<std::uint32_t>(length) >> 16);
    const char16_t* units = text.c_str();
    int written = 3;
    for (int i = 0; i < length; i += 2) {
        const char16_t high = i + 1 < length ? units[i + 1] : 0;
        out[written++] = static_cast<char16_t>(units[i] | (high << 8));
    }
    packed.CommitAppend(written);
    return packed;
}

WString UndoEntries::Unpack(const WString& entry) {
    if (!entry.IsEmpty() && entry.At(0) == kVerbatimMark)
        return entry.Substring(1, entry.Length() - 1);
    if (!IsPacked(entry))
        return entry;
    const char16_t* units = entry.c_str();
    const int length = std::min(ReadCount(units + 1), 2 * (entry.Length() - 3));
    WString text;
    if (length <= 0)
        return text;
    char16_t* out = text.BeginAppend(length);
    for (int i = 0; i < length; ++i) {
        const char16_t pair = units[3 + i / 2];
        out[i] = static_cast<char16_t>(i % 2 == 0 ? pair & 0xFF : pair >> 8);
    }
    text.CommitAppend(length);
    return text;
}

WString UndoEntries::Difference(const WString& newer, const WString& older) {
    const char16_t* a = newer.c_str();
    const char16_t* b = older.c_str();
    const int lengthA = newer.Length(), lengthB = older.Length();
    int prefix = 0;
    while (prefix < lengthA && prefix < lengthB && a[prefix] == b[prefix])
        ++prefix;
    int suffix = 0;
    while (suffix < lengthA - prefix && suffix < lengthB - prefix &&
           a[lengthA - 1 - suffix] == b[lengthB - 1 - suffix])
        ++suffix;
    WString out;
    out.Append(&kDifferenceMark, 1);
    AppendCountUnits(out, lengthB);
    const int endA = lengthA - suffix, endB = lengthB - suffix;
    if (endA - prefix != endB - prefix) {
        // Tiles added or removed: one piece from the first to the last change.
        AppendPiece(out, prefix, endA - prefix, b + prefix, endB - prefix);
        return out;
    }
    // Same length (moves, turns, colours): each run of differing units is a piece of its own.
    int i = prefix;
    while (i < endA) {
        if (a[i] == b[i]) {
            ++i;
            continue;
        }
        const int start = i;
        int last = i;
        while (i < endA && i - last <= kJoinGap) {
            if (a[i] != b[i])
                last = i;
            ++i;
        }
        AppendPiece(out, start, last + 1 - start, b + start, last + 1 - start);
        i = last + 1;
    }
    return out;
}

WString UndoEntries::Apply(const WString& difference, const WString& newer) {
    if (!IsDifference(difference))
        return difference;
    const char16_t* units = difference.c_str();
    const int end = difference.Length();
    WString older;
    // Room for the whole result at once; the older text cannot outgrow newer plus the units inserted.
    older.BeginAppend(std::clamp(ReadCount(units + 1), 0, newer.Length() + end));
    older.CommitAppend(0);
    const char16_t* source = newer.c_str();
    int copied = 0; // units of newer already passed
    for (int p = 3; p + 6 <= end;) {
        const int at = std::clamp(ReadCount(units + p), copied, newer.Length());
        const int removed = std::clamp(ReadCount(units + p + 2), 0, newer.Length() - at);
        const int count = std::clamp(ReadCount(units + p + 4), 0, end - (p + 6));
        older.Append(source + copied, at - copied);
        older.Append(units + p + 6, count);
        copied = at + removed;
        p += 6 + count;
    }
    older.Append(source + copied, newer.Length() - copied);
    return older;
}

void UndoEntries::Push(std::vector<WString>& entries, const WString& text) {
    if (!entries.empty() && !IsDifference(entries.back())) {
        WString& covered = entries.back();
        WString difference = Difference(text, Unpack(covered));
        if (difference.Length() < covered.Length())
            covered = std::move(difference);
    }
    entries.push_back(Pack(text));
}

WString UndoEntries::Pop(std::vector<WString>& entries) {
    if (entries.empty())
        return WString();
    WString text = Unpack(entries.back());
    entries.pop_back();
    if (!entries.empty() && IsDifference(entries.back()))
        entries.back() = Pack(Apply(entries.back(), text));
    return text;
}

WString UndoEntries::TextAt(const std::vector<WString>& entries, std::size_t index) {
    if (index >= entries.size())
        return WString();
    WString text = Unpack(entries.back());
    for (std::size_t i = entries.size() - 1; i > index; --i)
        text = IsDifference(entries[i - 1]) ? Apply(entries[i - 1], text) : Unpack(entries[i - 1]);
    return text;
}
