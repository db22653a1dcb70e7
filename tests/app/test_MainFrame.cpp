#include "AppFixture.h"

#include "app/CGridvellumApp.h"
#include "app/CGridvellumView.h"
#include "app/CLeftView.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "app/dialogs/CJPEGOptionsDialog.h"
#include "document/CGridvellumDoc.h"
#include "document/TileRef.h"
#include "platform/GlContextProbe.h"
#include "platform/QtSettingsStore.h"
#include "support/Matrix3.h"
#include "view/tools/EditTool.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QImage>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QSlider>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

using namespace apptest;
using SaveChoice = CGridvellumApp::Prompts::SaveChoice;

namespace {

int CountPixels(const QImage& image, QRgb color) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += (image.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF) ? 1 : 0;
        }
    }
    return count;
}

class MainFrameTest : public ::testing::Test {
protected:
    ~MainFrameTest() override { app.reset(); }

    void StartApp(const WString& map = WString()) {
        app = harness.MakeApp();
        ASSERT_TRUE(app->Start(map));
        frame = app->Frame();
        ASSERT_NE(frame, nullptr);
        QApplication::processEvents();
    }
    // A clean exit followed by a new start on the same settings.
    void Restart(const WString& map = WString()) {
        app->Shutdown();
        app.reset();
        StartApp(map);
    }
    std::string Title() const { return frame->windowTitle().toStdString(); }
    std::vector<std::uint8_t> StoredBinary(const char16_t* key) const {
        QtSettingsStore store(harness.SettingsPath());
        std::vector<std::uint8_t> bytes;
        store.ReadBinary(key, bytes);
        return bytes;
    }
    TileRef* Place(int definition, double x, double y) {
        TileRef* tile = app->Document().AddTile(definition);
        if (tile != nullptr) {
            tile->SetTransform(Matrix3::Translation(x, y));
        }
        return tile;
    }
    // A map with one floor tile saved as name in the scratch folder.
    WString SaveMap(const std::string& name) {
        Place(0, 0, 0);
        harness.script.saveAnswers.push_back(harness.dir.WJoin(name));
        EXPECT_TRUE(app->FileSaveAs());
        return harness.dir.WJoin(name);
    }
    std::string LastMessage() const {
        return harness.script.messages.empty() ? std::string() : harness.script.messages.back();
    }

    AppHarness harness;
    std::unique_ptr<CGridvellumApp> app;
    CMainFrame* frame = nullptr;
};

TEST_F(MainFrameTest, FirstStartLoadsTheFirstTileSetTitlesUntitledAndStoresOpenGlOff) {
    StartApp();
    EXPECT_EQ(app->Tiles().Name().ToUtf8(), "alpha.set");
    EXPECT_EQ(Title(), "Untitled [alpha.set]");
    EXPECT_EQ(StoredBinary(u"OpenGL"), std::vector<std::uint8_t>{0});
    EXPECT_EQ(QtSettingsStore(harness.SettingsPath()).ReadString(u"LastTileSet", u"").ToUtf8(), "alpha.set");
    EXPECT_TRUE(frame->isVisible());
    // The view starts in the edit tool and says how to use it.
    EXPECT_EQ(frame->StatusText().toStdString(), WString(EditTool::kStatusText).ToUtf8());
    EXPECT_TRUE(harness.script.messages.empty()) << LastMessage();
}

