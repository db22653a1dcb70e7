#include "AppFixture.h"

#include "app/CGridvellumApp.h"
#include "app/CGridvellumView.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "document/CGridvellumDoc.h"
#include "document/TileRef.h"
#include "platform/QtSettingsStore.h"
#include "support/Matrix3.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QStringList>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

using namespace apptest;

namespace {

// When an entry is enabled: always, or by one fact of the map and the program.
enum class Rule { Always, Selected, HasTiles, Clipboard, Undo, Redo, Flippable, DefaultTint, Never };

struct Row {
    int id;
    const char* text;
    const char* keys; // PortableText, "; " between sequences
    Rule rule = Rule::Always;
    bool checkable = false;
};

constexpr int kZoomSubmenu = -1; // the View menu's "Zoom" submenu in a walk

// Written out here from the command table, so that a typo on either side shows.
const std::vector<Row> kFileMenu = {
    {57600, "&New\tCtrl+N", "Ctrl+N"},
    {57601, "&Open...\tCtrl+O", "Ctrl+O"},
    {57603, "&Save\tCtrl+S", "Ctrl+S"},
    {57604, "Save &As...", ""},
    {32779, "Publish to JPEG", "", Rule::HasTiles},
    {32827, "Change TileSet", ""},
    {32817, "Generate Report", ""},
    {57607, "Print...", "Ctrl+P"},
    {57609, "Print Preview...", ""},
    {57606, "Print Setup...", ""},
    {57616, "Recent File", "", Rule::Never},
    {57665, "E&xit", ""},
};
const std::vector<Row> kEditMenu = {
    {57643, "Undo\tCtrl+Z", "Ctrl+Z", Rule::Undo},
    {57644, "Redo\tCtrl+Y", "Ctrl+Y; Ctrl+Shift+Z", Rule::Redo},
    {32842, "Select All\tCtrl+A", "Ctrl+A", Rule::HasTiles},
    {32843, "Deselect All\tCtrl+D", "Ctrl+D", Rule::Selected},
    {57635, "Cu&t\tCtrl+X", "Ctrl+X; Shift+Del", Rule::Selected},
    {57634, "&Copy\tCtrl+C", "Ctrl+C; Ctrl+Ins", Rule::Selected},
    {57637, "&Paste\tCtrl+V", "Ctrl+V; Shift+Ins", Rule::Clipboard},
    {32785, "Delete\tDel", "", Rule::Selected},
    {32814, "Flip Tile\tF", "", Rule::Flippable},
    {32857, "Scale Tile", "", Rule::Selected},
    {32858, "Show Resize Handles", "", Rule::Always, true},
    {32845, "Set Tile Snap", "", Rule::Selected},
    {32846, "Set Tile Free", "", Rule::Selected},
    {32781, "Set Tile Color", "", Rule::Selected},
    {32780, "Clear Tile Color", "", Rule::Selected},
    {32822, "Set Default Tile Color", ""},
    {32823, "Clear Default Tile Color", "", Rule::DefaultTint},
    {32824, "Edit Scenario", ""},
    {32878, "Record Movement Paths", "", Rule::Always, true},
    {32903, "Clear Selected Movement Paths", "", Rule::Selected},
    {32879, "Clear ALL Movement Paths", ""},
};
const std::vector<Row> kViewMenu = {
    {32771, "&Zoom Extents", ""},
    {kZoomSubmenu, "Zoom", ""},
    {32772, "&Pan Tool", "", Rule::Always, true},
    {32773, "&Edit Tool", "", Rule::Always, true},
    {32818, "Text Tool", "", Rule::Always, true},
    {32856, "Advanced Mouse Wheel Zoom", "", Rule::Always, true},
    {32848, "Small Tiles", "", Rule::Always, true},
    {32849, "Large Tiles", "", Rule::Always, true},
    {32850, "1 Column", "", Rule::Always, true},
    {32851, "2 Columns", "", Rule::Always, true},
    {32852, "3 Columns", "", Rule::Always, true},
    {32853, "4 Columns", "", Rule::Always, true},
    {32854, "5 Columns", "", Rule::Always, true},
    {32855, "6 Columns", "", Rule::Always, true},
    {32790, "Quick Draw", "", Rule::Always, true},
    {32844, "OpenGL", "", Rule::Always, true},
    {32841, "Show Drawtime", "", Rule::Always, true},
};
const std::vector<Row> kZoomMenu = {
    {32793, "100%", "", Rule::Always, true}, {32806, "90%", "", Rule::Always, true},
    {32807, "80%", "", Rule::Always, true},  {32808, "70%", "", Rule::Always, true},
    {32809, "60%", "", Rule::Always, true},  {32794, "50%", "", Rule::Always, true},
    {32810, "40%", "", Rule::Always, true},  {32811, "30%", "", Rule::Always, true},
    {32812, "20%", "", Rule::Always, true},  {32813, "10%", "", Rule::Always, true},
};
const std::vector<Row> kHelpMenu = {
    {32782, "Help", "F1"},
    {57664, "&About Gridvellum...", ""},
};
// The toolbar from the left, 0 for a separator; the eighth and ninth buttons pop up menus.
const std::vector<int> kToolBar = {57600, 57601, 57603, 0,     57635, 57634, 57637, 0,     32771, 32796,
                                   32891, 0,     57643, 57644, 0,     32773, 32772, 32818, 0,     32782};

std::string Keys(const QAction& action) {
    QStringList keys;
    for (const QKeySequence& key : action.shortcuts()) {
        keys.append(key.toString(QKeySequence::PortableText));
    }
    return keys.join(QStringLiteral("; ")).toStdString();
}

// The facts the rules read, as the test set them up.
struct Facts {
    bool selected = false;
    bool hasTiles = false;
    bool clipboard = false;
    bool undo = false;
    bool redo = false;
    bool defaultTint = false;
};

bool Expected(Rule rule, const Facts& facts) {
    switch (rule) {
    case Rule::Always:
        return true;
    case Rule::Selected:
        return facts.selected;
    case Rule::HasTiles:
        return facts.hasTiles;
    case Rule::Clipboard:
        return facts.clipboard;
    case Rule::Undo:
        return facts.undo;
    case Rule::Redo:
        return facts.redo;
    case Rule::Flippable: // the test tileset has no flip pictures
    case Rule::Never:
        return false;
    case Rule::DefaultTint:
        return facts.defaultTint;
    }
    return false;
}

class CommandsTest : public ::testing::Test {
protected:
    ~CommandsTest() override { app.reset(); }

