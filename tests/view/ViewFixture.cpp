#include "ViewFixture.h"

#include "document/TileRef.h"
#include "raster/RasterCanvas.h"
#include "support/Matrix3.h"

namespace viewtest {

std::string DefaultLook() {
    return "backcolor=\"10,20,30\" gridcolor=\"200,200,200\" gridsize=\"64\"";
}

void WriteTileSet(const ScratchDir& dir, const std::string& name, const std::string& rootAttributes) {
    dir.Write("red.png", testsupport::SolidPng(64, 64, 255, 0, 0));
    dir.Write("green.png", testsupport::SolidPng(32, 32, 0, 255, 0));
    // Quadrants, top row first: red, green over blue, white.
    std::vector<std::uint8_t> quadrants = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    dir.Write("back.png", EncodePng(2, 2, 3, quadrants));
    dir.Write("dot.png", testsupport::SolidPng(1, 1, 255, 255, 0));
    const std::string set = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<TileSet " +
                            rootAttributes +
                            ">\r\n"
                            "<Tile name=\"Red\" type=\"0\">red.png</Tile>\r\n"
                            "<Tile name=\"Green\" type=\"1\" showhandles=\"true\">green.png</Tile>\r\n"
                            "</TileSet>\r\n";
    dir.Write(name, set);
}

ViewDocument::ViewDocument(const std::string& rootAttributes)
    : tileSet(TileSetContext{dir.WPath(), nullptr, nullptr, false}), doc(tileSet, state, nullptr) {
    WriteTileSet(dir, "view.set", rootAttributes);
    tileSet.Load(u"view.set");
}

TileRef* ViewDocument::Place(int definition, float worldX, float worldY) {
    TileRef* tile = doc.AddTile(definition);
    if (tile != nullptr) {
        tile->SetTransform(Matrix3::Translation(worldX, worldY));
        tile->UpdateBounds();
    }
    return tile;
}

std::uint32_t ClientPixel(const RasterCanvas& canvas, int x, int y) {
    const std::uint8_t* pixel =
        canvas.Rows()[canvas.Height() - 1 - y] + static_cast<std::ptrdiff_t>(x) * canvas.BytesPerPixel();
    return static_cast<std::uint32_t>(pixel[2]) | (static_cast<std::uint32_t>(pixel[1]) << 8) |
           (static_cast<std::uint32_t>(pixel[0]) << 16);
}

} // namespace viewtest