TEST_F(MainFrameTest, SavedMapIsTitledByItsFileNameAndOpensFromTheCommandLine) {
    StartApp();
    Place(0, 0, 0);
    app->Document().SetModifiedFlag(true);
    harness.script.saveAnswers.push_back(harness.dir.WJoin("keep")); // the extension is added
    ASSERT_TRUE(app->FileSave());
    ASSERT_EQ(harness.script.proposedNames.size(), 1u);
    EXPECT_EQ(harness.script.proposedNames[0], "Untitled");
    EXPECT_TRUE(std::filesystem::exists(harness.dir.Join("keep.gv")));
    EXPECT_EQ(Title(), "keep.gv [alpha.set]");
    EXPECT_FALSE(app->Document().IsModified());

    // Saving again goes to the same file without asking.
    ASSERT_TRUE(app->FileSave());
    EXPECT_EQ(harness.script.proposedNames.size(), 1u);

    Restart(harness.dir.WJoin("keep.gv"));
    EXPECT_EQ(Title(), "keep.gv [alpha.set]");
    EXPECT_EQ(app->Document().TileCount(), 1);
    ASSERT_EQ(app->Recent().Count(), 1);
    frame->RefreshRecentFiles();
    EXPECT_TRUE(frame->RecentFileActions()[0]->isVisible());
    EXPECT_EQ(frame->RecentFileActions()[0]->text().toStdString(), "&1 keep.gv");
    EXPECT_FALSE(frame->RecentFileActions()[1]->isVisible());
}

TEST_F(MainFrameTest, OpenFailureNamesThePathAndKeepsTheOpenMap) {
    StartApp();
    Place(0, 0, 0);
    const std::string missing = harness.dir.Join("nowhere/lost.gv");
    EXPECT_FALSE(app->OpenMap(WString::FromUtf8(missing)));
    EXPECT_EQ(LastMessage(), "Gridvellum|Could not open \"" + missing + "\": No such file or directory.");
    EXPECT_EQ(app->Document().TileCount(), 1);
    EXPECT_EQ(Title(), "Untitled [alpha.set]");
    EXPECT_TRUE(app->Recent().IsEmpty());
}

TEST_F(MainFrameTest, MapOverAnUnreadableTilesetIsNeverOpenedEmpty) {
    StartApp();
    Place(0, 0, 0);
    // The map's tileset was cut short in copying; its tiles exist in beta.set under the same names.
    const std::string alpha = harness.dir.Read("alpha.set");
    harness.dir.Write("gamma.set", alpha.substr(0, 20));
    const std::string tile = "<TileRef name=\"gamma.set:Wall\" matrix=\"\"/>";
    harness.dir.Write("far.gv", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Gridvellum "
                                "xmlns=\"gridvellum\" tileset=\"gamma.set\" version=\"1\">" +
                                    tile + tile + "</Gridvellum>");
    const WString map = harness.dir.WJoin("far.gv");
    const std::string problem = "its tileset \"" + harness.dir.Join("gamma.set") +
                                "\" cannot be read: File is not a readable XML document.";

    // Cancelling the choice of another tileset opens nothing and keeps the open map.
    EXPECT_FALSE(app->OpenMap(map));
    ASSERT_EQ(harness.script.messages.size(), 2u) << LastMessage();
    EXPECT_NE(harness.script.messages[0].find(problem), std::string::npos) << harness.script.messages[0];
    EXPECT_EQ(LastMessage(), "Gridvellum|Could not open \"" + map.ToUtf8() + "\": " + problem);
    EXPECT_EQ(app->Document().TileCount(), 1);
    EXPECT_EQ(Title(), "Untitled [alpha.set]");
    EXPECT_EQ(app->Tiles().Name().ToUtf8(), "alpha.set");
    EXPECT_TRUE(app->Document().PathName().IsEmpty());

    // Another tileset that defines the tiles opens the map with all of them.
    harness.script.tileSetAnswers.push_back(harness.dir.WJoin("beta.set"));
    ASSERT_TRUE(app->OpenMap(map));
    EXPECT_EQ(app->Document().TileCount(), 2);
    EXPECT_EQ(app->Document().TileAt(0)->Definition()->Name().ToUtf8(), "Wall");
    EXPECT_EQ(Title(), "far.gv [beta.set]");
}

TEST_F(MainFrameTest, MapThatCannotOpenAtStartLeavesANewMap) {
    const std::string missing = harness.dir.Join("lost.gv");
    StartApp(WString::FromUtf8(missing));
    EXPECT_EQ(LastMessage(), "Gridvellum|Could not open \"" + missing + "\": No such file or directory.");
    EXPECT_EQ(Title(), "Untitled [alpha.set]");
}

