// How the costs users feel grow with the map: at 1,000, 10,000 and 100,000 placed tiles, placing the
// tiles one by one, opening and saving the map file, one edit as the edit tool makes it (BeginEdit,
// moving a 100-tile selection, the snap, CommitEdit), one undo, a 1600 x 1000 frame at 50 % zoom and
// one at 100 % on a corner of the map. Finally how many undo steps of such edits the history keeps
// within its limit on the largest map.
//
// Document times are this thread's processor time (the median of several runs), so waiting for a core
// on a shared machine does not count. Frames are timed on the wall clock instead: a frame hands part
// of its drawing to a second thread, whose work this thread's processor time would leave out. The
// tileset is generated into a scratch folder.
#include "document/CGridvellumDoc.h"
#include "document/EditOps.h"
#include "document/ProgramState.h"
#include "document/TileRef.h"
#include "document/UndoHistory.h"
#include "raster/RasterCanvas.h"
#include "support/Matrix3.h"
#include "tileset/TileSet.h"
#include "view/Camera.h"
#include "view/FrameOverlays.h"
#include "view/SoftwareFrame.h"

#include <QGuiApplication>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kGrid = 64;
constexpr int kSelectionSide = 10; // a 10 x 10 block of tiles is moved by each edit
constexpr int kFrameWidth = 1600;
constexpr int kFrameHeight = 1000;
constexpr int kUndoStepEdits = 600; // more than the history keeps, so the figure is its capacity

double ThreadMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double WallMilliseconds() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A 32-bit picture in the program's own format with an edge, so sampling has something to do.
bool WritePicture(const std::filesystem::path& path, int size, std::uint8_t shade) {
    RasterCanvas canvas;
    canvas.SetBitsPerPixel(32);
    if (!canvas.Create(size, size))
        return false;
    for (int y = 0; y < size; ++y) {
        std::uint8_t* row = canvas.Rows()[y];
        for (int x = 0; x < size; ++x) {
            const bool edge = x < 2 || y < 2 || x >= size - 2 || y >= size - 2;
            std::uint8_t* pixel = row + x * 4;
            pixel[0] = pixel[1] = pixel[2] = edge ? 20 : shade;
            pixel[3] = 255;
        }
    }
    return canvas.SaveOwnFormat(WString::FromUtf8(path.string()));
}

bool WriteTileSet(const std::filesystem::path& folder) {
    const bool pictures = WritePicture(folder / "floor.icr", kGrid, 120) &&
                          WritePicture(folder / "crate.icr", kGrid, 160) &&
                          WritePicture(folder / "chest.icr", kGrid, 200);
    std::ofstream set(folder / "scale.set", std::ios::binary);
    set << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<TileSet gridsize=\"64\" backcolor=\"24,22,28\" gridcolor=\"72,68,62\">\n"
           "<Tile name=\"Floor\" type=\"0\">floor.icr</Tile>\n"
           "<Tile name=\"Crate\" type=\"1\">crate.icr</Tile>\n"
           "<Tile name=\"Chest\" type=\"2\">chest.icr<LocalFlag index=\"0\">Open</LocalFlag></Tile>\n"
           "</TileSet>\n";
    return pictures && set.good();
}

int ColumnsFor(int tiles) {
    int columns = 1;
    while (columns * columns < tiles)
        ++columns;
    return columns;
}

// Tiles on a square grid of 64-unit cells, row by row; every third carries a tint.
bool BuildMap(CGridvellumDoc& doc, int tiles) {
    const int columns = ColumnsFor(tiles);
    for (int i = 0; i < tiles; ++i) {
        TileRef* tile = doc.AddTile(static_cast<std::uint32_t>(i % doc.Tiles().DefinitionCount()));
        if (tile == nullptr)
            return false;
        tile->SetTransform(Matrix3::Translation((i % columns) * kGrid, (i / columns) * kGrid));
        if (i % 3 == 0) {
            tile->SetTinted(true);
            tile->SetTintColor(Rgb8(200, 40, 40));
        }
        tile->UpdateBounds();
    }
    return true;
}

// Selects a 10 x 10 block whose lower-left tile is the given one.
void SelectBlock(CGridvellumDoc& doc, int firstTile) {
    doc.DeselectAll();
    const int columns = ColumnsFor(doc.TileCount());
    for (int row = 0; row < kSelectionSide; ++row) {
        for (int column = 0; column < kSelectionSide; ++column) {
            if (TileRef* tile = doc.TileAt(firstTile + row * columns + column))
                tile->SetSelected(true);
        }
    }
}

// One edit of the tool's kind; false when it made no undo step.
bool MoveSelectionAsOneEdit(CGridvellumDoc& doc, int firstTile, double dx) {
    UndoHistory history(doc);
    EditOps edits(doc);
    history.BeginEdit();
    SelectBlock(doc, firstTile);
    edits.TransformSelected(Matrix3::Translation(dx, kGrid));
    edits.SnapSelection();
    return history.CommitEdit();
}

double MedianFrameMilliseconds(SoftwareFrame& frame, const Camera& camera, CGridvellumDoc& doc) {
    const FrameOverlays overlays;
    frame.Draw(camera, doc, overlays); // warm-up: pictures and levels are made on first use
    std::vector<double> times;
    for (int i = 0; i < 9; ++i) {
        const double start = WallMilliseconds();
        frame.Draw(camera, doc, overlays);
        times.push_back(WallMilliseconds() - start);
    }
    return Median(times);
}

const char* Label(int tiles) {
    return tiles >= 100000 ? "100k" : tiles >= 10000 ? "10k" : "1k";
}

