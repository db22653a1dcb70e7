// The map view's tools driven through the real widgets with synthetic mouse and key events.
#include "MapToolsFixture.h"

#include "app/CGridvellumView.h"
#include "app/CLeftView.h"
#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "document/CGridvellumDoc.h"
#include "document/TextTile.h"
#include "document/TileRef.h"
#include "support/Matrix3.h"
#include "tileset/TileSet.h"
#include "view/tools/EditTool.h"
#include "view/tools/PanTool.h"
#include "view/tools/TextTool.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

using namespace apptest;

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

std::string Utf8(const WString& text) {
    return text.ToUtf8();
}

Vec2 CentreOf(const TileRef& tile) {
    return tile.Bounds().Centre();
}

// Degrees in -180 .. 180 of the tile's x axis.
double AngleDegrees(const TileRef& tile) {
    return tile.Transform().Direction() / kDegree;
}

class MapToolsTest : public ::testing::Test {
protected:
    MapToolsFixture f;
};

TEST_F(MapToolsTest, TileDraggedFromThePanelIsOneStepCentredUnderTheMouseAndSnappedOnRelease) {
    const QPoint cell = f.PanelCell(kDoor, true);
    ASSERT_GE(cell.x(), 0);
    const int stepsBefore = f.UndoSteps();
    QTest::mousePress(f.panel, Qt::LeftButton, Qt::NoModifier, cell);
    // Moves over the panel itself drop nothing.
    QTest::mouseMove(f.panel, cell + QPoint(2, 0));
    EXPECT_EQ(f.Doc().TileCount(), 0);

    const QPoint first = f.At(100, 37);
    QTest::mouseMove(f.panel, f.PanelPointOverMap(first));
    ASSERT_EQ(f.Doc().TileCount(), 1);
    TileRef* door = f.Doc().TileAt(0);
    EXPECT_EQ(door->DefinitionIndex(), static_cast<std::uint32_t>(kDoor));
    EXPECT_TRUE(door->IsSelected());
    // The right half of the cell picks the flip image; the definition's scale comes along.
    EXPECT_TRUE(door->IsFlipped());
    EXPECT_NEAR(door->Transform().m11(), 2.0, 1e-9);
    EXPECT_NEAR(door->Transform().m22(), 1.0, 1e-9);
    const Vec2 underMouse = f.WorldAt(first);
    EXPECT_NEAR(CentreOf(*door).X(), underMouse.X(), 0.01);
    EXPECT_NEAR(CentreOf(*door).Y(), underMouse.Y(), 0.01);
    EXPECT_EQ(f.view->Tools().Edit().State(), EditTool::Drag::Move);

    // It follows the mouse, free of the grid, until the release.
    const QPoint second = f.At(230, -75);
    QTest::mouseMove(f.panel, f.PanelPointOverMap(second));
    EXPECT_NEAR(CentreOf(*door).X(), f.WorldAt(second).X(), 0.01);
    EXPECT_NEAR(CentreOf(*door).Y(), f.WorldAt(second).Y(), 0.01);
    // Past the map's far edge the panel still passes the drag on, and the map scrolls under it.
    const QPoint origin = f.At(0, 0);
    QTest::mouseMove(f.panel, f.PanelPointOverMap(QPoint(f.view->width() + 4, second.y())));
    EXPECT_EQ(f.At(0, 0), origin - QPoint(10, 0));
    QTest::mouseRelease(f.panel, Qt::LeftButton, Qt::NoModifier, f.PanelPointOverMap(second));

    EXPECT_EQ(f.view->Tools().Edit().State(), EditTool::Drag::None);
    EXPECT_EQ(std::fmod(door->Transform().m31(), 64.0), 0.0);
    EXPECT_EQ(std::fmod(door->Transform().m32(), 64.0), 0.0);
    EXPECT_EQ(f.UndoSteps(), stepsBefore + 1);
    EXPECT_TRUE(f.Doc().IsModified());
}