TEST_F(MainFrameTest, SaveFailureIsReportedAndTheMapStaysModified) {
    StartApp();
    Place(0, 0, 0);
    app->Document().SetModifiedFlag(true);
    const std::string target = harness.dir.Join("no/such/folder/map.gv");
    harness.script.saveAnswers.push_back(WString::FromUtf8(target));
    EXPECT_FALSE(app->FileSaveAs());
    EXPECT_EQ(LastMessage(), "Gridvellum|Could not save \"" + target + "\": No such file or directory.");
    EXPECT_TRUE(app->Document().IsModified());
    EXPECT_EQ(Title(), "Untitled [alpha.set]");
}

TEST_F(MainFrameTest, UnsavedChangesAreOfferedBeforeNewOpenAndExit) {
    StartApp();
    Place(0, 0, 0);
    app->Document().SetModifiedFlag(true);

    harness.script.saveChoices = {SaveChoice::Cancel};
    EXPECT_FALSE(app->FileNew());
    EXPECT_EQ(app->Document().TileCount(), 1);
    ASSERT_EQ(harness.script.saveQuestions.size(), 1u);
    EXPECT_EQ(harness.script.saveQuestions[0], "Untitled [alpha.set]");

    harness.script.saveChoices = {SaveChoice::Save};
    harness.script.saveAnswers = {harness.dir.WJoin("first.gv")};
    EXPECT_TRUE(app->FileNew());
    EXPECT_TRUE(std::filesystem::exists(harness.dir.Join("first.gv")));
    EXPECT_EQ(app->Document().TileCount(), 0);

    // Open asks too, and a cancel keeps the map.
    Place(1, 0, 0);
    app->Document().SetModifiedFlag(true);
    harness.script.openAnswers = {harness.dir.WJoin("first.gv")};
    harness.script.saveChoices = {SaveChoice::Cancel};
    EXPECT_FALSE(app->FileOpen());
    EXPECT_EQ(Title(), "Untitled [alpha.set]");

    harness.script.saveChoices = {SaveChoice::Cancel};
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    harness.script.saveChoices = {SaveChoice::Discard};
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(harness.script.saveQuestions.size(), 5u);
}

TEST_F(MainFrameTest, MenusShowTheCommandTextsWithTheirAccelerators) {
    StartApp();
    const std::vector<int> fileIds = {
        CommandTable::kNew,           CommandTable::kOpen,       CommandTable::kSave, CommandTable::kSaveAs,
        CommandTable::kChangeTileSet, CommandTable::kRecentFile, CommandTable::kExit};
    std::vector<int> viewIds = {CommandTable::kZoomExtents, CommandTable::kSuperWheel,
                                CommandTable::kSmallTiles,  CommandTable::kLargeTiles,
                                CommandTable::kQuickDraw,   CommandTable::kOpenGl,
                                CommandTable::kShowDrawTime};
    for (int columns = 1; columns <= 6; ++columns) {
        viewIds.push_back(CommandTable::ColumnsCommand(columns));
    }
    // As the menu shows it: the text's own key part, else the first shortcut beside the text.
    auto shown = [](const QAction* action) {
        const QString keys = action->shortcut().toString(QKeySequence::PortableText);
        const bool ownKeys = action->text().contains('\t');
        return (ownKeys || keys.isEmpty() ? action->text() : action->text() + "\t" + keys).toStdString();
    };
    for (int id : fileIds) {
        QAction* action = frame->Action(id);
        ASSERT_NE(action, nullptr) << id;
        EXPECT_TRUE(frame->FileMenu().actions().contains(action)) << id;
        EXPECT_EQ(shown(action), CommandTable::Find(id)->menuText);
    }
    for (int id : viewIds) {
        QAction* action = frame->Action(id);
        ASSERT_NE(action, nullptr) << id;
        EXPECT_TRUE(frame->ViewMenu().actions().contains(action)) << id;
        EXPECT_EQ(shown(action), CommandTable::Find(id)->menuText);
    }
    // The zoom entries live in the View menu's "Zoom" submenu.
    for (int percent = 10; percent <= 100; percent += 10) {
        QAction* action = frame->Action(CommandTable::ZoomCommand(percent));
        ASSERT_NE(action, nullptr) << percent;
        EXPECT_TRUE(frame->ZoomMenu().actions().contains(action)) << percent;
        EXPECT_EQ(shown(action), CommandTable::Find(CommandTable::ZoomCommand(percent))->menuText);
    }
    EXPECT_TRUE(frame->ViewMenu().actions().contains(frame->ZoomMenu().menuAction()));
    QAction* zoom = frame->Action(CommandTable::kZoomPopup);
    ASSERT_NE(zoom, nullptr);
    EXPECT_TRUE(frame->ToolBar().actions().contains(zoom));
    ASSERT_NE(zoom->menu(), nullptr);
    EXPECT_EQ(zoom->menu()->actions().size(), 10);
    EXPECT_EQ(zoom->menu()->actions().front()->text().toStdString(), "100%");
    // With no map opened yet, the recent-file place is a greyed entry.
    frame->RefreshRecentFiles();
    EXPECT_TRUE(frame->Action(CommandTable::kRecentFile)->isVisible());
    EXPECT_FALSE(frame->Action(CommandTable::kRecentFile)->isEnabled());
}