    void StartApp() {
        app = harness.MakeApp();
        ASSERT_TRUE(app->Start(WString()));
        frame = app->Frame();
        QApplication::processEvents();
    }
    TileRef* Place(int definition, double x, double y) {
        TileRef* tile = app->Document().AddTile(definition);
        if (tile != nullptr) {
            tile->SetTransform(Matrix3::Translation(x, y));
            tile->UpdateBounds();
        }
        return tile;
    }
    std::string LastMessage() const {
        return harness.script.messages.empty() ? std::string() : harness.script.messages.back();
    }

    // Walks a built menu: every visible entry in order, the Zoom submenu as one entry.
    void ExpectMenu(QMenu& menu, const std::vector<Row>& rows) {
        std::vector<QAction*> entries;
        for (QAction* action : menu.actions()) {
            if (!action->isSeparator() && action->isVisible()) {
                entries.push_back(action);
            }
        }
        ASSERT_EQ(entries.size(), rows.size()) << menu.title().toStdString();
        for (size_t i = 0; i < rows.size(); ++i) {
            const Row& row = rows[i];
            QAction* expected =
                row.id == kZoomSubmenu ? frame->ZoomMenu().menuAction() : frame->Action(row.id);
            EXPECT_EQ(entries[i], expected) << "entry " << i << " of " << menu.title().toStdString();
            EXPECT_EQ(entries[i]->text().toStdString(), row.text) << row.id;
            EXPECT_EQ(Keys(*entries[i]), row.keys) << row.id;
            if (row.id != kZoomSubmenu) {
                EXPECT_EQ(entries[i]->isCheckable(), row.checkable) << row.id;
            }
        }
    }

