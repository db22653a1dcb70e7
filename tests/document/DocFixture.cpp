#include "DocFixture.h"

#include "document/MapFile.h"
#include "document/MovementPath.h"
#include "document/TextTile.h"
#include "document/TileRef.h"
#include "support/Matrix3.h"

#include <gtest/gtest.h>

#include <memory>

namespace doctest {

namespace {

// Left half fully transparent, right half opaque blue.
std::string HalfTransparent(int width, int height) {
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool opaque = x >= width / 2;
            pixels.insert(pixels.end(), {0, 0, 255, static_cast<std::uint8_t>(opaque ? 255 : 0)});
        }
    }
    return EncodePng(width, height, 4, pixels);
}

} // namespace

void WriteTestTileSet(const ScratchDir& dir, const std::string& name,
                      const std::string& extraRootAttributes) {
    dir.Write("floor.png", testsupport::SolidPng(64, 64, 255, 0, 0));
    dir.Write("door.png", HalfTransparent(64, 64));
    dir.Write("hero.png", testsupport::SolidPng(32, 48, 0, 255, 0));
    dir.Write("hero_flip.png", testsupport::SolidPng(48, 32, 0, 128, 0));
    dir.Write("chest.png", testsupport::SolidPng(64, 64, 200, 200, 0));
    dir.Write("wall.png", testsupport::SolidPng(64, 64, 90, 90, 90));
    const std::string set =
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<TileSet " +
        extraRootAttributes +
        ">\r\n"
        "<Tile name=\"Floor\" type=\"0\">floor.png</Tile>\r\n"
        "<Tile name=\"Door\" type=\"1\" maxcount=\"2\">door.png</Tile>\r\n"
        "<Tile name=\"Hero\" type=\"3\" flipimage=\"hero_flip.png\" "
        "freeplacement=\"true\">hero.png</Tile>\r\n"
        "<Tile name=\"Chest\" type=\"2\" sort=\"5\">chest.png"
        "<LocalFlag index=\"0\" defaultstate=\"true\">Open</LocalFlag>"
        "<LocalFlag index=\"2\">Trapped</LocalFlag></Tile>\r\n"
        "<Tile name=\"Wall\" type=\"0\" sort=\"2\" maxcount=\"1\" warn=\"true\">wall.png</Tile>\r\n"
        "</TileSet>\r\n";
    dir.Write(name, set);
}

bool RecordingHost::EnsureTileSet() {
    if (!tileSet_.IsLoaded()) {
        tileSet_.Load(WString::FromUtf8(fallbackTileSet));
    }
    return tileSet_.IsLoaded();
}

bool RecordingHost::SetTileSetByName(const WString& name, WString& problem) {
    tileSetRequests.push_back(name.ToUtf8());
    if (!name.EqualsNoCase(tileSet_.Name()) && !tileSet_.Load(name)) {
        problem = u"its tileset could not be read.";
        return false;
    }
    return true;
}

DocumentTest::DocumentTest()
    : tileSet(TileSetContext{dir.WPath(), nullptr, nullptr, false}), host(tileSet),
      doc(tileSet, state, &host) {
    WriteTestTileSet(dir);
    tileSet.Load(u"test.set");
}

std::string DocumentTest::MapText(const std::string& children, const std::string& tileset) {
    return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Gridvellum xmlns=\"gridvellum\" "
           "tileset=\"" +
           tileset + "\" version=\"1\">\r\n" + children + "</Gridvellum>";
}

bool DocumentTest::OpenBytes(const std::string& name, const std::string& bytes) {
    dir.Write(name, bytes);
    return doc.OnOpenDocument(dir.WJoin(name));
}

std::string DocumentTest::SaveBytes(const std::string& name) {
    if (!doc.OnSaveDocument(dir.WJoin(name))) {
        return "";
    }
    return dir.Read(name);
}

TileRef& DocumentTest::Place(int definition, const Matrix3& transform) {
    TileRef* tile = doc.AddTile(definition);
    EXPECT_NE(tile, nullptr);
    tile->SetTransform(transform);
    tile->UpdateBounds();
    return *tile;
}

TileRef& DocumentTest::Place(int definition, double x, double y) {
    return Place(definition, Matrix3::Translation(x, y));
}

TextTile& DocumentTest::PlaceText(const char16_t* text, double x, double y) {
    auto tile = std::make_unique<TextTile>(doc.Context());
    tile->SetTransform(Matrix3::Translation(x, y));
    tile->SetText(text);
    TextTile* made = tile.get();
    doc.InsertTile(std::move(tile));
    return *made;
}

PathDocumentTest::PathDocumentTest() : edits(doc, &host), history(doc) {
    std::vector<std::uint8_t> white(8 * 8 * 3, 255);
    dir.Write("step.png", EncodePng(8, 8, 3, white));
    std::vector<std::uint8_t> grey(16 * 16 * 3, 200);
    dir.Write("turn.png", EncodePng(16, 16, 3, grey));
    dir.Write("paths.set",
              "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
              "<TileSet stepimage=\"step.png\" turnleft90image=\"turn.png\" "
              "turnright90image=\"turn.png\" turn180image=\"turn.png\" pathtransparency=\"0.5\">\r\n"
              "<Tile name=\"Ring\" type=\"1\">floor.png</Tile>\r\n"
              "<Tile name=\"Piece\" type=\"3\" pathcolor=\"0,0,255\">chest.png"
              "<PreDrawTile name=\"paths.set:Ring\" type=\"5\"/>"
              "<PostDrawTile name=\"paths.set:Ring\" type=\"0\"/></Tile>\r\n"
              "</TileSet>\r\n");
    tileSet.Load(u"paths.set");
}

TileRef& PathDocumentTest::PlacePiece(double x, double y) {
    TileRef& tile = Place(1, x, y);
    tile.SetSelected(true);
    return tile;
}

bool PathDocumentTest::RecordedDrag(const Matrix3& move) {
    history.BeginEdit();
    MovementPath::RecordPathStep(doc);
    edits.TransformSelected(move);
    edits.SnapSelection();
    MovementPath::DropRepeatedSteps(doc);
    return history.CommitEdit();
}

std::string Encoded(double m11, double m12, double m21, double m22, double m31, double m32) {
    Matrix3 m;
    m.Set(m11, m12, m21, m22, m31, m32);
    return ::MapFile::EncodeMatrix(m).ToUtf8();
}

} // namespace doctest