TEST_F(MainFrameTest, PanelCommandsResizeThePaneAndStoreTileSizeAndColumns) {
    StartApp();
    EXPECT_EQ(frame->Splitter().sizes()[0], 128 + 17);
    frame->RunCommand(CommandTable::kSmallTiles);
    frame->RunCommand(CommandTable::ColumnsCommand(4));
    QApplication::processEvents();
    EXPECT_EQ(frame->Splitter().sizes()[0], 273);
    EXPECT_EQ(frame->LeftView().width(), 273);
    EXPECT_EQ(app->Panel().PanelWidth(), 256);
    QtSettingsStore store(harness.SettingsPath());
    EXPECT_EQ(store.ReadInt(u"TileSize", 0), 64);
    EXPECT_EQ(store.ReadInt(u"NumTileColumns", 0), 4);
    EXPECT_TRUE(frame->Action(CommandTable::kSmallTiles)->isChecked());
    EXPECT_FALSE(frame->Action(CommandTable::kLargeTiles)->isChecked());
    EXPECT_TRUE(frame->Action(CommandTable::ColumnsCommand(4))->isChecked());
    EXPECT_FALSE(frame->Action(CommandTable::ColumnsCommand(1))->isChecked());

    Restart();
    EXPECT_EQ(app->Panel().TileSize(), 64);
    EXPECT_EQ(app->Panel().Columns(), 4);
    EXPECT_EQ(frame->Splitter().sizes()[0], 273);
}

TEST_F(MainFrameTest, ZoomEntriesAreCheckedByTheCurrentZoom) {
    StartApp();
    Camera& camera = frame->View().GetCamera();
    frame->RunCommand(CommandTable::ZoomCommand(50));
    EXPECT_NEAR(camera.ZoomFactor(), 0.5f, 1e-6);
    for (int percent = 10; percent <= 100; percent += 10) {
        EXPECT_EQ(frame->Action(CommandTable::ZoomCommand(percent))->isChecked(), percent == 50) << percent;
    }
    camera.SetZoom(0.12f);
    frame->UpdateCommands();
    EXPECT_TRUE(frame->Action(CommandTable::ZoomCommand(10))->isChecked());
    EXPECT_FALSE(frame->Action(CommandTable::ZoomCommand(50))->isChecked());
}

