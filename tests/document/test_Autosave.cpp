#include "DocFixture.h"

#include "document/Autosave.h"
#include "document/AutosaveStore.h"
#include "document/TileRef.h"
#include "support/Matrix3.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

using namespace doctest;

namespace {

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

class AutosaveTest : public ::testing::Test, public DocumentTest {
protected:
    AutosaveTest() : store(WString::FromUtf8(dir.Join("autosave/"))), autosave(doc, store) {}

    // Writes a copy and its info file as a run that has since died would have left them.
    void LeaveCopy(const std::string& name, const std::string& bytes, const std::string& original) {
        dir.MakeDir("autosave");
        dir.Write("autosave/" + name, bytes);
        // No process has the number 0: the copy's keeper is gone.
        dir.Write("autosave/" + name + ".origin",
                  std::string(AutosaveStore::kInfoHeader) + "\noriginal " + original + "\nowner 0 0\n");
    }

    AutosaveStore store;
    Autosave autosave;
};

TEST_F(AutosaveTest, CopyOfATenThousandTileMapHoldsExactlyWhatSaveWritesAndLeavesTheMapAlone) {
    const std::string original = MapText("");
    ASSERT_TRUE(OpenBytes("castle.gv", original));
    for (int i = 0; i < 10000; ++i) {
        TileRef* tile = doc.AddTile(i % 2 == 0 ? kFloor : kChest);
        ASSERT_NE(tile, nullptr);
        tile->SetTransform(Matrix3::Translation(i % 100 * 64.0, i / 100 * 64.0));
    }
    doc.SetModifiedFlag(true);
    doc.UndoHistory().emplace_back(); // an earlier step

    ASSERT_TRUE(autosave.Tick());
    autosave.WaitForWrite();
    EXPECT_EQ(autosave.TakeProblem().ToUtf8(), "");
    const std::string copyPath = autosave.CopyPath().ToUtf8();
    EXPECT_EQ(copyPath, dir.Join("autosave/castle.gv"));
    // The user's file, the undo history and the modified flag are as they were.
    EXPECT_EQ(dir.Read("castle.gv"), original);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.UndoHistory().size(), 1u);
    // Nothing changed since: no second write.
    EXPECT_FALSE(autosave.Tick());
    const std::string copied = dir.Read("autosave/castle.gv");
    EXPECT_EQ(copied, SaveBytes("saved.gv"));
    EXPECT_GT(copied.size(), 10000u * 90);

    // After a save the editor lets the copy go.
    autosave.Forget();
    EXPECT_FALSE(Exists(copyPath));
    EXPECT_FALSE(Exists(copyPath + ".origin"));
}

TEST_F(AutosaveTest, AnUnmodifiedMapHasNoCopyAndANewMapsCopyIsUntitled) {
    doc.OnNewDocument();
    EXPECT_FALSE(autosave.Tick());
    EXPECT_TRUE(autosave.CopyPath().IsEmpty());
    doc.AddTile(kFloor);
    doc.SetModifiedFlag(true);
    ASSERT_TRUE(autosave.Tick());
    autosave.WaitForWrite();
    EXPECT_EQ(autosave.CopyPath().ToUtf8(), dir.Join("autosave/untitled.gv"));
    EXPECT_TRUE(Exists(dir.Join("autosave/untitled.gv")));
    // This process keeps it, so it is nobody's leftover.
    EXPECT_TRUE(store.Orphans().empty());

    // Saved under a name, the map's next copy follows the name and the untitled one goes.
    ASSERT_FALSE(SaveBytes("keep.gv").empty());
    doc.AddTile(kFloor);
    doc.SetModifiedFlag(true);
    ASSERT_TRUE(autosave.Tick());
    autosave.WaitForWrite();
    EXPECT_EQ(autosave.CopyPath().ToUtf8(), dir.Join("autosave/keep.gv"));
    EXPECT_FALSE(Exists(dir.Join("autosave/untitled.gv")));
}

TEST_F(AutosaveTest, LeftoverCopiesAreListedNeverOverwrittenAndUnreadableOnesSayWhy) {
    const std::string castle = dir.Join("maps/castle.gv");
    LeaveCopy("castle.gv", MapText(""), castle);
    LeaveCopy("broken.gv", "<Gridvellum><TileRef", dir.Join("maps/broken.gv"));
    dir.MakeDir("autosave");
    dir.Write("autosave/stray.gv", MapText(""));

    const std::vector<AutosaveCopy> copies = store.Orphans();
    ASSERT_EQ(copies.size(), 3u);
    int readable = 0;
    for (const AutosaveCopy& copy : copies) {
        if (copy.copyPath.ToUtf8() == dir.Join("autosave/castle.gv")) {
            EXPECT_EQ(copy.originalPath.ToUtf8(), castle);
            EXPECT_EQ(copy.mapName.ToUtf8(), "castle.gv");
            EXPECT_GT(copy.savedAt, 0);
        }
        if (copy.copyPath.ToUtf8() == dir.Join("autosave/broken.gv")) {
            EXPECT_FALSE(copy.readable);
            EXPECT_FALSE(copy.problem.IsEmpty());
        }
        if (copy.copyPath.ToUtf8() == dir.Join("autosave/stray.gv")) {
            // Without its info file the map it belongs to is unknown: it comes back untitled.
            EXPECT_TRUE(copy.originalPath.IsEmpty());
            EXPECT_EQ(copy.mapName.ToUtf8(), "untitled");
        }
        readable += copy.readable ? 1 : 0;
    }
    EXPECT_EQ(readable, 2);

    // The same map edited again gets a copy of its own; the one kept for later stays as it was.
    ASSERT_TRUE(OpenBytes("maps/castle.gv", MapText("")));
    doc.AddTile(kFloor);
    doc.SetModifiedFlag(true);
    ASSERT_TRUE(autosave.Tick());
    autosave.WaitForWrite();
    EXPECT_EQ(autosave.CopyPath().ToUtf8(), dir.Join("autosave/castle-2.gv"));
    EXPECT_EQ(dir.Read("autosave/castle.gv"), MapText(""));
    EXPECT_EQ(store.Orphans().size(), 3u);
}

TEST_F(AutosaveTest, RecoveredCopyOpensModifiedUnderItsMapsNameAndBecomesTheDocumentsCopy) {
    const std::string castle = dir.Join("castle.gv");
    doc.AddTile(kWall);
    const std::string changed = SaveBytes("changed.gv");
    dir.Write("castle.gv", MapText(""));
    LeaveCopy("castle.gv", changed, castle);
    doc.OnNewDocument();
    const WString copyPath = WString::FromUtf8(dir.Join("autosave/castle.gv"));

    ASSERT_TRUE(doc.OnRecoverDocument(copyPath, WString::FromUtf8(castle)));
    EXPECT_EQ(doc.PathName().ToUtf8(), castle);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.TileCount(), 1);
    EXPECT_EQ(host.titles.back(), "castle.gv [test.set]");
    autosave.Adopt(copyPath, doc.PathName());
    // Kept by this process now, so another window would not offer it.
    EXPECT_TRUE(store.Orphans().empty());
    EXPECT_EQ(SaveBytes("castle.gv"), changed);
    autosave.Forget();
    EXPECT_FALSE(Exists(dir.Join("autosave/castle.gv")));

    EXPECT_FALSE(doc.OnRecoverDocument(WString::FromUtf8(dir.Join("autosave/none.gv")), u""));
}

} // namespace
