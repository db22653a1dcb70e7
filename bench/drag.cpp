// Times the edit tool on a map of 10,000 placed tiles seen whole in a 1600 x 1000 software frame:
// one mouse move that drags a selection of 1,000 tiles, and one that stretches a rubber band over
// the whole map, each with the frame it causes. The goal is under 16 ms each, so that the map
// follows the mouse at 60 moves a second.
//
// The tools run through their tool box as the map view drives them, with a window-less host; the
// frame is the software renderer's. Times are wall-clock milliseconds of each move and its frame;
// the median of the timed moves is reported, which a shared machine disturbs least.
//
// The map is built from the sample tileset next to the program (sample.set).
//
// usage: bench_drag [<data folder>]
#include "document/CGridvellumDoc.h"
#include "document/EditOps.h"
#include "document/ProgramState.h"
#include "document/TileRef.h"
#include "support/FileUtils.h"
#include "support/Matrix3.h"
#include "tileset/TileSet.h"
#include "view/Camera.h"
#include "view/FrameOverlays.h"
#include "view/SoftwareFrame.h"
#include "view/tools/ToolBox.h"
#include "view/tools/ToolHost.h"

#include <QGuiApplication>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 1000;
constexpr int kTiles = 10000;
constexpr int kSelected = 1000;
constexpr int kWarmUpMoves = 5;
constexpr int kTimedMoves = 60;

// The program's own folder, or the working one when it cannot be found.
std::filesystem::path ProgramDirectory() {
    const WString folder = FileUtils::ProgramDirectory();
    return folder.IsEmpty() ? std::filesystem::current_path() : std::filesystem::path(folder.ToUtf8());
}

// The window the tools would talk to, without a window: the frame is drawn by the benchmark itself.
class BenchHost : public ToolHost {
public:
    void Repaint() override { ++repaints; }
    void ShowStatus(const WString&) override {}
    void SetCursor(CursorShape) override {}
    void SetToolTip(const WString&) override {}
    int PopupMenu(const WString&, const std::vector<PopupItem>&, ClientPoint) override { return 0; }
    void CaptureMouse(bool) override {}

    int repaints = 0;
};

// Definitions that may be placed any number of times, of shown categories.
std::vector<int> Placeable(const TileSet& tileSet) {
    std::vector<int> indices;
    for (int i = 0; i < tileSet.DefinitionCount(); ++i) {
        const TileDef& definition = tileSet.Definition(i);
        const int state = tileSet.CategoryCount() == 0
                              ? kCategoryUnlocked
                              : tileSet.Category(tileSet.CategoryOfKind(definition.Kind())).state;
        if (state == kCategoryUnlocked && !definition.HasMaxCount()) {
            indices.push_back(i);
        }
    }
    return indices;
}