TEST_F(MainFrameTest, OpenGlCommandChangesOnlyTheNextRunAndSurvivesOnlyACleanExit) {
    StartApp();
    frame->RunCommand(CommandTable::kOpenGl);
    EXPECT_EQ(LastMessage(), "Gridvellum|OpenGL will be enabled the next time you start Gridvellum.");
    EXPECT_FALSE(app->State().openGlThisRun);
    EXPECT_FALSE(frame->Action(CommandTable::kOpenGl)->isChecked());
    EXPECT_EQ(StoredBinary(u"OpenGL"), std::vector<std::uint8_t>{0});

    Restart();
    // This run draws through OpenGL where a context can be made (else it says it cannot, see
    // test_OpenGlView), and the check mark shows what draws.
    const bool drawsWithOpenGl = GlContextProbe::CanMakeContext();
    EXPECT_TRUE(app->State().openGlNextRun);
    EXPECT_EQ(app->State().openGlThisRun, drawsWithOpenGl);
    EXPECT_EQ(frame->Action(CommandTable::kOpenGl)->isChecked(), drawsWithOpenGl);
    EXPECT_EQ(StoredBinary(u"OpenGL"), std::vector<std::uint8_t>{0}); // until this run ends cleanly
    frame->RunCommand(CommandTable::kOpenGl);
    EXPECT_EQ(LastMessage(), "Gridvellum|OpenGL will be dissabled the next time you start Gridvellum.");
    EXPECT_EQ(frame->Action(CommandTable::kOpenGl)->isChecked(), drawsWithOpenGl);
}

TEST_F(MainFrameTest, QuickDrawAndWheelModeAreStored) {
    StartApp();
    frame->RunCommand(CommandTable::kQuickDraw);
    EXPECT_EQ(StoredBinary(u"QuickDraw"), std::vector<std::uint8_t>{1});
    EXPECT_TRUE(frame->Action(CommandTable::kQuickDraw)->isChecked());
    frame->RunCommand(CommandTable::kQuickDraw);
    EXPECT_EQ(StoredBinary(u"QuickDraw"), std::vector<std::uint8_t>{0});

    frame->RunCommand(CommandTable::kSuperWheel);
    EXPECT_TRUE(frame->Action(CommandTable::kSuperWheel)->isChecked());
    Restart();
    EXPECT_TRUE(app->State().superWheel);
}

TEST_F(MainFrameTest, MapViewDrawsTheTilesOfTheMap) {
    StartApp();
    CGridvellumView& view = frame->View();
    const QRgb floor = qRgb(0xC0, 0x80, 0x40);
    EXPECT_EQ(CountPixels(view.grab().toImage(), floor), 0);
    Place(0, 0, 0);
    Place(0, 32, 0);
    view.ZoomExtents();
    const QImage shown = view.grab().toImage();
    ASSERT_EQ(shown.size(), view.size());
    // Two 32 x 32 tiles at 100 %; smoothing may widen or soften their edges by a pixel.
    const int count = CountPixels(shown, floor);
    EXPECT_GE(count, 2 * 30 * 30);
    EXPECT_LE(count, 2 * 34 * 34);
    // The rest is the tileset's back colour.
    EXPECT_GT(CountPixels(shown, qRgb(10, 20, 30)), view.width() * view.height() / 2);
}

TEST_F(MainFrameTest, PanelHeadersCycleStatesDeselectTilesAndShowLabels) {
    StartApp();
    CLeftView& left = frame->LeftView();
    // The label is drawn in the tileset's text colour on the first header.
    const QImage panel = left.grab().toImage();
    int labelPixels = 0;
    for (int y = 0; y < 17; ++y) {
        for (int x = 25; x < 120; ++x) {
            const QColor c = panel.pixelColor(x, y);
            labelPixels += c.red() > 200 && c.green() > 200 && c.blue() < 60 ? 1 : 0;
        }
    }
    EXPECT_GT(labelPixels, 10);

    TileRef* tile = Place(0, 0, 0);
    ASSERT_NE(tile, nullptr);
    tile->SetSelected(true);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 5), left.mapToGlobal(QPointF(10, 5)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&left, &press);
    EXPECT_EQ(app->Tiles().Category(0).state, kCategoryLocked);
    EXPECT_FALSE(tile->IsSelected());

    QMouseEvent expand(QEvent::MouseButtonPress, QPointF(18, 5), left.mapToGlobal(QPointF(18, 5)),
                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&left, &expand);
    EXPECT_TRUE(app->Tiles().Category(0).expanded);
    EXPECT_EQ(app->Panel().ContentHeight(), 5 * 17 + 2 * 128);
}