bool MeasureSize(TileSet& tileSet, const std::filesystem::path& folder, int tiles) {
    const int runs = tiles >= 100000 ? 5 : 9;
    ProgramState state;
    CGridvellumDoc doc(tileSet, state, nullptr);
    const double buildStart = ThreadMilliseconds();
    if (!BuildMap(doc, tiles)) {
        std::fprintf(stderr, "tile refused\n");
        return false;
    }
    const double build = ThreadMilliseconds() - buildStart;
    const WString path = WString::FromUtf8((folder / "scale.gvm").string());
    std::vector<double> saves, opens, firstCycles, cycles, undos;
    for (int run = 0; run < runs; ++run) {
        const double start = ThreadMilliseconds();
        const bool saved = doc.OnSaveDocument(path);
        saves.push_back(ThreadMilliseconds() - start);
        if (!saved) {
            std::fprintf(stderr, "save failed: %s\n", doc.FileError().ToUtf8().c_str());
            return false;
        }
    }
    for (int run = 0; run < runs; ++run) {
        ProgramState openedState;
        CGridvellumDoc opened(tileSet, openedState, nullptr);
        const double start = ThreadMilliseconds();
        const bool ok = opened.OnOpenDocument(path);
        opens.push_back(ThreadMilliseconds() - start);
        if (!ok || opened.TileCount() != tiles) {
            std::fprintf(stderr, "open failed\n");
            return false;
        }
    }
    // The first edit after opening: the tiles have no texts yet. Timed apart from the opens, whose
    // memory would otherwise be laid out around the freed texts of earlier runs.
    for (int run = 0; run < runs; ++run) {
        ProgramState openedState;
        CGridvellumDoc opened(tileSet, openedState, nullptr);
        if (!opened.OnOpenDocument(path)) {
            std::fprintf(stderr, "open failed\n");
            return false;
        }
        const double start = ThreadMilliseconds();
        const bool step = MoveSelectionAsOneEdit(opened, 0, kGrid);
        firstCycles.push_back(ThreadMilliseconds() - start);
        if (!step) {
            std::fprintf(stderr, "the first edit made no undo step\n");
            return false;
        }
    }
    const int columns = ColumnsFor(tiles);
    const int middle = (columns / 2) * columns + columns / 2;
    for (int run = 0; run < runs; ++run) {
        const double start = ThreadMilliseconds();
        const bool step = MoveSelectionAsOneEdit(doc, middle, kGrid);
        cycles.push_back(ThreadMilliseconds() - start);
        const double undoStart = ThreadMilliseconds();
        const bool undone = UndoHistory(doc).Undo();
        undos.push_back(ThreadMilliseconds() - undoStart);
        if (!step || !undone || doc.TileCount() != tiles) {
            std::fprintf(stderr, "the edit or its undo failed\n");
            return false;
        }
    }

    Camera camera(true);
    camera.Resize(kFrameWidth, kFrameHeight);
    SoftwareFrame frame;
    camera.ZoomExtents(doc);
    camera.SetZoom(0.5f);
    const double half = MedianFrameMilliseconds(frame, camera, doc);
    camera.SetViewMatrix(Matrix3()); // 100 %, the map's first tile at the bottom-left corner
    const double zoomed = MedianFrameMilliseconds(frame, camera, doc);

    const char* label = Label(tiles);
    // Placing the tiles one by one, as a user or a script adds them: each add must cost the same.
    std::printf("figure add-tiles-%s: %.2f ms\n", label, build);
    std::printf("figure open-%s: %.2f ms\n", label, Median(opens));
    std::printf("figure save-%s: %.2f ms\n", label, Median(saves));
    std::printf("figure first-edit-cycle-%s: %.2f ms\n", label, Median(firstCycles));
    std::printf("figure edit-cycle-%s: %.2f ms\n", label, Median(cycles));
    std::printf("figure undo-%s: %.2f ms\n", label, Median(undos));
    std::printf("figure frame-50pct-%s: %.2f ms\n", label, half);
    std::printf("figure frame-zoomed-%s: %.2f ms\n", label, zoomed);
    std::fflush(stdout);

    if (tiles >= 100000) {
        doc.UndoHistory().clear();
        for (int edit = 0; edit < kUndoStepEdits; ++edit) {
            // Blocks along the map's diagonal, each moved right and back up by turns.
            const int block = (edit * kSelectionSide) % (columns - kSelectionSide);
            if (!MoveSelectionAsOneEdit(doc, block * columns + block, edit % 2 ? -kGrid : kGrid))
                return false;
        }
        std::printf("figure undo-steps-%s: %zu steps\n", label, doc.UndoHistory().size());
        std::printf("undo history holds %.2f MiB, the newest step included\n",
                    static_cast<double>(UndoHistory::SizeInBytes(doc.UndoHistory())) / (1 << 20));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::string pattern = (std::filesystem::temp_directory_path() / "gv_bench_scale_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr || !WriteTileSet(pattern)) {
        std::fprintf(stderr, "cannot write the scratch tileset\n");
        return 1;
    }
    const std::filesystem::path folder = pattern;
    TileSet tileSet(TileSetContext{WString::FromUtf8(folder.string() + "/"), nullptr, nullptr, false});
    tileSet.Load(u"scale.set");
    bool ok = tileSet.DefinitionCount() == 3;
    if (!ok)
        std::fprintf(stderr, "the scratch tileset has %d definitions, not 3\n", tileSet.DefinitionCount());
    for (int tiles : {1000, 10000, 100000}) {
        ok = ok && MeasureSize(tileSet, folder, tiles);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return ok ? 0 : 1;
}
