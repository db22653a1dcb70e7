#include "TileSetFixture.h"

#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace tilesettest {

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

} // namespace

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "gv_tileset_XXXXXX").string();
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

void ScratchDir::MakeDir(const std::string& relative) const {
    std::filesystem::create_directories(Join(relative));
}

std::string EncodePng(int width, int height, int channels, const std::vector<std::uint8_t>& pixels) {
    std::string raw;
    const size_t rowBytes = static_cast<size_t>(width) * channels;
    for (int y = 0; y < height; ++y) {
        raw += '\0'; // no filter
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
    header += static_cast<char>(8);                     // bit depth
    header += static_cast<char>(channels == 4 ? 6 : 2); // RGBA or RGB
    header += std::string(3, '\0');                     // compression, filter, interlace

    std::string png("\x89PNG\r\n\x1a\n", 8);
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", packed);
    AppendChunk(png, "IEND", "");
    return png;
}

std::string SolidPng(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) {
        pixels.insert(pixels.end(), {r, g, b});
    }
    return EncodePng(width, height, 3, pixels);
}

std::string SetFile(const std::string& rootElement) {
    return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" + rootElement;
}

int MemorySettings::ReadInt(const WString& key, int defaultValue) const {
    auto found = text.find(key.ToUtf8());
    return found == text.end() ? defaultValue : std::atoi(found->second.c_str());
}

void MemorySettings::WriteInt(const WString& key, int value) {
    text[key.ToUtf8()] = std::to_string(value);
}

WString MemorySettings::ReadString(const WString& key, const WString& defaultValue) const {
    auto found = text.find(key.ToUtf8());
    return found == text.end() ? defaultValue : WString::FromUtf8(found->second);
}

void MemorySettings::WriteString(const WString& key, const WString& value) {
    text[key.ToUtf8()] = value.ToUtf8();
}

bool MemorySettings::ReadBinary(const WString& key, std::vector<std::uint8_t>& bytes) const {
    auto found = binary.find(key.ToUtf8());
    if (found == binary.end()) {
        return false;
    }
    bytes = found->second;
    return true;
}

void MemorySettings::WriteBinary(const WString& key, const std::uint8_t* bytes, std::size_t count) {
    binary[key.ToUtf8()].assign(bytes, bytes + count);
}

void RecordingSink::ShowError(const WString& caption, const WString& text) {
    boxes.emplace_back(caption.ToUtf8(), text.ToUtf8());
}

} // namespace tilesettest