TEST_F(MainFrameTest, KeypadZoomWorksWhileThePanelHasTheKeyboard) {
    StartApp();
    Camera& camera = frame->View().GetCamera();
    const float before = camera.ZoomFactor();
    QKeyEvent plus(QEvent::KeyPress, Qt::Key_Plus, Qt::KeypadModifier, "+");
    QApplication::sendEvent(&frame->LeftView(), &plus);
    EXPECT_NEAR(camera.ZoomFactor(), before * 1.1f, 1e-4);
    QKeyEvent minus(QEvent::KeyPress, Qt::Key_Minus, Qt::KeypadModifier, "-");
    QApplication::sendEvent(&frame->View(), &minus);
    EXPECT_NEAR(camera.ZoomFactor(), before * 1.1f * 0.9090909f, 1e-4);
    // The main keyboard's plus is not the zoom key.
    QKeyEvent mainPlus(QEvent::KeyPress, Qt::Key_Plus, Qt::NoModifier, "+");
    QApplication::sendEvent(&frame->View(), &mainPlus);
    EXPECT_NEAR(camera.ZoomFactor(), before * 1.1f * 0.9090909f, 1e-4);
}

TEST_F(MainFrameTest, DroppedMapOpensLikeFileOpen) {
    StartApp();
    const WString path = SaveMap("dropped.gv");
    ASSERT_TRUE(app->FileNew());
    EXPECT_EQ(Title(), "Untitled [alpha.set]");

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path.ToUtf8()))});
    // As the toolkit delivers a drag: the window accepts the entering drag, then gets the drop.
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame, &drop);
    EXPECT_EQ(Title(), "dropped.gv [alpha.set]");
    EXPECT_EQ(app->Document().TileCount(), 1);
}

TEST_F(MainFrameTest, ChangeTileSetKeepsTheMapOrRefusesWhenTilesAreMissing) {
    StartApp();
    Place(0, 0, 0);
    harness.script.tileSetAnswers = {WString(u"/somewhere/else/beta.set")};
    app->ChangeTileSet();
    EXPECT_EQ(app->Tiles().Name().ToUtf8(), "beta.set");
    EXPECT_EQ(Title(), "Untitled [beta.set]");
    EXPECT_EQ(app->Document().TileCount(), 1);
    EXPECT_TRUE(app->Document().IsModified());
    EXPECT_EQ(app->Panel().TilesOf(0).size(), 2u);

    harness.script.tileSetAnswers = {harness.dir.WJoin("alpha.set")};
    app->ChangeTileSet();
    ASSERT_EQ(app->Tiles().Name().ToUtf8(), "alpha.set");
    Place(2, 100, 0); // the chest exists only in alpha
    harness.script.tileSetAnswers = {harness.dir.WJoin("beta.set")};
    app->ChangeTileSet();
    EXPECT_EQ(app->Tiles().Name().ToUtf8(), "alpha.set");
    EXPECT_EQ(LastMessage(), "Gridvellum|Can't change tilesets due to\nthe following missing tiles:\n"
                             "---------------------------\nChest\n");
}

