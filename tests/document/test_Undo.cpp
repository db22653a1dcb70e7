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
    // Three entries of 3,000,000 characters hold 18,000,000 bytes, more than 16,777,216.
    const std::u16string big(3'000'000, u'x');
    for (char16_t mark : {u'1', u'2', u'3'}) {
        std::u16string entry = big;
        entry[0] = mark;
        doc.UndoHistory().emplace_back(entry.c_str());
    }
    ASSERT_TRUE(Drag(64, 0));
    ASSERT_EQ(doc.UndoHistory().size(), 3u);
    EXPECT_EQ(doc.UndoHistory()[0].At(0), u'2');
    EXPECT_EQ(doc.UndoHistory()[1].At(0), u'3');
    // the text of the map before the drag, held packed
    EXPECT_EQ(UndoEntries::TextAt(doc.UndoHistory(), 2).At(0), u'<');
}

TEST_F(UndoTest, SingleEntryLargerThanTheLimitStaysUntilTheNextCommit) {
    Place(kFloor, 0, 0).SetSelected(true);
    history.BeginEdit();
    edits.TransformSelected(Matrix3::Translation(64, 0));
    // Stands for a map whose text passes the limit alone: 8,388,609 characters are 16,777,218 bytes
    // (characters beyond a byte, so the entry cannot be packed).
    doc.PreEditSnapshot() = WString(std::u16string(8'388'609, u'\u0127').c_str());
    ASSERT_TRUE(history.CommitEdit());
    ASSERT_EQ(doc.UndoHistory().size(), 1u);
    EXPECT_EQ(UndoHistory::SizeInBytes(doc.UndoHistory()), 16'777'218u);

    ASSERT_TRUE(Drag(64, 0));
    ASSERT_EQ(doc.UndoHistory().size(), 1u);
    EXPECT_LT(doc.UndoHistory()[0].Length(), 10'000);
}

TEST_F(UndoTest, TrimCountsTwoBytesPerCharacter) {
    std::vector<WString> entries{WString(u"aaaa"), WString(u"bbbb"), WString(u"cc")};
    EXPECT_EQ(UndoHistory::TrimToLimit(entries, 20), 0u); // 8 + 8 + 4 bytes fit exactly
    EXPECT_EQ(UndoHistory::TrimToLimit(entries, 19), 1u);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], WString(u"bbbb"));
    EXPECT_EQ(UndoHistory::TrimToLimit(entries, 3), 2u);
    EXPECT_TRUE(entries.empty());
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
