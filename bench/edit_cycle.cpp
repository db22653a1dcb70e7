// One edit of a large map as the edit tool makes it, and one undo, on a map of 10,000 placed tiles:
// BeginEdit (the text of every tile), moving one tile, the group snap and CommitEdit (comparing every
// tile with its snapshot and keeping the step); then Undo (the text of the map, and the whole map read
// back from the step). Prints the median of several runs of each.
#include "document/CGridvellumDoc.h"
#include "document/EditOps.h"
#include "document/ProgramState.h"
#include "document/TileRef.h"
#include "document/UndoHistory.h"
#include "support/Matrix3.h"
#include "tileset/TileSet.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kColumns = 100;
constexpr int kRows = 100;
constexpr int kRuns = 21;
constexpr int kGrid = 64;

// Four kinds of tile, one of them with local flags and a tint, so entries carry every attribute kind.
// The images are left out on purpose: each becomes the 10 x 10 stand-in, which costs nothing here.
void WriteTileSet(const std::filesystem::path& directory) {
    std::ofstream out(directory / "bench.set", std::ios::binary);
    out << "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<TileSet>\r\n"
           "<Tile name=\"Floor\" type=\"0\">floor.png</Tile>\r\n"
           "<Tile name=\"Wall\" type=\"0\" sort=\"1\">wall.png</Tile>\r\n"
           "<Tile name=\"Chest\" type=\"2\">chest.png<LocalFlag index=\"0\">Open</LocalFlag>"
           "<LocalFlag index=\"1\" defaultstate=\"true\">Locked</LocalFlag></Tile>\r\n"
           "<Tile name=\"Hero\" type=\"3\">hero.png</Tile>\r\n"
           "</TileSet>\r\n";
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Milliseconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main() {
    std::string pattern = (std::filesystem::temp_directory_path() / "gv_bench_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::fprintf(stderr, "cannot make a scratch directory\n");
        return 1;
    }
    const std::filesystem::path directory = pattern;
    WriteTileSet(directory);

    TileSet tileSet(TileSetContext{WString::FromUtf8(directory.string()), nullptr, nullptr, false});
    tileSet.Load(u"bench.set");
    ProgramState state;
    CGridvellumDoc doc(tileSet, state);
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            TileRef* tile = doc.AddTile((row * kColumns + column) % tileSet.DefinitionCount());
            if (tile == nullptr) {
                std::fprintf(stderr, "tile refused\n");
                return 1;
            }
            tile->SetTransform(Matrix3::Translation(column * kGrid, row * kGrid));
            if (tile->DefinitionIndex() == 2) {
                tile->SetTinted(true);
                tile->SetTintColor(Rgb8(200, 40, 40));
            }
            tile->UpdateBounds();
        }
    }
    std::printf("map: %d tiles\n", doc.TileCount());

    UndoHistory history(doc);
    EditOps edits(doc);
    std::vector<double> cycles;
    std::vector<double> undos;
    for (int run = 0; run < kRuns; ++run) {
        TileRef* moved = doc.TileAt((run * 7919) % doc.TileCount());
        doc.DeselectAll();
        const auto start = std::chrono::steady_clock::now();
        history.BeginEdit();
        moved->SetSelected(true);
        edits.TransformSelected(Matrix3::Translation(kGrid, kGrid));
        edits.SnapSelection();
        const bool step = history.CommitEdit();
        cycles.push_back(Milliseconds(start));
        if (!step) {
            std::fprintf(stderr, "the edit made no undo step\n");
            return 1;
        }

        const auto undoStart = std::chrono::steady_clock::now();
        const bool undone = history.Undo();
        undos.push_back(Milliseconds(undoStart));
        if (!undone || doc.TileCount() != kRows * kColumns) {
            std::fprintf(stderr, "undo lost tiles\n");
            return 1;
        }
    }
    std::printf("redo entry: %zu bytes held\n", UndoHistory::SizeInBytes(doc.RedoHistory()));
    std::printf("figure edit-cycle-10k: %.2f ms\n", Median(cycles));
    std::printf("figure undo-10k: %.2f ms\n", Median(undos));
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
    return 0;
}