TEST_F(MainFrameTest, PublishToJpegAsksForFileAndOptionsAndWritesThePicture) {
    StartApp();
    QAction* publish = frame->Action(CommandTable::kPublish);
    ASSERT_NE(publish, nullptr);
    EXPECT_EQ(publish->text().toStdString(), "Publish to JPEG");
    frame->UpdateCommands();
    EXPECT_FALSE(publish->isEnabled()); // nothing to publish yet
    Place(0, 0, 0)->UpdateBounds();
    Place(1, 200, 100)->UpdateBounds();
    app->Document().SetScenario(u"[Goal]");
    frame->UpdateCommands();
    EXPECT_TRUE(publish->isEnabled());

    // Closing the options dialog publishes nothing and keeps the stored choice.
    harness.script.publishAnswers.push_back(harness.dir.WJoin("map.jpg"));
    harness.script.jpegAnswers.push_back(std::nullopt);
    frame->RunCommand(CommandTable::kPublish);
    EXPECT_EQ(harness.script.proposedPictures, std::vector<std::string>{"untitled.jpg"});
    EXPECT_FALSE(std::filesystem::exists(harness.dir.Join("map.jpg")));
    EXPECT_EQ(QtSettingsStore(harness.SettingsPath()).ReadInt(u"LastQualityValue", -1), -1);

    JpegOptions chosen;
    chosen.scaleIndex = 5;
    chosen.quality = 77;
    harness.script.publishAnswers.push_back(harness.dir.WJoin("map.jpg"));
    harness.script.jpegAnswers.push_back(chosen);
    frame->RunCommand(CommandTable::kPublish);
    EXPECT_TRUE(harness.script.messages.empty()) << LastMessage();
    EXPECT_GT(harness.dir.Read("map.jpg").size(), 100u);
    EXPECT_NE(harness.dir.Read("map.htm").find("<img src=\"map.jpg\">"), std::string::npos);
    EXPECT_GE(harness.script.progressCalls, 1);
    QtSettingsStore stored(harness.SettingsPath());
    EXPECT_EQ(stored.ReadInt(u"LastScaleIndex", -1), 5);
    EXPECT_EQ(stored.ReadInt(u"LastQualityValue", -1), 77);

    // The next publish starts from the stored choice; Cancel in the progress leaves the old files.
    const std::string before = harness.dir.Read("map.jpg");
    harness.script.publishAnswers.push_back(harness.dir.WJoin("map.jpg"));
    harness.script.jpegAnswers.push_back(JpegOptions{});
    harness.script.cancelAfterBands = harness.script.progressCalls + 1;
    frame->RunCommand(CommandTable::kPublish);
    ASSERT_EQ(harness.script.jpegStarts.size(), 3u);
    EXPECT_EQ(harness.script.jpegStarts[2].scaleIndex, 5);
    EXPECT_EQ(harness.script.jpegStarts[2].quality, 77);
    EXPECT_EQ(harness.dir.Read("map.jpg"), before);
    EXPECT_EQ(LastMessage(), "Publish to JPEG|Publishing was cancelled.");

    // A folder that does not exist is reported with the reason.
    harness.script.cancelAfterBands = -1;
    harness.script.publishAnswers.push_back(harness.dir.WJoin("gone/map.jpg"));
    harness.script.jpegAnswers.push_back(JpegOptions{});
    frame->RunCommand(CommandTable::kPublish);
    EXPECT_EQ(LastMessage(), "Publish to JPEG|Could not write \"" + harness.dir.Join("gone/map.jpg") +
                                 "\": No such file or directory");
}

TEST(JpegOptionsDialog, LabelsFollowTheChoicesAndOnlyOkConfirms) {
    JpegOptions start;
    start.scaleIndex = 5;
    start.quality = 30;
    CJPEGOptionsDialog dialog(nullptr, start, 1000, 601);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "JPEG Options");
    auto* scale = dialog.findChild<QComboBox*>();
    auto* slider = dialog.findChild<QSlider*>();
    ASSERT_NE(scale, nullptr);
    ASSERT_NE(slider, nullptr);
    ASSERT_EQ(scale->count(), 10);
    EXPECT_EQ(scale->itemText(0).toStdString(), "100%");
    EXPECT_EQ(scale->itemText(9).toStdString(), "10%");
    EXPECT_EQ(slider->minimum(), 1);
    EXPECT_EQ(slider->maximum(), 100);
    auto labels = [&] {
        std::vector<std::string> texts;
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            texts.push_back(label->text().toStdString());
        }
        return texts;
    };
    EXPECT_EQ(labels(), (std::vector<std::string>{"Size = 500 x 301", "Quality = 30"}));
    scale->setCurrentIndex(0);
    slider->setValue(64);
    EXPECT_EQ(labels(), (std::vector<std::string>{"Size = 1000 x 601", "Quality = 64"}));
    EXPECT_EQ(dialog.Chosen().scaleIndex, 0);
    EXPECT_EQ(dialog.Chosen().quality, 64);

    // Escape closes the dialog without options.
    QTimer::singleShot(0, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(modal, &escape);
        }
    });
    EXPECT_FALSE(CJPEGOptionsDialog::Ask(nullptr, start, 10, 10).has_value());
}

} // namespace
