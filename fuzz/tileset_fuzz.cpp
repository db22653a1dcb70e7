// Loads arbitrary bytes as a tileset file, beside a small fixed base tileset and one image, and checks
// that the loaded tileset holds together: every load ends, nothing is read out of bounds, and every
// reference a definition makes points at a definition.
#include "support/MessageSink.h"
#include "support/SettingsStore.h"
#include "tileset/TileSet.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

class FuzzSettings : public SettingsStore {
public:
    int ReadInt(const WString&, int defaultValue) const override { return defaultValue; }
    void WriteInt(const WString&, int) override {}
    WString ReadString(const WString&, const WString& defaultValue) const override { return defaultValue; }
    void WriteString(const WString&, const WString&) override {}
    bool ReadBinary(const WString& key, std::vector<std::uint8_t>& bytes) const override {
        auto found = values_.find(key.ToUtf8());
        if (found == values_.end()) {
            return false;
        }
        bytes = found->second;
        return true;
    }
    void WriteBinary(const WString& key, const std::uint8_t* bytes, std::size_t count) override {
        values_[key.ToUtf8()].assign(bytes, bytes + count);
    }

private:
    std::map<std::string, std::vector<std::uint8_t>> values_;
};

class QuietSink : public MessageSink {
public:
    void ShowError(const WString&, const WString& text) override { characters += text.Length(); }
    long long characters = 0;
};

void WriteFile(const std::string& path, const void* bytes, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
}

// 2 x 1 RGB PNG: one red and one blue pixel.
const unsigned char kTinyPng[] = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d,
                                  0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01,
                                  0x08, 0x02, 0x00, 0x00, 0x00, 0x7b, 0x40, 0xe8, 0xdd, 0x00, 0x00, 0x00,
                                  0x0d, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8, 0xcf, 0x00, 0x04,
                                  0xff, 0x01, 0x07, 0x00, 0x01, 0xff, 0xe2, 0x23, 0x9e, 0x59, 0x00, 0x00,
                                  0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

const std::string& FixtureDir() {
    static const std::string dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "gv_tileset_fuzz_XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        WriteFile(pattern + "/a.png", kTinyPng, sizeof kTinyPng);
        const std::string base = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                 "<Set gridsize=\"32\" stepimage=\"a.png\">"
                                 "<GlobalFlag index=\"1\" defaultstate=\"true\">Flag</GlobalFlag>"
                                 "<Tile name=\"Base\" type=\"1\" maxcount=\"2\">a.png"
                                 "<LocalFlag index=\"1\">Open</LocalFlag></Tile></Set>";
        WriteFile(pattern + "/base.set", base.data(), base.size());
        return pattern;
    }();
    return dir;
}

void CheckConsistent(const TileSet& tileSet) {
    for (int i = 0; i < tileSet.DefinitionCount(); ++i) {
        const TileDef& definition = tileSet.Definition(i);
        if (definition.Index() != i || definition.Image().Width() <= 0) {
            std::abort();
        }
        for (const auto* entries : {&definition.PreDraw(), &definition.PostDraw()}) {
            for (const DrawEntry& entry : *entries) {
                if (!tileSet.IsValidDefinition(entry.definition)) {
                    std::abort();
                }
            }
        }
        tileSet.TileLabel(i, 3);
    }
    if (tileSet.CategoryCount() < 1 || tileSet.GridSize() < 1 || tileSet.EighthGridSize() < 1) {
        std::abort();
    }
    tileSet.GridFit(1e300);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string& dir = FixtureDir();
    WriteFile(dir + "/fuzz.set", data, size);
    FuzzSettings settings;
    QuietSink sink;
    TileSet tileSet(TileSetContext{WString::FromUtf8(dir), &settings, &sink, false});
    tileSet.Load(u"fuzz.set");
    CheckConsistent(tileSet);
    tileSet.ToggleGlobalFlag(1);
    return 0;
}
