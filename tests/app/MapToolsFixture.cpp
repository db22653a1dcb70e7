#include "MapToolsFixture.h"

#include "app/CGridvellumView.h"
#include "app/CLeftView.h"
#include "app/CMainFrame.h"
#include "document/TileRef.h"
#include "platform/QtSettingsStore.h"
#include "support/Matrix3.h"
#include "tileset/TilePanel.h"

#include "common/TestPng.h"

#include <QApplication>
#include <QMouseEvent>

#include <cstdint>
#include <string>

namespace apptest {

namespace {

const char* kToolsSet =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<Set backcolor=\"10,20,30\" gridsize=\"64\">"
    "<Tile name=\"Floor\" type=\"0\">floor.png</Tile>"
    "<Tile name=\"Door\" type=\"1\" maxcount=\"4\" flipimage=\"doorflip.png\" xscale=\"2\" yscale=\"1\">"
    "door.png<LocalFlag index=\"0\">Open</LocalFlag>"
    "<LocalFlag index=\"1\" defaultstate=\"true\">Locked</LocalFlag>"
    "<LocalFlag index=\"2\">Trapped</LocalFlag></Tile>"
    "<Tile name=\"Marker\" type=\"3\" freeplacement=\"true\">marker.png</Tile>"
    "<Tile name=\"Chest\" type=\"2\" maxcount=\"1\">chest.png</Tile>"
    "</Set>\r\n";

} // namespace

MapToolsFixture::MapToolsFixture() {
    dir.Write("tools.set", kToolsSet);
    dir.Write("floor.png", testsupport::SolidPng(64, 64, 0xC08040));
    dir.Write("door.png", testsupport::SolidPng(32, 32, 0x4080C0));
    dir.Write("doorflip.png", testsupport::SolidPng(32, 32, 0x40C080));
    dir.Write("marker.png", testsupport::SolidPng(32, 32, 0xE02020));
    dir.Write("chest.png", testsupport::SolidPng(16, 16, 0x20E020));
    WritePanelButtons(dir);

    CGridvellumApp::Options options;
    options.dataDirectory = WString::FromUtf8(dir.Path() + "/");
    options.settings = std::make_unique<QtSettingsStore>(dir.WJoin("settings.ini"));
    options.prompts = std::make_unique<ScriptedPrompts>(script);
    app = std::make_unique<CGridvellumApp>(std::move(options));
    app->Start(WString());
    frame = app->Frame();
    view = &frame->View();
    panel = &frame->LeftView();
    // Two columns of small cells leave most of the window to the map.
    app->SetPanelTileSize(TilePanel::kSmallTiles);
    app->SetPanelColumns(2);
    QApplication::processEvents();
    view->GetCamera().Resize(view->width(), view->height());
}

MapToolsFixture::~MapToolsFixture() {
    app.reset();
}

TileRef* MapToolsFixture::Place(int definition, double worldX, double worldY) {
    TileRef* tile = Doc().AddTile(definition);
    if (tile != nullptr) {
        tile->SetTransform(Matrix3::Translation(worldX, worldY));
        tile->UpdateBounds();
    }
    return tile;
}

QPoint MapToolsFixture::At(double worldX, double worldY) const {
    const ClientPoint at =
        view->GetCamera().WorldToClient(Vec2(static_cast<float>(worldX), static_cast<float>(worldY)));
    return QPoint(at.x, at.y);
}

Vec2 MapToolsFixture::WorldAt(QPoint clientPt) const {
    return view->GetCamera().ClientToWorld(clientPt.x(), clientPt.y());
}

QPoint MapToolsFixture::PanelCell(int definition, bool rightHalf) {
    TileSet& tileSet = app->Tiles();
    tileSet.SetCategoryExpanded(tileSet.CategoryOfKind(tileSet.Definition(definition).Kind()), true);
    panel->Relayout();
    const TilePanel& layout = app->Panel();
    for (int y = 0; y < panel->height(); ++y) {
        for (int x = 0; x < layout.PanelWidth(); ++x) {
            const TilePanel::Hit hit = layout.HitTest(x, y);
            if (hit.part == TilePanel::Part::Tile && hit.definition == definition &&
                hit.rightHalf == rightHalf) {
                // Well inside the half, away from the cell's edges.
                return QPoint(x + layout.TileSize() / 4, y + layout.TileSize() / 2);
            }
        }
    }
    return QPoint(-1, -1);
}

QPoint MapToolsFixture::PanelPointOverMap(QPoint mapClientPt) const {
    return panel->mapFromGlobal(view->mapToGlobal(mapClientPt));
}

void MapToolsFixture::Hover(QPoint clientPt, Qt::KeyboardModifiers modifiers) {
    QMouseEvent move(QEvent::MouseMove, clientPt, view->mapToGlobal(clientPt), Qt::NoButton, Qt::NoButton,
                     modifiers);
    QApplication::sendEvent(view, &move);
}

std::string MapToolsFixture::StatusText() const {
    return frame->StatusText().toStdString();
}

} // namespace apptest
