// The compact undo entries must give back every text exactly, whatever the edit between neighbours:
// same-length changes here and there, insertions, removals, characters beyond a byte, zero units.
#include "DocFixture.h"

#include "document/EditOps.h"
#include "document/TileRef.h"
#include "document/UndoEntries.h"
#include "document/UndoHistory.h"
#include "support/Matrix3.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace doctest;

namespace {

WString RandomEdit(const WString& text, std::mt19937& random) {
    std::u16string units(text.c_str(), static_cast<size_t>(text.Length()));
    auto pick = [&](size_t limit) {
        return limit == 0 ? 0 : std::uniform_int_distribution<size_t>(0, limit - 1)(random);
    };
    auto unit = [&]() -> char16_t {
        switch (pick(8)) {
        case 0:
            return u'\u0127'; // beyond a byte: the whole text can no longer be packed
        case 1:
            return 0x0001; // the packed form's own mark inside the text
        default:
            return static_cast<char16_t>(u'a' + pick(26));
        }
    };
    switch (pick(4)) {
    case 0: // changes scattered over the text, its length kept
        for (size_t n = pick(20) + 1; n > 0 && !units.empty(); --n)
            units[pick(units.size())] = unit();
        break;
    case 1:
        units.insert(pick(units.size() + 1), std::u16string(pick(300) + 1, unit()));
        break;
    case 2:
        if (!units.empty()) {
            const size_t at = pick(units.size());
            units.erase(at, pick(units.size() - at) + 1);
        }
        break;
    default:
        units.assign(pick(50), unit()); // replaced whole, or emptied
    }
    return WString(units.data(), static_cast<int>(units.size()));
}

} // namespace

TEST(UndoEntries, EveryEntryComesBackExactlyThroughPushesAndPops) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 40; ++round) {
        std::vector<WString> texts{WString(std::u16string(2000, u'<').c_str())};
        std::vector<WString> entries;
        for (int step = 0; step < 30; ++step) {
            UndoEntries::Push(entries, texts.back());
            texts.push_back(RandomEdit(texts.back(), random));
        }
        ASSERT_EQ(entries.size(), 30u);
        for (size_t i = 0; i < entries.size(); ++i)
            ASSERT_EQ(UndoEntries::TextAt(entries, i), texts[i]) << "round " << round << " entry " << i;
        for (size_t i = entries.size(); i-- > 0;)
            ASSERT_EQ(UndoEntries::Pop(entries), texts[i]) << "round " << round << " pop " << i;
        EXPECT_TRUE(UndoEntries::Pop(entries).IsEmpty());
    }
}

TEST(UndoEntries, DroppingTheOldestLeavesTheRestReadable) {
    std::vector<WString> entries;
    std::vector<WString> texts;
    WString text(std::u16string(500, u'x').c_str());
    for (int i = 0; i < 10; ++i) {
        texts.push_back(text);
        UndoEntries::Push(entries, text);
        text = WString(u"head") + text;
    }
    EXPECT_EQ(UndoHistory::TrimToLimit(entries, 0, 3), 7u);
    EXPECT_EQ(UndoHistory::TrimToLimit(entries, 0, 3), 0u) << "the kept newest ones are not counted";
    ASSERT_EQ(entries.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(UndoEntries::TextAt(entries, i), texts[7 + i]);
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
