// Opens arbitrary bytes as a map file against a small fixed tileset, then runs what the editor does
// with a freshly opened map: write it as text and read it back, hit-test, measure and draw it.
#include "document/CGridvellumDoc.h"
#include "document/ProgramState.h"
#include "document/TileRef.h"
#include "raster/DcRasterCanvas.h"
#include "support/Matrix3.h"
#include "support/XmlDocument.h"
#include "tileset/TileSet.h"
#include "view/FrameComposer.h"
#include "view/SoftwareRenderer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

// Tile images are left out on purpose: each loads as the grey stand-in square, which keeps start-up
// quick and still gives every definition an image to hit and draw.
const char kTileSet[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<TileSet gridsize=\"64\">\n"
    "<Tile name=\"Floor\" type=\"0\">floor.png</Tile>\n"
    "<Tile name=\"Door\" type=\"1\" maxcount=\"2\">door.png</Tile>\n"
    "<Tile name=\"Hero\" type=\"3\" freeplacement=\"true\" flipimage=\"hero_flip.png\">hero.png"
    "<PreDrawTile name=\"fuzz.set:Floor\" type=\"5\"/></Tile>\n"
    "<Tile name=\"Chest\" type=\"2\" sort=\"5\">chest.png<LocalFlag index=\"0\" "
    "defaultstate=\"true\">Open</LocalFlag>"
    "<LocalFlag index=\"2\">Trap</LocalFlag><PostDrawTile name=\"fuzz.set:Door\" type=\"3\" "
    "index=\"2\"/></Tile>\n"
    "</TileSet>\n";

struct Harness {
    Harness() {
        directory = std::filesystem::temp_directory_path() / ("gv_map_fuzz_" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory);
        std::ofstream(directory / "fuzz.set") << kTileSet;
        tileSet = std::make_unique<TileSet>(TileSetContext{WString::FromUtf8(directory.string() + "/")});
        tileSet->Load(u"fuzz.set");
        canvas.SetBitsPerPixel(32);
        canvas.Create(96, 64);
    }
    std::filesystem::path directory;
    std::unique_ptr<TileSet> tileSet;
    DcRasterCanvas canvas;
};

Harness& TheHarness() {
    static Harness harness;
    return harness;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    Harness& harness = TheHarness();
    XmlDocument file;
    if (!file.LoadFromBytes(data, size)) {
        return 0;
    }
    ProgramState state;
    CGridvellumDoc document(*harness.tileSet, state);
    document.ReadXml(file, false);

    WString text;
    document.ToText(text);
    document.DeleteAllTiles();
    document.LoadTilesFromText(text);

    document.SelectAll();
    const Rect2 bounds = document.DocumentBounds(false, true);
    document.HitTestSelectable(bounds.Centre());
    int caret = 0;
    document.HitTestText(bounds.Centre(), caret);
    if (TileRef* tile = document.TileAt(0)) {
        tile->HandlePoints();
        tile->ResizeByHandle(Vec2(100, 40), TileRef::kHandleRight, true);
        tile->SetScale(2, 0.5);
    }
    // The whole map squeezed into the canvas, and the area around the origin at full size.
    const float scale = bounds.Width() > 1 ? 96.0f / bounds.Width() : 1.0f;
    SoftwareRenderer renderer(harness.canvas);
    FrameComposer composer(renderer, document);
    composer.Tiles(Matrix3::Scaling(scale, scale), bounds, false, false);
    composer.Tiles(Matrix3(), Rect2(0, 96, 0, 64), true, true);
    return 0;
}
