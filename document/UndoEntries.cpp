#include "document/UndoEntries.h"

#include "support/WString.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace {

// The count block and allocation header beside each shared text.
constexpr std::size_t kSharedTextOverhead = 32;

// Longest run of positions (indices into `positions`) whose values increase, skipping values below 0.
std::vector<int> LongestIncreasing(const std::vector<int>& positions) {
    std::vector<int> tails; // index of the smallest last value of a run of each length
    std::vector<int> before(positions.size(), -1);
    for (int i = 0; i < static_cast<int>(positions.size()); ++i) {
        const int value = positions[static_cast<size_t>(i)];
        if (value < 0)
            continue;
        auto place = std::lower_bound(tails.begin(), tails.end(), value, [&](int tail, int v) {
            return positions[static_cast<size_t>(tail)] < v;
        });
        if (place != tails.begin())
            before[static_cast<size_t>(i)] = *(place - 1);
        if (place == tails.end())
            tails.push_back(i);
        else
            *place = i;
    }
    std::vector<int> run;
    for (int i = tails.empty() ? -1 : tails.back(); i >= 0; i = before[static_cast<size_t>(i)])
        run.push_back(i);
    std::reverse(run.begin(), run.end());
    return run;
}

void AddPiece(std::vector<UndoEntry::Piece>& pieces, const TileTexts& older, int at, int removed, int from,
              int to) {
    if (removed == 0 && from == to)
        return;
    UndoEntry::Piece piece;
    piece.at = at;
    piece.removed = removed;
    piece.inserted.assign(older.begin() + from, older.begin() + to);
    pieces.push_back(std::move(piece));
}

std::size_t PieceBytes(const std::vector<UndoEntry::Piece>& pieces) {
    std::size_t bytes = pieces.capacity() * sizeof(UndoEntry::Piece);
    for (const UndoEntry::Piece& piece : pieces) {
        bytes += piece.inserted.capacity() * sizeof(TileText);
        for (const TileText& text : piece.inserted)
            bytes += UndoEntries::TextBytes(*text);
    }
    return bytes;
}

} // namespace

std::vector<UndoEntry::Piece> UndoEntries::Difference(const TileTexts& newer, const TileTexts& older) {
    const int lengthA = static_cast<int>(newer.size()), lengthB = static_cast<int>(older.size());
    int prefix = 0;
    while (prefix < lengthA && prefix < lengthB && newer[prefix] == older[prefix])
        ++prefix;
    int suffix = 0;
    while (suffix < lengthA - prefix && suffix < lengthB - prefix &&
           newer[lengthA - 1 - suffix] == older[lengthB - 1 - suffix])
        ++suffix;
    const int endA = lengthA - suffix, endB = lengthB - suffix;
    // Where each tile of newer's middle stands in older's; those that keep their order stay.
    std::unordered_map<const WString*, int> placeInOlder;
    placeInOlder.reserve(static_cast<size_t>(endB - prefix));
    for (int j = prefix; j < endB; ++j)
        placeInOlder.emplace(older[j].get(), j);
    std::vector<int> positions(static_cast<size_t>(endA - prefix), -1);
    for (int i = prefix; i < endA; ++i) {
        auto found = placeInOlder.find(newer[i].get());
        if (found != placeInOlder.end())
            positions[static_cast<size_t>(i - prefix)] = found->second;
    }
    std::vector<UndoEntry::Piece> pieces;
    int a = prefix, b = prefix; // the next tiles of newer and older not yet accounted for
    for (int kept : LongestIncreasing(positions)) {
        const int i = prefix + kept;
        const int j = positions[static_cast<size_t>(kept)];
        AddPiece(pieces, older, a, i - a, b, j);
        a = i + 1;
        b = j + 1;
    }
    AddPiece(pieces, older, a, endA - a, b, endB);
    return pieces;
}

TileTexts UndoEntries::Apply(const std::vector<UndoEntry::Piece>& pieces, const TileTexts& newer) {
    TileTexts older;
    std::size_t size = newer.size();
    for (const UndoEntry::Piece& piece : pieces)
        size = size - std::min<std::size_t>(size, static_cast<std::size_t>(piece.removed)) +
               piece.inserted.size();
    older.reserve(size);
    const int length = static_cast<int>(newer.size());
    int copied = 0; // tiles of newer already passed
    for (const UndoEntry::Piece& piece : pieces) {
        const int at = std::clamp(piece.at, copied, length);
        const int removed = std::clamp(piece.removed, 0, length - at);
        older.insert(older.end(), newer.begin() + copied, newer.begin() + at);
        older.insert(older.end(), piece.inserted.begin(), piece.inserted.end());
        copied = at + removed;
    }
    older.insert(older.end(), newer.begin() + copied, newer.end());
    return older;
}

void UndoEntries::Push(UndoList& entries, TileTexts tiles) {
    if (!entries.empty() && entries.back().whole) {
        UndoEntry& covered = entries.back();
        covered.pieces = Difference(tiles, covered.tiles);
        TileTexts().swap(covered.tiles);
        covered.whole = false;
        covered.pieceBytes = PieceBytes(covered.pieces);
    }
    UndoEntry entry;
    entry.tiles = std::move(tiles);
    entries.push_back(std::move(entry));
}

TileTexts UndoEntries::Pop(UndoList& entries) {
    if (entries.empty())
        return TileTexts();
    TileTexts tiles = std::move(entries.back().tiles);
    entries.pop_back();
    if (!entries.empty() && !entries.back().whole) {
        UndoEntry& next = entries.back();
        next.tiles = Apply(next.pieces, tiles);
        std::vector<UndoEntry::Piece>().swap(next.pieces);
        next.whole = true;
        next.pieceBytes = 0;
    }
    return tiles;
}

TileTexts UndoEntries::TilesAt(const UndoList& entries, std::size_t index) {
    if (index >= entries.size())
        return TileTexts();
    TileTexts tiles = entries.back().tiles;
    for (std::size_t i = entries.size() - 1; i > index; --i) {
        const UndoEntry& entry = entries[i - 1];
        tiles = entry.whole ? entry.tiles : Apply(entry.pieces, tiles);
    }
    return tiles;
}

std::size_t UndoEntries::TextBytes(const WString& text) {
    std::size_t bytes = sizeof(WString) + kSharedTextOverhead;
    const int units = text.Length() + text.Spare() + 1;
    if (units > WString::kInlineUnits)
        bytes += 2 * static_cast<std::size_t>(units);
    return bytes;
}

std::size_t UndoEntries::HeldBytes(const UndoEntry& entry) {
    if (!entry.whole)
        return sizeof(UndoEntry) + entry.pieceBytes;
    std::size_t bytes = sizeof(UndoEntry) + entry.tiles.capacity() * sizeof(TileText);
    for (const TileText& text : entry.tiles) {
        if (text.use_count() == 1)
            bytes += TextBytes(*text);
    }
    return bytes;
}
