#include "DocFixture.h"

#include "document/EditOps.h"
#include "document/Flags.h"
#include "document/MovementPath.h"
#include "document/TileRef.h"
#include "document/UndoEntries.h"
#include "document/UndoHistory.h"
#include "support/Matrix3.h"

#include <gtest/gtest.h>

#include <string>

using namespace doctest;

namespace {

class UndoTest : public ::testing::Test, public DocumentTest {
protected:
    UndoTest() : history(doc), edits(doc, &host) {}

    // A drag of the selection by (dx, dy) ending with the group snap, as the edit tool does it.
    bool Drag(double dx, double dy) {
        history.BeginEdit();
        edits.TransformSelected(Matrix3::Translation(dx, dy));
        edits.SnapSelection();
        return history.CommitEdit();
    }
    static Vec2 OriginOf(const TileRef* tile) { return tile != nullptr ? tile->Origin() : Vec2(-1, -1); }

    UndoHistory history;
    EditOps edits;
};

TEST_F(UndoTest, UndoAfterClickWithoutMoveMakesNoStep) {
    TileRef& tile = Place(kFloor, 64, 0);
    history.BeginEdit();
    tile.SetSelected(true);
    edits.RaiseSelected();
    edits.SnapSelection();
    EXPECT_FALSE(history.CommitEdit());
    EXPECT_TRUE(doc.UndoHistory().empty());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(history.Undo());
}

TEST_F(UndoTest, DroppingTileWhereItStartedMakesNoStep) {
    Place(kFloor, 64, 0).SetSelected(true);
    // 20 units away snaps back onto the cell it came from.
    EXPECT_FALSE(Drag(20, -12));
    EXPECT_EQ(OriginOf(doc.TileAt(0)), Vec2(64, 0));
    EXPECT_TRUE(doc.UndoHistory().empty());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(UndoTest, MoveUndoRedoRestoreEachPlacementAndLeaveNothingSelected) {
    Place(kFloor, 0, 0).SetSelected(true);
    ASSERT_TRUE(Drag(64, 128));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.UndoHistory().size(), 1u);

    doc.SetModifiedFlag(false);
    ASSERT_TRUE(history.Undo());
    ASSERT_EQ(doc.TileCount(), 1);
    EXPECT_EQ(OriginOf(doc.TileAt(0)), Vec2(0, 0));
    EXPECT_EQ(doc.SelectedCount(), 0);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.UndoHistory().empty());
    EXPECT_EQ(doc.RedoHistory().size(), 1u);
    EXPECT_FALSE(history.Undo()); // nothing left

    ASSERT_TRUE(history.Redo());
    EXPECT_EQ(OriginOf(doc.TileAt(0)), Vec2(64, 128));
    EXPECT_TRUE(doc.RedoHistory().empty());
    EXPECT_EQ(doc.UndoHistory().size(), 1u);
    EXPECT_FALSE(history.Redo());
}

TEST_F(UndoTest, SettingFreeMakesNoStepButSnappingBackOntoTheGridDoes) {
    Place(kFloor, 0, 0).SetSelected(true);
    EXPECT_FALSE(edits.SetSelectedFree(true));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(doc.TileAt(0)->FreeFlag());

    // A free tile stays where it is dropped.
    ASSERT_TRUE(Drag(20, 10));
    EXPECT_EQ(OriginOf(doc.TileAt(0)), Vec2(20, 10));

    EXPECT_TRUE(edits.SetSelectedFree(false));
    EXPECT_EQ(OriginOf(doc.TileAt(0)), Vec2(0, 0));
    EXPECT_EQ(doc.UndoHistory().size(), 2u);

    // Snapping a tile that already lies on the grid changes nothing.
    EXPECT_FALSE(edits.SetSelectedFree(false));
}

