#include "MapToolsFixture.h"

#include "app/CGridvellumView.h"
#include "app/CLeftView.h"
#include "app/CMainFrame.h"
#include "app/CTilePanelPane.h"
#include "document/TileRef.h"
#include "tileset/TilePanel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace apptest;

namespace {

class TileSearchTest : public ::testing::Test {
protected:
    TileSearchTest() : pane(f.frame->TilePane()), box(pane.SearchBox()), layout(f.app->Panel()) {}

    std::vector<std::vector<int>> Shown() const {
        std::vector<std::vector<int>> shown;
        for (int category = 0; category < layout.CategoryCount(); ++category) {
            shown.push_back(layout.TilesOf(category));
        }
        return shown;
    }

    int CategoriesWithTiles() const {
        int count = 0;
        for (int category = 0; category < layout.CategoryCount(); ++category) {
            count += layout.TilesOf(category).empty() ? 0 : 1;
        }
        return count;
    }

    // The middle of the definition's cell as the panel shows it now; (-1, -1) when it is not shown.
    QPoint ShownCell(int definition) const {
        for (int y = 0; y < f.panel->height(); y += 4) {
            for (int x = 0; x < layout.PanelWidth(); x += 4) {
                const TilePanel::Hit hit = layout.HitTest(x, y);
                if (hit.part == TilePanel::Part::Tile && hit.definition == definition && !hit.rightHalf) {
                    return QPoint(x + 8, y + layout.TileSize() / 2);
                }
            }
        }
        return QPoint(-1, -1);
    }

    MapToolsFixture f;
    CTilePanelPane& pane;
    QLineEdit& box;
    TilePanel& layout;
};

TEST_F(TileSearchTest, TypingNarrowsThePanelADragPlacesAFilteredTileAndEscapeGivesThePanelBack) {
    const std::vector<std::vector<int>> full = Shown();
    const int fullHeight = layout.ContentHeight();
    EXPECT_EQ(box.text(), QString());
    EXPECT_TRUE(pane.MatchLabel().isHidden());

    // Ctrl+F from the map puts the keyboard into the box.
    f.frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.frame));
    f.view->setFocus();
    QTest::keyClick(f.view, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(box.hasFocus());

    QTest::keyClicks(&box, "oo");
    EXPECT_EQ(pane.MatchLabel().text().toStdString(), "2 matches");
    EXPECT_EQ(CategoriesWithTiles(), 2);
    box.selectAll();
    QTest::keyClicks(&box, "R");
    EXPECT_EQ(pane.MatchLabel().text().toStdString(), "3 matches");
    EXPECT_FALSE(pane.MatchLabel().isHidden());
    // Floor, Door and Marker, each in its own category, each shown open; Chest's category is closed.
    EXPECT_EQ(CategoriesWithTiles(), 3);
    EXPECT_EQ(layout.ContentHeight(),
              layout.CategoryCount() * TilePanel::kHeaderHeight + 3 * layout.TileSize());
    QTest::keyClicks(&box, "z");
    EXPECT_EQ(pane.MatchLabel().text().toStdString(), "No matches");
    QTest::keyClick(&box, Qt::Key_Backspace);

    // The marker's cell, moved up to the top of its category, drags onto the map like any other.
    const QPoint cell = ShownCell(kMarker);
    ASSERT_GE(cell.x(), 0);
    EXPECT_EQ(f.panel->Panel().Tooltip(cell.x(), cell.y(), nullptr).ToUtf8(), "Marker");
    QTest::mousePress(f.panel, Qt::LeftButton, Qt::NoModifier, cell);
    QTest::mouseMove(f.panel, f.PanelPointOverMap(f.At(100, 100)));
    QTest::mouseRelease(f.panel, Qt::LeftButton, Qt::NoModifier, f.PanelPointOverMap(f.At(100, 100)));
    ASSERT_EQ(f.Doc().TileCount(), 1);
    EXPECT_EQ(f.Doc().TileAt(0)->DefinitionIndex(), static_cast<std::uint32_t>(kMarker));

    box.setFocus();
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_EQ(box.text(), QString());
    EXPECT_TRUE(pane.MatchLabel().isHidden());
    EXPECT_FALSE(layout.IsFiltered());
    EXPECT_EQ(Shown(), full);
    EXPECT_EQ(layout.ContentHeight(), fullHeight);
    EXPECT_TRUE(f.panel->hasFocus());
}

} // namespace
