// The compact undo entries must give back every list of tiles exactly, whatever the edit between
// neighbours: tiles changed here and there, added, removed, raised to the end or shuffled.
#include "DocFixture.h"

#include "document/EditOps.h"
#include "document/TileRef.h"
#include "document/UndoEntries.h"
#include "document/UndoHistory.h"
#include "support/Matrix3.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace doctest;

namespace {

TileText NewText(std::mt19937& random) {
    return std::make_shared<const WString>(WString::FromInt(static_cast<int>(random() % 1000)));
}

TileTexts RandomEdit(const TileTexts& tiles, std::mt19937& random) {
    TileTexts edited = tiles;
    auto pick = [&](size_t limit) {
        return limit == 0 ? 0 : std::uniform_int_distribution<size_t>(0, limit - 1)(random);
    };
    switch (pick(6)) {
    case 0: // tiles changed here and there
        for (size_t n = pick(20) + 1; n > 0 && !edited.empty(); --n)
            edited[pick(edited.size())] = NewText(random);
        break;
    case 1: // tiles added
        for (size_t n = pick(30) + 1; n > 0; --n)
            edited.insert(edited.begin() + static_cast<std::ptrdiff_t>(pick(edited.size() + 1)),
                          NewText(random));
        break;
    case 2: // tiles removed
        for (size_t n = pick(30) + 1; n > 0 && !edited.empty(); --n)
            edited.erase(edited.begin() + static_cast<std::ptrdiff_t>(pick(edited.size())));
        break;
    case 3: { // some tiles raised to the end, some of them changed on the way
        TileTexts raised;
        for (size_t n = pick(10) + 1; n > 0 && !edited.empty(); --n) {
            const auto at = edited.begin() + static_cast<std::ptrdiff_t>(pick(edited.size()));
            raised.push_back(pick(3) == 0 ? NewText(random) : *at);
            edited.erase(at);
        }
        edited.insert(edited.end(), raised.begin(), raised.end());
        break;
    }
    case 4: // the same tiles in another order
        std::shuffle(edited.begin(), edited.end(), random);
        break;
    default: // replaced whole, or emptied
        edited.assign(pick(50), nullptr);
        for (TileText& text : edited)
            text = NewText(random);
    }
    return edited;
}

} // namespace

TEST(UndoEntries, EveryEntryComesBackExactlyThroughPushesAndPops) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 40; ++round) {
        std::vector<TileTexts> lists{TileTexts(300)};
        for (TileText& text : lists.back())
            text = NewText(random);
        UndoList entries;
        for (int step = 0; step < 30; ++step) {
            UndoEntries::Push(entries, lists.back());
            lists.push_back(RandomEdit(lists.back(), random));
        }
        ASSERT_EQ(entries.size(), 30u);
        for (size_t i = 0; i + 1 < entries.size(); ++i)
            ASSERT_FALSE(entries[i].whole) << "round " << round << " entry " << i;
        for (size_t i = 0; i < entries.size(); ++i)
            ASSERT_EQ(UndoEntries::TilesAt(entries, i), lists[i]) << "round " << round << " entry " << i;
        for (size_t i = entries.size(); i-- > 0;)
            ASSERT_EQ(UndoEntries::Pop(entries), lists[i]) << "round " << round << " pop " << i;
        EXPECT_TRUE(UndoEntries::Pop(entries).empty());
    }
}

TEST(UndoEntries, ADifferenceHoldsOnlyTheTilesThatMovedOrChanged) {
    std::mt19937 random(7);
    TileTexts newer(1000);
    for (TileText& text : newer)
        text = NewText(random);
    // Three tiles raised to the end unchanged, one of them changed too, one tile deleted.
    TileTexts older = newer;
    const TileText changed = NewText(random);
    older.erase(older.begin() + 900);
    for (int at : {700, 400, 100}) {
        older.push_back(at == 400 ? changed : older[static_cast<size_t>(at)]);
        older.erase(older.begin() + at);
    }
    const std::vector<UndoEntry::Piece> pieces = UndoEntries::Difference(newer, older);
    size_t inserted = 0;
    for (const UndoEntry::Piece& piece : pieces)
        inserted += piece.inserted.size();
    EXPECT_EQ(inserted, 3u) << "the raised tiles and nothing else";
    EXPECT_EQ(UndoEntries::Apply(pieces, newer), older);
}

TEST(UndoEntries, DroppingTheOldestLeavesTheRestReadable) {
    std::mt19937 random(3);
    UndoList entries;
    std::vector<TileTexts> lists;
    TileTexts tiles(500);
    for (TileText& text : tiles)
        text = NewText(random);
    for (int i = 0; i < 10; ++i) {
        lists.push_back(tiles);
        UndoEntries::Push(entries, tiles);
        tiles.insert(tiles.begin(), NewText(random));
    }
    EXPECT_EQ(UndoHistory::TrimToLimit(entries, 0, 3), 7u);
    EXPECT_EQ(UndoHistory::TrimToLimit(entries, 0, 3), 0u) << "the kept newest ones are not counted";
    ASSERT_EQ(entries.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(UndoEntries::TilesAt(entries, i), lists[7 + i]);
}

class UndoEntriesMapTest : public ::testing::Test, public DocumentTest {};

// Moving a few tiles of a large map costs a small step, not another copy of the map, so many more
// steps fit; undoing them all and redoing them all walks through exactly the texts the map had.
TEST_F(UndoEntriesMapTest, MovesOnALargeMapAreSmallStepsThatUndoAndRedoExactly) {
    for (int i = 0; i < 2000; ++i) {
        TileRef* tile = doc.AddTile(kFloor);
        ASSERT_NE(tile, nullptr);
        tile->SetTransform(Matrix3::Translation((i % 50) * 64, (i / 50) * 64));
        tile->UpdateBounds();
    }
    UndoHistory history(doc);
    EditOps edits(doc);
    std::vector<WString> kept;
    for (int edit = 0; edit < 40; ++edit) {
        WString before;
        doc.ToText(before);
        kept.push_back(before);
        history.BeginEdit();
        doc.DeselectAll();
        for (int k = 0; k < 5; ++k)
            doc.TileAt((edit * 37 + k * 401) % doc.TileCount())->SetSelected(true);
        edits.TransformSelected(Matrix3::Translation(0, 64 * 50));
        edits.SnapSelection();
        ASSERT_TRUE(history.CommitEdit());
    }
    WString last;
    doc.ToText(last);
    const size_t wholeTextBytes = 2 * static_cast<size_t>(last.Length());
    ASSERT_EQ(doc.UndoHistory().size(), 40u);
    // The newest step is the map packed into half its bytes; each other is a few tiles' worth.
    EXPECT_LT(UndoHistory::SizeInBytes(doc.UndoHistory()), wholeTextBytes / 2 + 40 * 2000);

    for (int edit = 39; edit >= 0; --edit) {
        ASSERT_TRUE(history.Undo());
        WString now;
        doc.ToText(now);
        ASSERT_EQ(now, kept[static_cast<size_t>(edit)]) << "undo to before edit " << edit;
    }
    EXPECT_FALSE(history.Undo());
    for (int edit = 1; edit <= 40; ++edit) {
        ASSERT_TRUE(history.Redo());
        WString now;
        doc.ToText(now);
        ASSERT_EQ(now, edit < 40 ? kept[static_cast<size_t>(edit)] : last) << "redo of edit " << edit - 1;
    }
    EXPECT_FALSE(history.Redo());
}