TEST_F(UndoTest, NewEditEmptiesTheRedoHistory) {
    Place(kFloor, 0, 0).SetSelected(true);
    ASSERT_TRUE(Drag(64, 0));
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(doc.RedoHistory().size(), 1u);

    doc.TileAt(0)->SetSelected(true);
    EXPECT_FALSE(Drag(0, 0)); // an edit without a change keeps the redo step
    EXPECT_EQ(doc.RedoHistory().size(), 1u);
    ASSERT_TRUE(Drag(0, 64));
    EXPECT_TRUE(doc.RedoHistory().empty());
    EXPECT_FALSE(history.CanRedo());
}

TEST_F(UndoTest, HistoryDropsItsOldestEntriesBeyondTheLimit) {
    Place(kFloor, 0, 0).SetSelected(true);
    // Three entries holding a text of 3,000,000 characters each hold 18,000,000 bytes and more, past
    // 16,777,216.
    const std::u16string big(3'000'000, u'x');
    for (char16_t mark : {u'1', u'2', u'3'}) {
        std::u16string text = big;
        text[0] = mark;
        doc.UndoHistory().emplace_back();
        doc.UndoHistory().back().tiles.push_back(std::make_shared<const WString>(text.c_str()));
    }
    ASSERT_TRUE(Drag(64, 0));
    ASSERT_EQ(doc.UndoHistory().size(), 3u);
    EXPECT_EQ(UndoEntries::TilesAt(doc.UndoHistory(), 0).front()->At(0), u'2');
    EXPECT_EQ(UndoEntries::TilesAt(doc.UndoHistory(), 1).front()->At(0), u'3');
    // the map before the drag
    EXPECT_EQ(history.StepText(2).At(0), u'<');
    EXPECT_LE(UndoHistory::SizeInBytes(doc.UndoHistory()), UndoHistory::kLimitBytes);
}

TEST_F(UndoTest, SingleEntryLargerThanTheLimitStaysUntilTheNextCommit) {
    Place(kFloor, 0, 0).SetSelected(true);
    history.BeginEdit();
    edits.TransformSelected(Matrix3::Translation(64, 0));
    // Stands for a map whose tiles pass the limit alone: 8,388,609 characters are 16,777,218 bytes.
    doc.PreEditSnapshot() =
        TileTexts{std::make_shared<const WString>(std::u16string(8'388'609, u'\u0127').c_str())};
    ASSERT_TRUE(history.CommitEdit());
    ASSERT_EQ(doc.UndoHistory().size(), 1u);
    EXPECT_GT(UndoHistory::SizeInBytes(doc.UndoHistory()), 16'777'218u) << "the text it alone holds counts";

    ASSERT_TRUE(Drag(64, 0));
    ASSERT_EQ(doc.UndoHistory().size(), 1u);
    EXPECT_LT(UndoHistory::SizeInBytes(doc.UndoHistory()), 20'000u);
}

TEST_F(UndoTest, TrimCountsWhatTheEntriesHoldAndNotWhatTheMapHolds) {
    TileRef& tile = Place(kFloor, 0, 0);
    UndoList entries(3);
    for (UndoEntry& entry : entries)
        entry.tiles.push_back(std::make_shared<const WString>(std::u16string(1000, u'a').c_str()));
    entries[2].tiles.push_back(tile.ClipboardText());
    const std::size_t each = UndoEntries::HeldBytes(entries[0]);
    EXPECT_GE(each, 2000u) << "two bytes per unit of a text only the entry holds";
    // The tile's own text is shared with the map: only its place in the list costs the entry.
    EXPECT_EQ(UndoEntries::HeldBytes(entries[2]), each + sizeof(TileText));
    const std::size_t all = 3 * each + sizeof(TileText);
    EXPECT_EQ(UndoHistory::SizeInBytes(entries), all);
    EXPECT_EQ(UndoHistory::TrimToLimit(entries, all), 0u);
    EXPECT_EQ(UndoHistory::TrimToLimit(entries, all - 1), 1u);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(UndoHistory::TrimToLimit(entries, 3, 1), 1u) << "the newest is neither counted nor dropped";
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].tiles.back(), tile.ClipboardText());
}