// 10,000 tiles in quarter turns on a 100 x 100 grid of 256-unit cells.
int BuildMap(CGridvellumDoc& doc, const TileSet& tileSet) {
    const std::vector<int> pool = Placeable(tileSet);
    if (pool.empty()) {
        return 0;
    }
    unsigned seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    for (int i = 0; i < kTiles; ++i) {
        TileRef* tile = doc.AddTile(pool[next() % pool.size()]);
        const double angle = (next() % 4) * 1.5707963267948966;
        tile->SetTransform(Matrix3::FromParts(angle, (i % 100) * 256.0, (i / 100) * 256.0, 1.0, 1.0));
        tile->UpdateBounds();
    }
    return doc.TileCount();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

struct MoveTimes {
    double withFrame = 0.0; // the move and the frame it causes
    double toolsOnly = 0.0; // the document work of the move alone
};

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Times moves to the points that `at` gives for move i, each with its frame.
template <typename PointOf>
MoveTimes MedianMoveMilliseconds(ToolBox& tools, SoftwareFrame& frame, const Camera& camera,
                                 CGridvellumDoc& doc, const FrameOverlays& overlays, PointOf at) {
    std::vector<double> whole;
    std::vector<double> toolsOnly;
    for (int i = 0; i < kWarmUpMoves + kTimedMoves; ++i) {
        PointerEvent move;
        move.client = at(i);
        move.buttons = kLeftButton;
        const auto start = std::chrono::steady_clock::now();
        tools.Move(move);
        const double moved = Since(start);
        frame.Draw(camera, doc, overlays);
        if (i >= kWarmUpMoves) {
            whole.push_back(Since(start));
            toolsOnly.push_back(moved);
        }
    }
    return MoveTimes{Median(whole), Median(toolsOnly)};
}

// A client point where the topmost tile is a selected one (the middle of a picture may be clear).
ClientPoint GrabPoint(const CGridvellumDoc& doc, const Camera& camera) {
    for (int i = doc.TileCount() - 1; i >= 0; --i) {
        const ClientPoint at = camera.WorldToClient(doc.TileAt(i)->Bounds().Centre());
        const TileRef* hit = doc.HitTestSelectable(camera.ClientToWorld(at));
        if (hit != nullptr && hit->IsSelected()) {
            return at;
        }
    }
    return ClientPoint{};
}

PointerEvent Button(ClientPoint at, bool press) {
    PointerEvent event;
    event.client = at;
    event.button = kLeftButton;
    event.buttons = press ? kLeftButton : kNoButton;
    return event;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const std::filesystem::path dataDir = argc > 1 ? std::filesystem::path(argv[1]) : ProgramDirectory();
    if (!std::filesystem::exists(dataDir / "sample.set")) {
        std::fprintf(stderr, "no sample.set in %s\n", dataDir.string().c_str());
        return 1;
    }
    TileSet tileSet(TileSetContext{WString::FromUtf8(dataDir.string()), nullptr, nullptr, false});
    tileSet.Load(u"sample.set");
    ProgramState state;
    CGridvellumDoc doc(tileSet, state, nullptr);
    if (BuildMap(doc, tileSet) < kTiles) {
        std::fprintf(stderr, "the map has fewer than %d tiles\n", kTiles);
        return 1;
    }

    Camera camera(true);
    camera.Resize(kWidth, kHeight);
    camera.ZoomExtents(doc);
    SoftwareFrame frame;
    FrameOverlays overlays;
    EditOps edits(doc);
    BenchHost host;
    ToolBox tools(doc, edits, camera, overlays, host, frame.Timing(), nullptr);
    std::printf("%d tiles, %d selected, frame %d x %d at %.1f %%\n", doc.TileCount(), kSelected, kWidth,
                kHeight, camera.ZoomFactor() * 100.0);

    // Every tenth tile is selected and raised, so a press on the last one grabs the whole selection.
    for (int i = 0; i < doc.TileCount(); i += kTiles / kSelected) {
        doc.TileAt(i)->SetSelected(true);
    }
    edits.RaiseSelected();
    const ClientPoint grab = GrabPoint(doc, camera);
    tools.Press(Button(grab, true));
    if (tools.Edit().State() != EditTool::Drag::Move) {
        std::fprintf(stderr, "the press found no selected tile to drag\n");
        return 1;
    }
    const MoveTimes drag = MedianMoveMilliseconds(tools, frame, camera, doc, overlays, [&](int i) {
        return ClientPoint{grab.x + (i % 20) * 3, grab.y + (i % 7) * 2};
    });
    tools.Release(Button(grab, false));

    // A band from beyond one corner of the map to beyond the other, alternating between the corners
    // it ends at so that every move selects the whole map again.
    const ClientPoint corner{2, kHeight - 3};
    tools.Press(Button(corner, true));
    const MoveTimes band = MedianMoveMilliseconds(tools, frame, camera, doc, overlays, [&](int i) {
        return ClientPoint{kWidth - 3 - (i % 2), 2 + (i % 2)};
    });
    tools.Release(Button(ClientPoint{kWidth - 3, 2}, false));
    std::printf("selected after the band: %d\n", doc.SelectedCount());

    std::printf("move alone, without its frame: drag %.2f ms, band %.2f ms\n", drag.toolsOnly,
                band.toolsOnly);
    std::printf("figure drag-step-10k: %.2f ms\n", drag.withFrame);
    std::printf("figure band-select-10k: %.2f ms\n", band.withFrame);
    return 0;
}