TEST_F(MapToolsTest, TileAtItsMaximumIsRefusedWithTheForbiddenCursorAndTheReason) {
    f.Place(kChest, 0, 0);
    const QPoint cell = f.PanelCell(kChest, false);
    ASSERT_GE(cell.x(), 0);
    QTest::mousePress(f.panel, Qt::LeftButton, Qt::NoModifier, cell);
    QTest::mouseMove(f.panel, f.PanelPointOverMap(f.At(200, 200)));
    EXPECT_EQ(f.Doc().TileCount(), 1);
    EXPECT_EQ(f.view->cursor().shape(), Qt::ForbiddenCursor);
    EXPECT_EQ(f.StatusText(), "Chest : 1 used of 1");
    QTest::mouseRelease(f.panel, Qt::LeftButton, Qt::NoModifier, f.PanelPointOverMap(f.At(200, 200)));
    EXPECT_NE(f.view->cursor().shape(), Qt::ForbiddenCursor);
    EXPECT_EQ(f.StatusText(), Utf8(EditTool::kStatusText));
    EXPECT_EQ(f.UndoSteps(), 0);
}

TEST_F(MapToolsTest, ClickWithoutMovingMakesNoStepAndADragMovesSnapsAndMakesOne) {
    TileRef* floor = f.Place(kFloor, 0, 0);
    TileRef* other = f.Place(kFloor, 128, 0);
    other->SetSelected(true);
    const QPoint centre = f.At(32, 32);
    QTest::mouseClick(f.view, Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_TRUE(floor->IsSelected());
    EXPECT_FALSE(other->IsSelected());
    EXPECT_EQ(f.UndoSteps(), 0);
    EXPECT_EQ(f.Doc().TileAt(f.Doc().TileCount() - 1), floor); // raised to the top of its layer

    QTest::mousePress(f.view, Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseMove(f.view, centre + QPoint(50, -20));
    EXPECT_NEAR(floor->Transform().m31(), 50.0, 0.01);
    EXPECT_NEAR(floor->Transform().m32(), 20.0, 0.01);
    QTest::mouseRelease(f.view, Qt::LeftButton, Qt::NoModifier, centre + QPoint(50, -20));
    EXPECT_EQ(floor->Transform().m31(), 64.0);
    EXPECT_EQ(floor->Transform().m32(), 0.0);
    EXPECT_EQ(f.UndoSteps(), 1);
}

TEST_F(MapToolsTest, EscapeDuringAMovePutsTheSelectionBackWithoutAStep) {
    TileRef* floor = f.Place(kFloor, 0, 0);
    TileRef* other = f.Place(kFloor, 128, 0);
    other->SetSelected(true);
    const QPoint centre = f.At(32, 32);
    QTest::mousePress(f.view, Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseMove(f.view, centre + QPoint(90, 40));
    ASSERT_GT(floor->Transform().m31(), 80.0);
    QTest::keyClick(f.view, Qt::Key_Escape);
    EXPECT_EQ(floor->Transform().m31(), 0.0);
    EXPECT_EQ(floor->Transform().m32(), 0.0);
    EXPECT_FALSE(floor->IsSelected());
    EXPECT_TRUE(other->IsSelected());
    // The rest of the drag moves nothing.
    QTest::mouseMove(f.view, centre + QPoint(200, 40));
    QTest::mouseRelease(f.view, Qt::LeftButton, Qt::NoModifier, centre + QPoint(200, 40));
    EXPECT_EQ(floor->Transform().m31(), 0.0);
    EXPECT_EQ(f.UndoSteps(), 0);
    EXPECT_FALSE(f.Doc().IsModified());
}

TEST_F(MapToolsTest, BandsSelectAddAndRemoveAndLockedCategoriesAreOnlyEverRemoved) {
    TileRef* a = f.Place(kFloor, 0, 0);
    TileRef* b = f.Place(kFloor, 128, 0);
    TileRef* door = f.Place(kDoor, 256, 0);
    TileRef* far = f.Place(kFloor, 0, 256);
    TileSet& tileSet = f.app->Tiles();

    // A plain band on empty space selects exactly what it covers.
    QTest::mousePress(f.view, Qt::LeftButton, Qt::NoModifier, f.At(-20, 100));
    QTest::mouseMove(f.view, f.At(200, -20));
    QTest::mouseRelease(f.view, Qt::LeftButton, Qt::NoModifier, f.At(200, -20));
    EXPECT_TRUE(a->IsSelected());
    EXPECT_TRUE(b->IsSelected());
    EXPECT_FALSE(door->IsSelected());
    EXPECT_FALSE(far->IsSelected());

    // Two pixels are a click: on empty space it clears the selection.
    QTest::mousePress(f.view, Qt::LeftButton, Qt::NoModifier, f.At(-100, -100));
    QTest::mouseMove(f.view, f.At(-100, -100) + QPoint(2, 2));
    QTest::mouseRelease(f.view, Qt::LeftButton, Qt::NoModifier, f.At(-100, -100) + QPoint(2, 2));
    EXPECT_EQ(f.Doc().SelectedCount(), 0);

    door->SetSelected(true);
    tileSet.SetCategoryState(tileSet.CategoryOfKind(door->Kind()), kCategoryLocked);
    // SHIFT adds what the band covers to what was selected.
    QTest::mousePress(f.view, Qt::LeftButton, Qt::ShiftModifier, f.At(-20, 400));
    QTest::mouseMove(f.view, f.At(400, 200));
    QTest::mouseRelease(f.view, Qt::LeftButton, Qt::ShiftModifier, f.At(400, 200));
    EXPECT_TRUE(far->IsSelected());
    EXPECT_TRUE(door->IsSelected());
    EXPECT_FALSE(a->IsSelected());

    // CONTROL removes what the band covers, locked or not; SHIFT never adds a locked tile.
    QTest::mousePress(f.view, Qt::LeftButton, Qt::ControlModifier, f.At(230, 100));
    QTest::mouseMove(f.view, f.At(400, -50));
    QTest::mouseRelease(f.view, Qt::LeftButton, Qt::ControlModifier, f.At(400, -50));
    EXPECT_FALSE(door->IsSelected());
    EXPECT_TRUE(far->IsSelected());
    QTest::mousePress(f.view, Qt::LeftButton, Qt::ShiftModifier, f.At(230, 100));
    QTest::mouseMove(f.view, f.At(400, -50));
    QTest::mouseRelease(f.view, Qt::LeftButton, Qt::ShiftModifier, f.At(400, -50));
    EXPECT_FALSE(door->IsSelected());
    // SHIFT-click toggles one tile.
    QTest::mouseClick(f.view, Qt::LeftButton, Qt::ShiftModifier, f.At(160, 32));
    EXPECT_TRUE(b->IsSelected());
    EXPECT_TRUE(far->IsSelected());
    QTest::mouseClick(f.view, Qt::LeftButton, Qt::ShiftModifier, f.At(160, 32));
    EXPECT_FALSE(b->IsSelected());
    EXPECT_EQ(f.UndoSteps(), 0);
}

// Drags the right button about the tile's centre from 0 to `degrees`, at a zoom that keeps the
// pixel rounding of the angle well under a degree.
void RightDrag(MapToolsFixture& f, const TileRef& tile, double degrees) {
    f.view->GetCamera().SetZoom(4.0f);
    const Vec2 pivot = CentreOf(tile);
    const double radius = 12.0;
    const QPoint press = f.At(pivot.X() + radius, pivot.Y());
    QTest::mousePress(f.view, Qt::RightButton, Qt::NoModifier, press);
    QPoint at = press;
    for (int step = 1; step <= 5; ++step) {
        const double a = degrees * step / 5.0 * kDegree;
        at = f.At(pivot.X() + radius * std::cos(a), pivot.Y() + radius * std::sin(a));
        QTest::mouseMove(f.view, at);
    }
    QTest::mouseRelease(f.view, Qt::RightButton, Qt::NoModifier, at);
}

TEST_F(MapToolsTest, RightDragTurnsBySnappedQuarterTurnsWithASnappingTileAndFreelyWithout) {
    TileRef* floor = f.Place(kFloor, 0, 0);
    RightDrag(f, *floor, 50.0);
    EXPECT_NEAR(AngleDegrees(*floor), 90.0, 1e-3);
    EXPECT_EQ(f.UndoSteps(), 1);
    RightDrag(f, *floor, 30.0);
    EXPECT_NEAR(AngleDegrees(*floor), 90.0, 1e-3); // under 45 degrees: no turn
    RightDrag(f, *floor, -100.0);
    EXPECT_NEAR(AngleDegrees(*floor), 0.0, 1e-3); // 90 + 270
    f.Doc().DeselectAll();

    TileRef* marker = f.Place(kMarker, -100, 0);
    RightDrag(f, *marker, 50.0);
    EXPECT_NEAR(AngleDegrees(*marker), 50.0, 1.0);
    EXPECT_FALSE(floor->IsSelected());
    EXPECT_DOUBLE_EQ(EditTool::SnapToQuarterTurn(-100.0 * kDegree), 1.5 * std::numbers::pi);
    EXPECT_DOUBLE_EQ(EditTool::SnapToQuarterTurn(30.0 * kDegree), 0.0);
}

TEST_F(MapToolsTest, RightClickDuringAMoveTurnsTheSelectionAQuarter) {
    TileRef* floor = f.Place(kFloor, 0, 0);
    const QPoint centre = f.At(32, 32);
    QTest::mousePress(f.view, Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseMove(f.view, centre + QPoint(64, 0));
    QTest::mousePress(f.view, Qt::RightButton, Qt::NoModifier, centre + QPoint(64, 0));
    QTest::mouseRelease(f.view, Qt::RightButton, Qt::NoModifier, centre + QPoint(64, 0));
    EXPECT_NEAR(AngleDegrees(*floor), 90.0, 1e-3);
    QTest::mouseMove(f.view, centre + QPoint(128, 0));
    QTest::mouseRelease(f.view, Qt::LeftButton, Qt::NoModifier, centre + QPoint(128, 0));
    EXPECT_NEAR(AngleDegrees(*floor), 90.0, 1e-3);
    EXPECT_NEAR(CentreOf(*floor).X(), 32.0 + 128.0, 0.5);
    EXPECT_EQ(f.UndoSteps(), 1);
}

TEST_F(MapToolsTest, ShortRightClickOpensTheLocalFlagsMenuNamedAfterTheTilesFlags) {
    TileRef* door = f.Place(kDoor, 0, 0);
    std::vector<std::string> labels;
    std::vector<bool> checks;
    std::vector<int> ids;
    std::string title;
    f.view->SetMenuRunner([&](QMenu& menu, const QPoint&) -> QAction* {
        title = menu.title().toStdString();
        for (QAction* action : menu.actions()) {
            labels.push_back(action->text().toStdString());
            checks.push_back(action->isChecked());
            ids.push_back(action->data().toInt());
        }
        return menu.actions().value(2);
    });
    const QPoint at = f.At(16, 16);
    QTest::mousePress(f.view, Qt::RightButton, Qt::NoModifier, at);
    QTest::mouseRelease(f.view, Qt::RightButton, Qt::NoModifier, at + QPoint(2, -2));
    EXPECT_EQ(title, "Local Flags");
    EXPECT_EQ(labels, (std::vector<std::string>{"Open", "Locked", "Trapped"}));
    EXPECT_EQ(checks, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(ids, (std::vector<int>{32893, 32894, 32895}));
    EXPECT_TRUE(door->LocalFlag(2));
    EXPECT_EQ(f.UndoSteps(), 1);

    // Held too long, or moved three pixels: no menu.
    labels.clear();
    QTest::mousePress(f.view, Qt::RightButton, Qt::NoModifier, at);
    QTest::mouseRelease(f.view, Qt::RightButton, Qt::NoModifier, at, 600);
    QTest::mousePress(f.view, Qt::RightButton, Qt::NoModifier, at);
    QTest::mouseRelease(f.view, Qt::RightButton, Qt::NoModifier, at + QPoint(3, 0));
    EXPECT_TRUE(labels.empty());
    EXPECT_TRUE(door->LocalFlag(2));
}

TEST_F(MapToolsTest, ArrowKeysMoveTheSelectionByTheGridOrOneUnitAndPanWithout) {
    TileRef* floor = f.Place(kFloor, 0, 0);
    const QPoint before = f.At(0, 0);
    QTest::keyClick(f.view, Qt::Key_Left);
    EXPECT_EQ(f.At(0, 0), before + QPoint(10, 0)); // the map moves right on screen
    QTest::keyClick(f.view, Qt::Key_Up);
    EXPECT_EQ(f.At(0, 0), before + QPoint(10, 10));

    floor->SetSelected(true);
    QTest::keyClick(f.view, Qt::Key_Right);
    QTest::keyClick(f.view, Qt::Key_Up);
    EXPECT_EQ(floor->Transform().m31(), 64.0);
    EXPECT_EQ(floor->Transform().m32(), 64.0);
    EXPECT_EQ(f.UndoSteps(), 2);

    TileRef* marker = f.Place(kMarker, 10, 10);
    f.Doc().DeselectAll();
    marker->SetSelected(true);
    QTest::keyClick(f.view, Qt::Key_Down);
    EXPECT_EQ(marker->Transform().m32(), 9.0);
    EXPECT_EQ(floor->Transform().m32(), 64.0);
}

TEST_F(MapToolsTest, SpaceHoldsThePanToolUntilItIsReleasedEvenOverThePanel) {
    f.Place(kFloor, 0, 0);
    QTest::keyPress(f.view, Qt::Key_Space);
    EXPECT_EQ(f.view->Tools().Current(), ViewTool::Pan);
    EXPECT_EQ(f.StatusText(), Utf8(PanTool::kStatusText));
    const QPoint start = f.At(32, 32);
    QTest::mousePress(f.view, Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(f.view, start + QPoint(40, 25));
    QTest::mouseRelease(f.view, Qt::LeftButton, Qt::NoModifier, start + QPoint(40, 25));
    EXPECT_EQ(f.At(32, 32), start + QPoint(40, 25));
    EXPECT_EQ(f.Doc().SelectedCount(), 0);
    // Auto-repeated releases of a held key are no release; the real one over the panel is.
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ", true);
    QApplication::sendEvent(f.panel, &repeat);
    EXPECT_EQ(f.view->Tools().Current(), ViewTool::Pan);
    QTest::keyRelease(f.panel, Qt::Key_Space);
    EXPECT_EQ(f.view->Tools().Current(), ViewTool::Edit);
    EXPECT_EQ(f.StatusText(), Utf8(EditTool::kStatusText));
}

TEST_F(MapToolsTest, MiddleButtonPansInEveryToolWithoutTouchingTiles) {
    TileRef* floor = f.Place(kFloor, 0, 0);
    for (int id : {CommandTable::kEditTool, CommandTable::kTextTool}) {
        f.frame->RunCommand(id);
        const QPoint start = f.At(32, 32);
        QTest::mousePress(f.view, Qt::MiddleButton, Qt::NoModifier, start);
        QTest::mouseMove(f.view, start + QPoint(-30, 12));
        QTest::mouseRelease(f.view, Qt::MiddleButton, Qt::NoModifier, start + QPoint(-30, 12));
        EXPECT_EQ(f.At(32, 32), start + QPoint(-30, 12)) << id;
    }
    EXPECT_FALSE(floor->IsSelected());
    EXPECT_EQ(f.Doc().TileCount(), 1);
    EXPECT_EQ(floor->Transform().m31(), 0.0);
}

TEST_F(MapToolsTest, PanToolRightDragDoublesOrDividesTheZoomOfThePress) {
    f.frame->RunCommand(CommandTable::kPanTool);
    EXPECT_TRUE(f.frame->Action(CommandTable::kPanTool)->isChecked());
    EXPECT_FALSE(f.frame->Action(CommandTable::kEditTool)->isChecked());
    Camera& camera = f.view->GetCamera();
    camera.SetZoom(0.5f);
    const QPoint start(300, 300);
    QTest::mousePress(f.view, Qt::RightButton, Qt::NoModifier, start);
    QTest::mouseMove(f.view, start + QPoint(0, -100));
    EXPECT_NEAR(camera.ZoomFactor(), 1.0f, 1e-4f);
    QTest::mouseMove(f.view, start + QPoint(0, 300));
    EXPECT_NEAR(camera.ZoomFactor(), 0.125f, 1e-4f);
    QTest::mouseRelease(f.view, Qt::RightButton, Qt::NoModifier, start + QPoint(0, 300));
    EXPECT_EQ(f.view->cursor().shape(), Qt::BitmapCursor); // the tool's own picture
}

TEST_F(MapToolsTest, TypingGoesInAtTheCaretAndEnterOnAnEmptyTextRemovesIt) {
    f.frame->RunCommand(CommandTable::kTextTool);
    EXPECT_TRUE(f.frame->Action(CommandTable::kTextTool)->isChecked());
    EXPECT_EQ(f.StatusText(), Utf8(TextTool::kStatusText));
    EXPECT_EQ(f.view->cursor().shape(), Qt::IBeamCursor);
    f.Hover(f.At(100, 37));
    const std::array<Vec2, 4>& box = f.view->Overlays().TextBox();
    EXPECT_NEAR(box[0].X(), 96.0, 0.6);
    EXPECT_NEAR(box[0].Y(), 32.0, 0.6);
    EXPECT_NEAR(box[2].X(), 112.0, 0.6);
    EXPECT_NEAR(box[2].Y(), 96.0, 0.6);

    // A click into empty space without typing leaves nothing behind.
    QTest::mouseClick(f.view, Qt::LeftButton, Qt::NoModifier, f.At(100, 37));
    ASSERT_EQ(f.Doc().TileCount(), 1);
    QTest::keyClick(f.view, Qt::Key_Return);
    EXPECT_EQ(f.Doc().TileCount(), 0);

    QTest::mouseClick(f.view, Qt::LeftButton, Qt::NoModifier, f.At(100, 37));
    QTest::keyClicks(f.view, "ab");
    QTest::keyClick(f.view, Qt::Key_Left);
    QTest::keyClicks(f.view, "c");
    ASSERT_EQ(f.Doc().TileCount(), 1);
    const auto* text = static_cast<const TextTile*>(f.Doc().TileAt(0));
    EXPECT_EQ(Utf8(text->Text()), "acb");
    EXPECT_EQ(f.view->Tools().Text().Caret(), 2);
    // SPACE types a blank and starts no temporary pan; BACKSPACE at the start does nothing.
    QTest::keyClick(f.view, Qt::Key_Space);
    EXPECT_EQ(f.view->Tools().Current(), ViewTool::Text);
    QTest::keyClick(f.view, Qt::Key_Home);
    QTest::keyClick(f.view, Qt::Key_Backspace);
    QTest::keyClick(f.view, Qt::Key_Delete);
    EXPECT_EQ(Utf8(text->Text()), "c b");
    // Snapped to a quarter of the grid below and left of the click.
    EXPECT_EQ(text->Transform().m31(), 96.0);
    EXPECT_EQ(text->Transform().m32(), 32.0);
    // Choosing another tool ends the typing.
    f.frame->RunCommand(CommandTable::kEditTool);
    EXPECT_FALSE(f.view->Tools().Text().IsEditing());
    EXPECT_FALSE(text->IsSelected());
    EXPECT_EQ(f.StatusText(), Utf8(EditTool::kStatusText));
}

TEST_F(MapToolsTest, HoverShowsTheMoveCursorAndATipWithTheCounts) {
    f.Place(kDoor, 0, 0);
    f.Place(kDoor, 100, 0);
    f.Hover(f.At(16, 16));
    EXPECT_EQ(f.view->cursor().shape(), Qt::SizeAllCursor);
    EXPECT_EQ(Utf8(f.view->ToolTipText()), "Door : 2 used of 4");
    f.Hover(f.At(16, 16), Qt::ShiftModifier);
    EXPECT_EQ(f.view->cursor().shape(), Qt::ArrowCursor);
    f.Hover(f.At(-50, -50));
    EXPECT_EQ(f.view->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(f.view->ToolTipText().IsEmpty());
    // Beside the client area: the four-headed arrow.
    f.Hover(QPoint(f.view->width() + 3, 10));
    EXPECT_EQ(f.view->cursor().shape(), Qt::SizeAllCursor);
}

} // namespace

namespace {

TEST_F(MapToolsTest, HandleDragResizesTheTileToWholeCellsAndShowsTheCross) {
    TileRef* floor = f.Place(kFloor, 0, 0);
    floor->SetSelected(true);
    f.Doc().State().showResizeHandles = true;
    const QPoint right = f.At(64, 32);
    f.Hover(right + QPoint(3, -4));
    EXPECT_EQ(f.view->cursor().shape(), Qt::CrossCursor);
    QTest::mousePress(f.view, Qt::LeftButton, Qt::NoModifier, right + QPoint(3, -4));
    EXPECT_EQ(f.view->Tools().Edit().State(), EditTool::Drag::Resize);
    QTest::mouseMove(f.view, right + QPoint(70, 0));
    QTest::mouseRelease(f.view, Qt::LeftButton, Qt::NoModifier, right + QPoint(70, 0));
    EXPECT_NEAR(floor->Transform().m11(), 2.0, 1e-9); // 134 units wide, rounded to two cells
    EXPECT_NEAR(floor->Transform().m22(), 1.0, 1e-9);
    EXPECT_EQ(floor->Transform().m31(), 0.0);
    EXPECT_EQ(f.UndoSteps(), 1);
}

TEST_F(MapToolsTest, DraggingPastTheWindowEdgeScrollsTenPixelsPerMoveWithTheTileUnderTheMouse) {
    TileRef* floor = f.Place(kFloor, 0, 0);
    QTest::mousePress(f.view, Qt::LeftButton, Qt::NoModifier, f.At(32, 32));
    const float grabOffset = CentreOf(*floor).X() - f.WorldAt(f.At(32, 32)).X();
    const QPoint outside(f.view->width() + 5, f.At(32, 32).y());
    const QPoint origin = f.At(0, 0);
    QTest::mouseMove(f.view, outside);
    EXPECT_EQ(f.At(0, 0), origin - QPoint(10, 0));
    QTest::mouseMove(f.view, outside + QPoint(1, 0));
    EXPECT_EQ(f.At(0, 0), origin - QPoint(20, 0));
    EXPECT_NEAR(CentreOf(*floor).X(), f.WorldAt(outside + QPoint(1, 0)).X() + grabOffset, 0.01);
    // Inside the window again, nothing scrolls.
    QTest::mouseMove(f.view, outside - QPoint(100, 0));
    EXPECT_EQ(f.At(0, 0), origin - QPoint(20, 0));
    QTest::mouseRelease(f.view, Qt::LeftButton, Qt::NoModifier, outside - QPoint(100, 0));
}

TEST_F(MapToolsTest, EscapeDuringATurnPutsTheTilesBackAndTheReleaseRecordsNothing) {
    TileRef* floor = f.Place(kFloor, 0, 0);
    const QPoint press = f.At(50, 32);
    QTest::mousePress(f.view, Qt::RightButton, Qt::NoModifier, press);
    QTest::mouseMove(f.view, f.At(32, 50));
    EXPECT_GT(std::fabs(AngleDegrees(*floor)), 45.0);
    QTest::keyClick(f.view, Qt::Key_Escape);
    EXPECT_TRUE(floor->Transform().Equals(Matrix3()));
    QTest::mouseRelease(f.view, Qt::RightButton, Qt::NoModifier, f.At(32, 50));
    EXPECT_TRUE(floor->Transform().Equals(Matrix3()));
    EXPECT_EQ(f.UndoSteps(), 0);
}

TEST_F(MapToolsTest, KeysFlipDeleteAndZoomAndWaitWhileADragRuns) {
    TileRef* door = f.Place(kDoor, 0, 0);
    door->SetSelected(true);
    QTest::keyClick(f.view, Qt::Key_F);
    EXPECT_TRUE(door->IsFlipped());
    QTest::keyClick(f.view, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_NEAR(f.view->GetCamera().ZoomFactor(), 1.1f, 1e-4f);
    QTest::keyClick(f.view, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_NEAR(f.view->GetCamera().ZoomFactor(), 1.0f, 1e-4f);
    // DELETE during a move would pull the tile from under the drag: it waits.
    const QPoint centre = f.At(16, 16);
    QTest::mousePress(f.view, Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseMove(f.view, centre + QPoint(64, 0));
    QTest::keyClick(f.view, Qt::Key_Delete);
    EXPECT_EQ(f.Doc().TileCount(), 1);
    QTest::mouseRelease(f.view, Qt::LeftButton, Qt::NoModifier, centre + QPoint(64, 0));
    EXPECT_EQ(door->Transform().m31(), 64.0);
    QTest::keyClick(f.view, Qt::Key_Delete);
    EXPECT_EQ(f.Doc().TileCount(), 0);
    EXPECT_EQ(f.UndoSteps(), 3); // flip, move, delete
}

} // namespace
