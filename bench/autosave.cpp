// What an autosave of a 10,000-tile map costs the editing thread: taking the bytes a save would
// write (the only part that runs there; the disk write runs on its own thread), beside a whole
// normal save of the same map. Prints the best of several runs.
#include "document/CGridvellumDoc.h"
#include "document/ProgramState.h"
#include "document/TileRef.h"
#include "support/Matrix3.h"
#include "support/XmlDocument.h"
#include "tileset/TileSet.h"

#include <QGuiApplication>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int kTiles = 10000;
constexpr int kRuns = 7;
using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() /
        ("gv_bench_autosave_" + std::to_string(QCoreApplication::applicationPid()));
    std::filesystem::create_directories(directory);
    {
        std::ofstream set(directory / "bench.set");
        set << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<TileSet gridsize=\"64\">\n";
        for (int i = 0; i < 24; ++i) {
            set << "<Tile name=\"Tile" << i << "\" type=\"" << i % 4 << "\">t" << i << ".png</Tile>\n";
        }
        set << "</TileSet>\n";
    }
    TileSet tileSet(TileSetContext{WString::FromUtf8(directory.string() + "/")});
    tileSet.Load(u"bench.set");
    ProgramState state;
    CGridvellumDoc doc(tileSet, state);
    for (int i = 0; i < kTiles; ++i) {
        auto tile = std::make_unique<TileRef>(doc.Context());
        tile->SetDefinition(static_cast<std::uint32_t>(i % 24));
        tile->SetTransform(Matrix3::Translation((i % 100) * 64.0, (i / 100) * 64.0));
        tile->UpdateBounds();
        doc.InsertTile(std::move(tile));
    }
    const WString path = WString::FromUtf8((directory / "map.gv").string());
    double snapshot = 1e30, save = 1e30;
    size_t bytes = 0;
    for (int run = 0; run < kRuns; ++run) {
        auto start = Clock::now();
        XmlDocument file;
        doc.WriteXml(file, false);
        bytes = file.ToFileBytes().size();
        snapshot = std::min(snapshot, Milliseconds(start, Clock::now()));
        start = Clock::now();
        doc.OnSaveDocument(path);
        save = std::min(save, Milliseconds(start, Clock::now()));
    }
    std::printf("info map: %d tiles, %.2f MB\n", kTiles, bytes / 1e6);
    std::printf("figure autosave-snapshot-10000: %.2f ms\n", snapshot);
    std::printf("figure save-10000: %.2f ms\n", save);
    std::printf("speedup autosave-snapshot-10000 vs save: %.2f\n", save / snapshot);
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
    return 0;
}
