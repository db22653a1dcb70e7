#include "ViewFixture.h"

#include "document/TileRef.h"
#include "raster/RasterCanvas.h"
#include "support/Matrix3.h"

#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace viewtest {

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

std::string SolidPng(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    std::vector<std::uint8_t> rgb;
    for (int i = 0; i < width * height; ++i) {
        rgb.insert(rgb.end(), {r, g, b});
    }
    return EncodePng(width, height, rgb);
}

} // namespace

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "gv_view_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a scratch directory");
    }
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void ScratchDir::Write(const std::string& relative, const std::string& bytes) const {
    std::ofstream out(path_ + "/" + relative, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb) {
    std::string raw;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        raw += '\0';
        raw.append(reinterpret_cast<const char*>(rgb.data()) + y * rowBytes, rowBytes);
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
    header += static_cast<char>(2);
    header += std::string(3, '\0');
    std::string png("\x89PNG\r\n\x1a\n", 8);
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", packed);
    AppendChunk(png, "IEND", "");
    return png;
}

std::string DefaultLook() {
    return "backcolor=\"10,20,30\" gridcolor=\"200,200,200\" gridsize=\"64\"";
}

void WriteTileSet(const ScratchDir& dir, const std::string& name, const std::string& rootAttributes) {
    dir.Write("red.png", SolidPng(64, 64, 255, 0, 0));
    dir.Write("green.png", SolidPng(32, 32, 0, 255, 0));
    // Quadrants, top row first: red, green over blue, white.
    std::vector<std::uint8_t> quadrants = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    dir.Write("back.png", EncodePng(2, 2, quadrants));
    dir.Write("dot.png", SolidPng(1, 1, 255, 255, 0));
    const std::string set = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<TileSet " +
                            rootAttributes +
                            ">\r\n"
                            "<Tile name=\"Red\" type=\"0\">red.png</Tile>\r\n"
                            "<Tile name=\"Green\" type=\"1\" showhandles=\"true\">green.png</Tile>\r\n"
                            "</TileSet>\r\n";
    dir.Write(name, set);
}

int MemorySettings::ReadInt(const WString&, int defaultValue) const {
    return defaultValue;
}

void MemorySettings::WriteInt(const WString&, int) {}

WString MemorySettings::ReadString(const WString&, const WString& defaultValue) const {
    return defaultValue;
}

void MemorySettings::WriteString(const WString&, const WString&) {}

bool MemorySettings::ReadBinary(const WString& key, std::vector<std::uint8_t>& bytes) const {
    const auto found = binary.find(key.ToUtf8());
    if (found == binary.end()) {
        return false;
    }
    bytes = found->second;
    return true;
}

void MemorySettings::WriteBinary(const WString& key, const std::uint8_t* bytes, std::size_t count) {
    binary[key.ToUtf8()] = std::vector<std::uint8_t>(bytes, bytes + count);
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