TEST_F(UndoTest, UndoRestoresPathsAndLocalFlagsButNeverTheScenario) {
    doc.SetScenario(u"Before");
    TileRef& chest = Place(kChest, 0, 0);
    chest.SetSelected(true);
    ASSERT_TRUE(chest.LocalFlag(0));

    history.BeginEdit();
    MovementPath::RecordPathStep(doc);
    edits.TransformSelected(Matrix3::Translation(128, 0));
    edits.SnapSelection();
    chest.SetLocalFlag(0, false);
    chest.SetLocalFlag(2, true);
    ASSERT_TRUE(history.CommitEdit());
    ASSERT_EQ(chest.PathLength(), 2);
    doc.SetScenario(u"After");

    ASSERT_TRUE(history.Undo());
    const TileRef* restored = doc.TileAt(0);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->PathLength(), 1);
    EXPECT_TRUE(restored->LocalFlag(0));
    EXPECT_FALSE(restored->LocalFlag(2));
    EXPECT_EQ(doc.Scenario(), WString(u"After"));

    ASSERT_TRUE(history.Redo());
    restored = doc.TileAt(0);
    EXPECT_EQ(restored->PathLength(), 2);
    EXPECT_EQ(OriginOf(restored), Vec2(128, 0));
    EXPECT_FALSE(restored->LocalFlag(0));
    EXPECT_TRUE(restored->LocalFlag(2));
    EXPECT_EQ(doc.Scenario(), WString(u"After"));
}

TEST_F(UndoTest, LocalFlagChangeAloneIsAStep) {
    TileRef& chest = Place(kChest, 0, 0);
    history.BeginEdit();
    chest.SetLocalFlag(2, true);
    EXPECT_TRUE(history.CommitEdit());
    // Tint strength alone is not.
    history.BeginEdit();
    chest.SetStrength(0.9);
    EXPECT_FALSE(history.CommitEdit());
}

TEST_F(UndoTest, CommitWithoutBeginKeepsTheChangeButMakesNoEmptyStep) {
    Place(kFloor, 0, 0);
    state.changed = true;
    EXPECT_FALSE(history.CommitEdit());
    EXPECT_TRUE(doc.UndoHistory().empty());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_FALSE(state.changed);
    EXPECT_EQ(doc.TileCount(), 1);
}

TEST_F(UndoTest, ClearingPathsIsNoStepAndUndoBringsThemBack) {
    TileRef& tile = Place(kFloor, 0, 0);
    tile.SetSelected(true);
    history.BeginEdit();
    MovementPath::RecordPathStep(doc);
    edits.TransformSelected(Matrix3::Translation(64, 0));
    ASSERT_TRUE(history.CommitEdit());
    ASSERT_TRUE(Drag(0, 64));
    // The second drag recorded no step, so its path still holds two steps.
    ASSERT_EQ(doc.TileAt(0)->PathLength(), 2);
    doc.SetModifiedFlag(false);

    MovementPath::ClearAllPaths(doc);
    EXPECT_EQ(doc.TileAt(0)->PathLength(), 1);
    EXPECT_EQ(doc.UndoHistory().size(), 2u);
    EXPECT_FALSE(doc.IsModified());

    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(doc.TileAt(0)->PathLength(), 2);
    EXPECT_EQ(OriginOf(doc.TileAt(0)), Vec2(64, 0));
}

TEST_F(UndoTest, LocalFlagMenuCommandIsUndoable) {
    TileRef& chest = Place(kChest, 0, 0);
    ASSERT_TRUE(Flags::ToggleLocalFlag(doc, &chest, 2));
    EXPECT_TRUE(doc.TileAt(0)->LocalFlag(2));
    EXPECT_TRUE(doc.IsModified());
    ASSERT_TRUE(history.Undo());
    EXPECT_FALSE(doc.TileAt(0)->LocalFlag(2));
}

} // namespace

