// Opens, saves and snapshots (the undo text) maps of 10,000 and 50,000 placed tiles, as the editor
// does with a large scenario map. Prints the best of several runs.
#include "document/CGridvellumDoc.h"
#include "document/ProgramState.h"
#include "document/TextTile.h"
#include "document/TileRef.h"
#include "support/Matrix3.h"
#include "tileset/TileSet.h"

#include <QGuiApplication>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <string>

namespace {

constexpr int kRuns = 5;
constexpr int kDefinitions = 24;

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Tile images are left out: each loads as the grey stand-in, so the run measures the map, not PNG.
void WriteTileSet(const std::filesystem::path& directory) {
    std::ofstream set(directory / "bench.set");
    set << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<TileSet gridsize=\"64\">\n";
    for (int i = 0; i < kDefinitions; ++i) {
        set << "<Tile name=\"Tile" << i << "\" type=\"" << i % 4 << "\""
            << (i % 4 == 3 ? " freeplacement=\"true\"" : "") << ">tile" << i << ".png";
        if (i % 5 == 0) {
            set << "<LocalFlag index=\"0\">Open</LocalFlag><LocalFlag index=\"1\">Locked</LocalFlag>";
        }
        set << "</Tile>\n";
    }
    set << "</TileSet>\n";
}

// A map of count tiles laid out on the grid, some turned, tinted, flagged or with a path, one in fifty
// a text label.
void BuildMap(CGridvellumDoc& document, int count) {
    const int columns = 100;
    for (int i = 0; i < count; ++i) {
        const double x = (i % columns) * 64.0;
        const double y = (i / columns) * 64.0;
        if (i % 50 == 49) {
            auto text = std::make_unique<TextTile>(document.Context());
            text->SetTransform(Matrix3::Translation(x, y));
            text->SetText(u"Room label");
            document.InsertTile(std::move(text));
            continue;
        }
        auto tile = std::make_unique<TileRef>(document.Context());
        tile->SetDefinition(static_cast<std::uint32_t>(i % kDefinitions));
        tile->SetTransform(Matrix3::FromParts((i % 4) * std::numbers::pi / 2, x, y, 1, 1));
        if (i % 7 == 0) {
            tile->SetTinted(true);
            tile->SetTintColor(Rgb8(200, 40, 40));
        }
        if (i % 11 == 0) {
            tile->RecordPathStep();
            tile->SetTransform(Matrix3::Translation(x + 64, y));
        }
        tile->UpdateBounds();
        document.InsertTile(std::move(tile));
    }
}

void Measure(TileSet& tileSet, const std::filesystem::path& directory, int count, const char* label) {
    ProgramState state;
    CGridvellumDoc source(tileSet, state);
    BuildMap(source, count);
    const WString path = WString::FromUtf8((directory / (std::string(label) + ".gv")).string());

    double save = 1e30, open = 1e30, snapshot = 1e30;
    size_t textUnits = 0;
    for (int run = 0; run < kRuns; ++run) {
        auto start = Clock::now();
        source.OnSaveDocument(path);
        save = std::min(save, Milliseconds(start, Clock::now()));

        CGridvellumDoc reader(tileSet, state);
        start = Clock::now();
        reader.OnOpenDocument(path);
        open = std::min(open, Milliseconds(start, Clock::now()));
        if (reader.TileCount() != count) {
            std::printf("error: read %d of %d tiles\n", reader.TileCount(), count);
        }

        WString text;
        start = Clock::now();
        reader.ToText(text);
        snapshot = std::min(snapshot, Milliseconds(start, Clock::now()));
        textUnits = static_cast<size_t>(text.Length());
    }
    const double fileMb = std::filesystem::file_size(path.ToUtf8()) / 1e6;
    std::printf("info %s: file %.2f MB, snapshot %.2f M characters\n", label, fileMb, textUnits / 1e6);
    std::printf("info open-%s: %.1f MB/s\n", label, fileMb / (open / 1000));
    std::printf("info save-%s: %.1f MB/s\n", label, fileMb / (save / 1000));
    std::printf("figure open-%s: %.2f ms\n", label, open);
    std::printf("figure save-%s: %.2f ms\n", label, save);
    std::printf("figure snapshot-%s: %.2f ms\n", label, snapshot);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // text labels measure with platform fonts
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() /
        ("gv_bench_map_" + std::to_string(QCoreApplication::applicationPid()));
    std::filesystem::create_directories(directory);
    WriteTileSet(directory);
    TileSet tileSet(TileSetContext{WString::FromUtf8(directory.string() + "/")});
    tileSet.Load(u"bench.set");
    Measure(tileSet, directory, 10000, "10k");
    Measure(tileSet, directory, 50000, "50k");
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
    return 0;
}
