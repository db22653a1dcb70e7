#include "DocFixture.h"

#include "document/MapFile.h"
#include "support/Matrix3.h"

#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace doctest {

namespace {

void AppendBigEndian(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value >> 24);
    out += static_cast<char>(value >> 16);
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value);
}

void AppendChunk(std::string& out, const char* type, const std::string& data) {
    AppendBigEndian(out, static_cast<std::uint32_t>(data.size()));
    std::string body(type, 4);
    body += data;
    out += body;
    AppendBigEndian(out, static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                                          static_cast<uInt>(body.size()))));
}

std::string SolidRgb(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) {
        pixels.insert(pixels.end(), {r, g, b});
    }
    return EncodePng(width, height, 3, pixels);
}

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

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "gv_document_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a scratch directory");
    }
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
}

void ScratchDir::Write(const std::string& relative, const std::string& bytes) const {
    const std::filesystem::path full = Join(relative);
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ScratchDir::Read(const std::string& relative) const {
    std::ifstream in(Join(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string EncodePng(int width, int height, int channels, const std::vector<std::uint8_t>& pixels) {
    std::string raw;
    const size_t rowBytes = static_cast<size_t>(width) * channels;
    for (int y = 0; y < height; ++y) {
        raw += '\0';
        raw.append(reinterpret_cast<const char*>(pixels.data()) + y * rowBytes, rowBytes);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
             static_cast<uLong>(raw.size()));
    packed.resize(packedSize);
    std::string header;
    AppendBigEndian(header, static_cast<std::uint32_t>(width));
    AppendBigEndian(header, static_cast<std::uint32_t>(height));
    header += static_cast<char>(8);
    header += static_cast<char>(channels == 4 ? 6 : 2);
    header += std::string(3, '\0');
    std::string png("\x89PNG\r\n\x1a\n", 8);
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", packed);
    AppendChunk(png, "IEND", "");
    return png;
}

void WriteTestTileSet(const ScratchDir& dir, const std::string& name,
                      const std::string& extraRootAttributes) {
    dir.Write("floor.png", SolidRgb(64, 64, 255, 0, 0));
    dir.Write("door.png", HalfTransparent(64, 64));
    dir.Write("hero.png", SolidRgb(32, 48, 0, 255, 0));
    dir.Write("hero_flip.png", SolidRgb(48, 32, 0, 128, 0));
    dir.Write("chest.png", SolidRgb(64, 64, 200, 200, 0));
    dir.Write("wall.png", SolidRgb(64, 64, 90, 90, 90));
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

void RecordingHost::SetTileSetByName(const WString& name) {
    tileSetRequests.push_back(name.ToUtf8());
    if (!name.EqualsNoCase(tileSet_.Name())) {
        tileSet_.Load(name);
    }
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

std::string Encoded(double m11, double m12, double m21, double m22, double m31, double m32) {
    Matrix3 m;
    m.Set(m11, m12, m21, m22, m31, m32);
    return ::MapFile::EncodeMatrix(m).ToUtf8();
}

} // namespace doctest