    void ExpectEnabled(const Facts& facts, const char* when) {
        frame->UpdateCommands();
        for (const std::vector<Row>* menu : {&kFileMenu, &kEditMenu, &kViewMenu, &kZoomMenu, &kHelpMenu}) {
            for (const Row& row : *menu) {
                if (row.id != kZoomSubmenu) {
                    EXPECT_EQ(frame->Action(row.id)->isEnabled(), Expected(row.rule, facts))
                        << row.text << " " << when;
                }
            }
        }
    }

    AppHarness harness;
    std::unique_ptr<CGridvellumApp> app;
    CMainFrame* frame = nullptr;
};

TEST_F(CommandsTest, MenusToolbarAndKeysAreTheCommandTable) {
    StartApp();
    ExpectMenu(frame->FileMenu(), kFileMenu);
    ExpectMenu(frame->EditMenu(), kEditMenu);
    ExpectMenu(frame->ViewMenu(), kViewMenu);
    ExpectMenu(frame->ZoomMenu(), kZoomMenu);
    ExpectMenu(frame->HelpMenu(), kHelpMenu);

    // F6 and Shift+F6 belong to the window without an entry.
    EXPECT_EQ(Keys(*frame->Action(CommandTable::kNextPane)), "F6");
    EXPECT_EQ(Keys(*frame->Action(CommandTable::kPreviousPane)), "Shift+F6");
    EXPECT_TRUE(frame->actions().contains(frame->Action(CommandTable::kNextPane)));
    EXPECT_TRUE(frame->actions().contains(frame->Action(CommandTable::kPreviousPane)));

    const QList<QAction*> buttons = frame->ToolBar().actions();
    ASSERT_EQ(buttons.size(), static_cast<qsizetype>(kToolBar.size()));
    int button = 0;
    for (size_t i = 0; i < kToolBar.size(); ++i) {
        if (kToolBar[i] == 0) {
            EXPECT_TRUE(buttons[i]->isSeparator()) << i;
            continue;
        }
        ++button;
        QAction* action = buttons[i];
        EXPECT_EQ(action, frame->Action(kToolBar[i])) << i;
        // Every button has a picture (the theme's or the one drawn here) and both tips.
        EXPECT_FALSE(action->icon().isNull()) << kToolBar[i];
        EXPECT_FALSE(action->toolTip().isEmpty()) << kToolBar[i];
        EXPECT_FALSE(action->statusTip().isEmpty()) << kToolBar[i];
        const bool popup = button == 8 || button == 9;
        EXPECT_EQ(action->menu() != nullptr, popup) << "button " << button;
        if (popup) {
            auto* tool = qobject_cast<QToolButton*>(frame->ToolBar().widgetForAction(action));
            ASSERT_NE(tool, nullptr);
            EXPECT_EQ(tool->popupMode(), QToolButton::InstantPopup);
        }
    }
    EXPECT_EQ(frame->Action(CommandTable::kZoomPopup)->menu(), &frame->ZoomMenu());
    EXPECT_EQ(frame->Action(CommandTable::kGlobalFlagsPopup)->menu(), &frame->GlobalFlagsMenu());
}

TEST_F(CommandsTest, EntriesAreEnabledByTheStateOfTheMap) {
    StartApp();
    ExpectEnabled(Facts{}, "on an empty map");

    CGridvellumDoc& doc = app->Document();
    ASSERT_NE(Place(0, 0, 0), nullptr);
    TileRef* second = Place(1, 64, 0);
    ASSERT_NE(second, nullptr);
    ExpectEnabled(Facts{.hasTiles = true}, "with tiles and no selection");

    frame->RunCommand(CommandTable::kSelectAll);
    EXPECT_EQ(doc.SelectedCount(), 2);
    ExpectEnabled(Facts{.selected = true, .hasTiles = true}, "with a selection");

    frame->RunCommand(CommandTable::kCopy);
    frame->RunCommand(CommandTable::kDelete);
    EXPECT_EQ(doc.TileCount(), 0);
    ExpectEnabled(Facts{.clipboard = true, .undo = true}, "after copy and delete");

    frame->RunCommand(CommandTable::kUndo);
    EXPECT_EQ(doc.TileCount(), 2);
    ExpectEnabled(Facts{.hasTiles = true, .clipboard = true, .redo = true}, "after undo");

    harness.script.colorAnswers.push_back(TileColorValues{1.0, 0.5, 0.0, 0.75});
    frame->RunCommand(CommandTable::kSetDefaultTileColor);
    EXPECT_TRUE(app->State().defaultTint.on);
    EXPECT_EQ(app->State().defaultTint.color, (Rgb8{255, 127, 0}));
    EXPECT_DOUBLE_EQ(app->State().defaultTint.strength, 0.75);
    ExpectEnabled(Facts{.hasTiles = true, .clipboard = true, .redo = true, .defaultTint = true},
                  "with a tint");
    frame->RunCommand(CommandTable::kClearDefaultTileColor);
    EXPECT_FALSE(app->State().defaultTint.on);
}

TEST_F(CommandsTest, SwitchesCarryTheirCheckMarks) {
    StartApp();
    for (int id : {CommandTable::kShowResizeHandles, CommandTable::kRecordPaths, CommandTable::kSuperWheel,
                   CommandTable::kQuickDraw, CommandTable::kShowDrawTime}) {
        QAction* action = frame->Action(id);
        ASSERT_NE(action, nullptr) << id;
        const bool before = action->isChecked();
        frame->RunCommand(id);
        EXPECT_NE(action->isChecked(), before) << id;
        frame->RunCommand(id);
        EXPECT_EQ(action->isChecked(), before) << id;
    }
    frame->RunCommand(CommandTable::kRecordPaths);
    EXPECT_TRUE(app->State().recordPaths);
    frame->RunCommand(CommandTable::kPanTool);
    EXPECT_TRUE(frame->Action(CommandTable::kPanTool)->isChecked());
    EXPECT_FALSE(frame->Action(CommandTable::kEditTool)->isChecked());
}

TEST_F(CommandsTest, PasteLandsAtTheMiddleOfTheViewAndUndoForgetsTheTools) {
    StartApp();
    CGridvellumDoc& doc = app->Document();
    ASSERT_NE(Place(0, 0, 0), nullptr);
    frame->RunCommand(CommandTable::kSelectAll);
    frame->RunCommand(CommandTable::kCopy);
    // Copying twice into the view's middle: two copies on top of each other.
    const Vec2 middle = frame->View().CentreWorldPoint();
    frame->RunCommand(CommandTable::kPaste);
    frame->RunCommand(CommandTable::kPaste);
    ASSERT_EQ(doc.TileCount(), 3);
    const Rect2 a = doc.TileAt(1)->Bounds();
    const Rect2 b = doc.TileAt(2)->Bounds();
    EXPECT_EQ(a, b);
    // Snapped to the 64-unit grid, within one cell of the middle.
    EXPECT_LE(std::abs((a.MinX() + a.MaxX()) / 2 - middle.X()), 64.0);
    EXPECT_LE(std::abs((a.MinY() + a.MaxY()) / 2 - middle.Y()), 64.0);

    frame->RunCommand(CommandTable::kUndo);
    EXPECT_EQ(doc.TileCount(), 2);
    frame->RunCommand(CommandTable::kRedo);
    EXPECT_EQ(doc.TileCount(), 3);
    // Ctrl+Shift+Z is the desktop's redo beside Ctrl+Y.
    EXPECT_TRUE(frame->Action(CommandTable::kRedo)
                    ->shortcuts()
                    .contains(QKeySequence(QStringLiteral("Ctrl+Shift+Z"))));
}

TEST_F(CommandsTest, ScaleAndColorDialogsActOnTheSelectionOnlyOnOk) {
    StartApp();
    TileRef* tile = Place(0, 0, 0);
    ASSERT_NE(tile, nullptr);
    tile->SetSelected(true);
    harness.script.scaleAnswers = {std::nullopt, TileScaleValues{u"2.5", u"1.0"}};
    frame->RunCommand(CommandTable::kScaleTile);
    ASSERT_EQ(harness.script.scaleAsked.size(), 1u);
    EXPECT_EQ(harness.script.scaleAsked[0].x.ToUtf8(), "1.0");
    EXPECT_DOUBLE_EQ(tile->Transform().m11(), 1.0); // Cancel
    frame->RunCommand(CommandTable::kScaleTile);
    EXPECT_DOUBLE_EQ(tile->Transform().m11(), 2.5);
    EXPECT_DOUBLE_EQ(tile->Transform().m22(), 1.0);
    frame->RunCommand(CommandTable::kScaleTile);
    EXPECT_EQ(harness.script.scaleAsked[2].x.ToUtf8(), "2.5"); // starts from the tile's scale

    harness.script.colorAnswers = {std::nullopt, TileColorValues{0.0, 1.0, 0.5, 0.4}};
    frame->RunCommand(CommandTable::kSetTileColor);
    EXPECT_FALSE(tile->IsTinted());
    frame->RunCommand(CommandTable::kSetTileColor);
    EXPECT_TRUE(tile->IsTinted());
    EXPECT_EQ(tile->TintColor(), (Rgb8{0, 255, 127}));
    EXPECT_DOUBLE_EQ(tile->Strength(), 0.4);
    frame->RunCommand(CommandTable::kClearTileColor);
    EXPECT_FALSE(tile->IsTinted());
}

TEST_F(CommandsTest, ScenarioIsStoredOnOkAndCancelKeepsTheModifiedFlag) {
    StartApp();
    CGridvellumDoc& doc = app->Document();
    doc.SetScenario(u"A\nB");
    doc.SetModifiedFlag(false);
    harness.script.pressScenarioHelp = true;
    harness.script.scenarioAnswers = {std::nullopt};
    frame->RunCommand(CommandTable::kEditScenario);
    EXPECT_EQ(doc.Scenario().ToUtf8(), "A\nB");
    EXPECT_FALSE(doc.IsModified());
    // Its Help button shows the picture of the line tokens.
    ASSERT_EQ(harness.script.openedFiles.size(), 1u);
    EXPECT_EQ(harness.script.openedFiles[0], harness.dir.Join("scenario_text_tokens.jpg"));

    harness.script.scenarioAnswers = {WString(u"C\nD")};
    frame->RunCommand(CommandTable::kEditScenario);
    EXPECT_EQ(harness.script.scenarioAsked.back().ToUtf8(), "A\nB");
    EXPECT_EQ(doc.Scenario().ToUtf8(), "C\nD");
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(CommandsTest, HelpReportAndAboutShowWhatTheyName) {
    StartApp();
    Place(0, 0, 0);
    frame->RunCommand(CommandTable::kHelp);
    frame->RunCommand(CommandTable::kGenerateReport);
    ASSERT_EQ(harness.script.openedFiles.size(), 2u);
    EXPECT_EQ(harness.script.openedFiles[0], harness.dir.Join("help.txt"));
    EXPECT_EQ(harness.script.openedFiles[1], harness.dir.Join("report.txt"));
    EXPECT_NE(harness.dir.Read("report.txt").find("Floor"), std::string::npos);

    // Nothing on the desktop can show the file: a message names it.
    harness.script.openFails = true;
    frame->RunCommand(CommandTable::kHelp);
    EXPECT_EQ(LastMessage(), "Gridvellum|Could not show \"" + harness.dir.Join("help.txt") +
                                 "\": no application on this desktop could open it.");

    frame->RunCommand(CommandTable::kAbout);
    ASSERT_EQ(harness.script.aboutShown.size(), 1u);
    EXPECT_FALSE(harness.script.aboutShown[0].openGlInUse);
}

TEST_F(CommandsTest, ReportThatCannotBeWrittenIsExplainedAndNotShown) {
    StartApp();
    Place(0, 0, 0);
    // A folder where the report would go: the file cannot be made, whoever runs the test.
    harness.dir.MakeDir("report.txt");
    harness.script.messages.clear();
    frame->RunCommand(CommandTable::kGenerateReport);
    EXPECT_TRUE(harness.script.openedFiles.empty());
    ASSERT_EQ(harness.script.messages.size(), 1u);
    EXPECT_NE(LastMessage().find("Can't write the report file:"), std::string::npos) << LastMessage();
    EXPECT_NE(LastMessage().find(harness.dir.Join("report.txt")), std::string::npos) << LastMessage();
}

// Twelve global flags, the third set from the start.
const char* kFlagSet =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<Set backcolor=\"10,20,30\" copyright=\"Drawn by the tests\">"
    "<Tile name=\"Floor\" type=\"0\">floor.png</Tile>"
    "<GlobalFlag index=\"0\">Flag 0</GlobalFlag><GlobalFlag index=\"1\">Flag 1</GlobalFlag>"
    "<GlobalFlag index=\"2\" defaultstate=\"true\">Flag 2</GlobalFlag>"
    "<GlobalFlag index=\"3\">Flag 3</GlobalFlag><GlobalFlag index=\"4\">Flag 4</GlobalFlag>"
    "<GlobalFlag index=\"5\">Flag 5</GlobalFlag><GlobalFlag index=\"6\">Flag 6</GlobalFlag>"
    "<GlobalFlag index=\"7\">Flag 7</GlobalFlag><GlobalFlag index=\"8\">Flag 8</GlobalFlag>"
    "<GlobalFlag index=\"9\">Flag 9</GlobalFlag><GlobalFlag index=\"10\">Flag 10</GlobalFlag>"
    "<GlobalFlag index=\"11\">Flag 11</GlobalFlag>"
    "</Set>\r\n";

TEST_F(CommandsTest, GlobalFlagMenuShowsTheFirstTenAndATogglesWritesTheByteAndRepaints) {
    harness.dir.Write("flags.set", kFlagSet);
    StartApp();
    harness.script.tileSetAnswers = {harness.dir.WJoin("flags.set")};
    app->ChangeTileSet();
    ASSERT_EQ(app->Tiles().GlobalFlagCount(), 12);
    app->Document().SetModifiedFlag(false);

    QMenu& menu = frame->GlobalFlagsMenu();
    emit menu.aboutToShow();
    const QList<QAction*> entries = menu.actions();
    ASSERT_EQ(entries.size(), 10);
    for (int flag = 0; flag < 10; ++flag) {
        EXPECT_EQ(entries[flag]->text().toStdString(), "Flag " + std::to_string(flag));
        EXPECT_TRUE(entries[flag]->isEnabled());
        EXPECT_TRUE(entries[flag]->isCheckable());
        EXPECT_EQ(entries[flag]->isChecked(), flag == 2) << flag;
    }

    frame->View().repaint();
    const int framesBefore = frame->View().FramesPainted();
    entries[3]->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(app->Tiles().GlobalFlag(3));
    EXPECT_GT(frame->View().FramesPainted(), framesBefore);
    std::vector<std::uint8_t> stored;
    ASSERT_TRUE(QtSettingsStore(harness.SettingsPath()).ReadBinary(u"Flag 3", stored));
    EXPECT_EQ(stored, std::vector<std::uint8_t>{1});
    EXPECT_FALSE(app->Document().IsModified());

    // Made again when it opens: the new check mark is there.
    emit menu.aboutToShow();
    EXPECT_TRUE(menu.actions()[3]->isChecked());
    menu.actions()[3]->trigger();
    EXPECT_FALSE(app->Tiles().GlobalFlag(3));
    QtSettingsStore(harness.SettingsPath()).ReadBinary(u"Flag 3", stored);
    EXPECT_EQ(stored, std::vector<std::uint8_t>{0});

    frame->RunCommand(CommandTable::kAbout);
    ASSERT_EQ(harness.script.aboutShown.size(), 1u);
    EXPECT_EQ(harness.script.aboutShown[0].copyright.ToUtf8(), "Drawn by the tests");
}

} // namespace