namespace {

class UndoLargeMapTest : public ::testing::Test, public DocumentTest {
protected:
    UndoLargeMapTest() : history(doc), edits(doc, &host) {
        for (int i = 0; i < 3000; ++i) {
            TileRef* tile = doc.AddTile(i % 3 == 0 ? kChest : kFloor);
            tile->SetTransform(Matrix3::Translation((i % 60) * 64, (i / 60) * 64));
            tile->UpdateBounds();
            // The strength of an untinted tile is not written, so a tile read from its text has the
            // default one: this one tells the tiles kept as they were.
            tile->SetStrength(kKeptMark);
        }
    }
    int KeptTiles() const {
        int kept = 0;
        for (int i = 0; i < doc.TileCount(); ++i)
            kept += !doc.TileAt(i)->IsTinted() && doc.TileAt(i)->Strength() == kKeptMark;
        return kept;
    }
    WString Text() const {
        WString text;
        doc.ToText(text);
        return text;
    }
    static constexpr double kKeptMark = 0.77;
    UndoHistory history;
    EditOps edits;
};

// Undo and redo read back only the tiles an edit touched: every other tile stays the object it was,
// in its place, while the map's text is exactly the one the step kept, through raises, deletions and
// additions in the middle of the map.
TEST_F(UndoLargeMapTest, UndoAndRedoReadOnlyTheTilesThatDiffer) {
    const WString before = Text();
    ASSERT_EQ(KeptTiles(), 3000);

    history.BeginEdit();
    for (int i : {30, 1000, 2001})
        doc.TileAt(i)->SetSelected(true);
    edits.RaiseSelected(); // the chest at 30 goes to the end of the chests' layer
    edits.TransformSelected(Matrix3::Translation(0, 64 * 60));
    doc.ReleaseTile(500);
    doc.CompactTiles();
    ASSERT_NE(doc.AddTile(kFloor), nullptr);
    ASSERT_TRUE(history.CommitEdit());
    const WString after = Text();
    const int chests = doc.CountPlaced(kChest);

    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(Text(), before);
    EXPECT_EQ(KeptTiles(), 3000 - 4) << "only the four tiles the edit touched are read anew";
    EXPECT_EQ(doc.SelectedCount(), 0);
    EXPECT_EQ(doc.CountPlaced(kChest), 1000);
    EXPECT_EQ(doc.CountPlaced(kFloor), 2000);

    ASSERT_TRUE(history.Redo());
    EXPECT_EQ(Text(), after);
    // The moved tiles and the added one are read again; every untouched tile is kept.
    EXPECT_EQ(KeptTiles(), 3000 - 4);
    EXPECT_EQ(doc.CountPlaced(kChest), chests);
    EXPECT_EQ(doc.CountPlaced(kFloor), 3000 - chests);
}

} // namespace

namespace {

class UndoPastMaximumTest : public ::testing::Test, public DocumentTest {};

// A map read from an older tileset may hold more tiles of a kind than its maximum now allows; undo
// gives back the map the step kept and does not drop the extra ones.
TEST_F(UndoPastMaximumTest, UndoKeepsTilesBeyondTheirDefinitionsMaximum) {
    for (int i = 0; i < 3; ++i) {
        auto door = std::make_unique<TileRef>(doc.Context());
        door->SetDefinition(kDoor); // at most 2
        door->SetTransform(Matrix3::Translation(64.0 * i, 0));
        door->UpdateBounds();
        doc.InsertTile(std::move(door));
    }
    ASSERT_EQ(doc.CountPlaced(kDoor), 3);
    EXPECT_EQ(doc.AddTile(kDoor), nullptr);
    UndoHistory history(doc);
    EditOps edits(doc);
    doc.TileAt(2)->SetSelected(true);
    ASSERT_TRUE(edits.DeleteSelected());
    ASSERT_EQ(doc.CountPlaced(kDoor), 2);

    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(doc.TileCount(), 3);
    EXPECT_EQ(doc.CountPlaced(kDoor), 3);
    EXPECT_EQ(doc.AddTile(kDoor), nullptr) << "the count after undo still holds the maximum";
}

} // namespace
