#include "AppFixture.h"

#include "app/AppSettings.h"
#include "app/CGridvellumApp.h"
#include "document/AutosaveStore.h"
#include "document/ProgramState.h"
#include "platform/QtSettingsStore.h"

#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace apptest;
using RecoveryChoice = CGridvellumApp::Prompts::RecoveryChoice;

namespace {

class AutosaveAppTest : public ::testing::Test {
protected:
    ~AutosaveAppTest() override { app.reset(); }

    void StartApp() {
        app = harness.MakeApp();
        ASSERT_TRUE(app->Start(WString()));
    }

    // A map of one tile saved by the editor itself: the bytes of a real map file.
    std::string OneTileMap() {
        StartApp();
        app->Document().AddTile(0);
        harness.script.saveAnswers.push_back(harness.dir.WJoin("one.gv"));
        EXPECT_TRUE(app->FileSaveAs());
        app.reset();
        return harness.dir.Read("one.gv");
    }

    // A copy and its info file as a run that was killed would have left them.
    void LeaveCopy(const std::string& name, const std::string& bytes, const std::string& original) {
        harness.dir.MakeDir("autosave");
        harness.dir.Write("autosave/" + name, bytes);
        harness.dir.Write("autosave/" + name + ".origin", std::string(AutosaveStore::kInfoHeader) +
                                                              "\noriginal " + original + "\nowner 0 0\n");
    }

    bool HasCopy(const std::string& name) const {
        return std::filesystem::exists(harness.dir.Join("autosave/" + name));
    }

    AppHarness harness;
    std::unique_ptr<CGridvellumApp> app;
};

TEST_F(AutosaveAppTest, CopyAppearsAfterAChangeWithinTheIntervalAndGoesWithTheSave) {
    {
        // Below the shortest interval only through a store the caller gives.
        QtSettingsStore store(harness.SettingsPath());
        store.WriteInt(AppSettings::kAutosaveKey, 1);
    }
    StartApp();
    const WString castle = harness.dir.WJoin("castle.gv");
    harness.script.saveAnswers.push_back(castle);
    ASSERT_TRUE(app->FileSaveAs());
    const std::string saved = harness.dir.Read("castle.gv");

    app->Document().AddTile(0);
    app->Document().SetModifiedFlag(true);
    for (int waited = 0; waited < 40 && !HasCopy("castle.gv"); ++waited) {
        QTest::qWait(100);
    }
    ASSERT_TRUE(HasCopy("castle.gv"));
    app->Autosaver().WaitForWrite();
    EXPECT_TRUE(HasCopy("castle.gv.origin"));
    EXPECT_NE(harness.dir.Read("autosave/castle.gv"), saved);
    // The user's file and the modified flag are as they were.
    EXPECT_EQ(harness.dir.Read("castle.gv"), saved);
    EXPECT_TRUE(app->Document().IsModified());

    ASSERT_TRUE(app->FileSave());
    EXPECT_FALSE(HasCopy("castle.gv"));
    EXPECT_FALSE(HasCopy("castle.gv.origin"));
    EXPECT_NE(harness.dir.Read("castle.gv"), saved);

    // "Don't save" when the map closes takes the copy away too.
    app->Document().AddTile(1);
    app->Document().SetModifiedFlag(true);
    app->AutosaveNow();
    app->Autosaver().WaitForWrite();
    ASSERT_TRUE(HasCopy("castle.gv"));
    harness.script.saveChoices.push_back(CGridvellumApp::Prompts::SaveChoice::Discard);
    ASSERT_TRUE(app->FileNew());
    EXPECT_FALSE(HasCopy("castle.gv"));
}

TEST_F(AutosaveAppTest, IntervalsBelowFiveSecondsReadAsFiveAndZeroTurnsAutosaveOff) {
    EXPECT_EQ(AppSettings::LimitAutosaveSeconds(0), 0);
    EXPECT_EQ(AppSettings::LimitAutosaveSeconds(1), 5);
    EXPECT_EQ(AppSettings::LimitAutosaveSeconds(-2), 5);
    EXPECT_EQ(AppSettings::LimitAutosaveSeconds(300), 300);
    QtSettingsStore store(harness.SettingsPath());
    AppSettings settings(store);
    ProgramState state;
    settings.ReadAtStart(state);
    EXPECT_EQ(settings.AutosaveSeconds(), 120);
    store.WriteInt(AppSettings::kAutosaveKey, 2);
    settings.ReadAtStart(state);
    EXPECT_EQ(settings.AutosaveSeconds(), 5);
}

TEST_F(AutosaveAppTest, RecoveryOpensTheCopyModifiedUnderItsMapAndNamesTheCopyItCannotRead) {
    const std::string changed = OneTileMap();
    const std::string castle = harness.dir.Join("castle.gv");
    harness.dir.Write("castle.gv", harness.dir.Read("one.gv"));
    harness.script.saveAnswers.clear();
    StartApp();
    harness.script.saveAnswers.push_back(WString::FromUtf8(castle));
    ASSERT_TRUE(app->FileSaveAs()); // an empty map in the user's file
    const std::string empty = harness.dir.Read("castle.gv");
    app.reset();
    LeaveCopy("castle.gv", changed, castle);
    LeaveCopy("broken.gv", "<Gridvellum", harness.dir.Join("broken.gv"));

    harness.script.recoveryChoices.push_back(RecoveryChoice::Recover);
    StartApp();
    ASSERT_EQ(harness.script.recoveryOffers.size(), 1u);
    EXPECT_EQ(harness.script.recoveryOffers[0].size(), 2u);
    EXPECT_EQ(app->Document().PathName().ToUtf8(), castle);
    EXPECT_TRUE(app->Document().IsModified());
    EXPECT_EQ(app->Document().TileCount(), 1);
    EXPECT_EQ(app->WindowTitle().ToUtf8(), "castle.gv [alpha.set]");
    // The file itself was not touched by the recovery.
    EXPECT_EQ(harness.dir.Read("castle.gv"), empty);
    ASSERT_EQ(harness.script.messages.size(), 1u);
    EXPECT_NE(harness.script.messages[0].find(harness.dir.Join("autosave/broken.gv")), std::string::npos);
    EXPECT_TRUE(HasCopy("broken.gv"));

    ASSERT_TRUE(app->FileSave());
    EXPECT_EQ(harness.dir.Read("castle.gv"), changed);
    EXPECT_FALSE(HasCopy("castle.gv"));
    app.reset();

    // Deciding later keeps what is left for the next start; discarding removes it.
    harness.script.recoveryChoices.push_back(RecoveryChoice::Later);
    StartApp();
    EXPECT_TRUE(HasCopy("broken.gv"));
    EXPECT_TRUE(app->Document().PathName().IsEmpty());
    app.reset();
    harness.script.recoveryChoices.push_back(RecoveryChoice::Discard);
    StartApp();
    EXPECT_EQ(harness.script.recoveryOffers.size(), 3u);
    EXPECT_FALSE(HasCopy("broken.gv"));
    EXPECT_FALSE(HasCopy("broken.gv.origin"));
}

} // namespace
