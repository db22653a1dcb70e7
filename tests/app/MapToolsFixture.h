#pragma once

#include "AppFixture.h"

#include "app/CGridvellumApp.h"
#include "support/Vec2.h"

#include <QPoint>

#include <memory>

class CGridvellumView;
class CLeftView;
class CMainFrame;
class TileRef;

// The editor started on "tools.set", driven through its real map view and tile panel with
// synthetic events. Definitions:
//   0 Floor  64 x 64 map tile, snaps to the grid
//   1 Door   32 x 32 object with a flip image, xscale 2, at most 4, local flags Open, Locked (set by
//            default) and Trapped
//   2 Marker 32 x 32 figure placed freely
//   3 Chest  16 x 16 pick-up item, at most 1
namespace apptest {

enum ToolTile { kFloor = 0, kDoor = 1, kMarker = 2, kChest = 3 };

class MapToolsFixture {
public:
    MapToolsFixture();
    ~MapToolsFixture();

    CGridvellumDoc& Doc() { return app->Document(); }
    // A tile of the definition with its image corner (0, 0) at the world point.
    TileRef* Place(int definition, double worldX, double worldY);
    // Client point of the map view over a world point, and back.
    QPoint At(double worldX, double worldY) const;
    QPoint At(const Vec2& worldPt) const { return At(worldPt.X(), worldPt.Y()); }
    Vec2 WorldAt(QPoint clientPt) const;
    int UndoSteps() { return static_cast<int>(Doc().UndoHistory().size()); }
    // A point of the tile panel over the definition's cell (its left or right half), the
    // category expanded first.
    QPoint PanelCell(int definition, bool rightHalf);
    // A point of the map view as the tile panel's own client point, where a drag from the panel
    // would have to be to reach it.
    QPoint PanelPointOverMap(QPoint mapClientPt) const;
    // A mouse move without buttons (the test library moves only the system cursor then).
    void Hover(QPoint clientPt, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    std::string StatusText() const;

    ScratchDir dir;
    PromptScript script;
    std::unique_ptr<CGridvellumApp> app;
    CMainFrame* frame = nullptr;
    CGridvellumView* view = nullptr;
    CLeftView* panel = nullptr;
};

} // namespace apptest
