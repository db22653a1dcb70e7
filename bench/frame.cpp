// Draws one 1600 x 1000 frame of the software map view for a map of 2,000 placed tiles, at 50 % zoom
// and at zoom extents, and reports the mean time of a frame: background, grid, every visible tile
// through the program's rasterizer, border and overlays. Beside it, the same picture drawn the way a
// Qt program would (QPainter, smooth transformed images) is timed in the same run, and the frame
// without tiles shows what background and grid cost alone.
//
// Times are processor time of the whole process, so that other work on a shared machine does not
// count, and threads that a library starts do.
//
// Beside them, the same 50 % frame is drawn through OpenGL into a framebuffer object, when a context
// can be made (under a virtual X server Mesa's llvmpipe rasterizes on the processor): the median of
// 30 frames in wall-clock time, each finished with glFinish before the clock stops, as the OpenGL
// frame is drawn by the driver's own threads; the frame without tiles beside it. Without a display the
// benchmark starts itself again under xvfb-run when it is installed.
//
// The map is built from the sample tileset next to the program (sample.set) when it is there,
// otherwise from a small tileset generated into a scratch folder.
//
// usage: bench_frame [<data folder>]
#include "document/CGridvellumDoc.h"
#include "document/ProgramState.h"
#include "document/TileRef.h"
#include "gl/GlRenderer.h"
#include "gl/GlTextureCache.h"
#include "gl/TextFont.h"
#include "platform/GlContextProbe.h"
#include "raster/RasterCanvas.h"
#include "support/FileUtils.h"
#include "support/Matrix3.h"
#include "tileset/TileSet.h"
#include "view/Camera.h"
#include "view/FrameComposer.h"
#include "view/FrameOverlays.h"
#include "view/SoftwareFrame.h"

#include <QGuiApplication>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QSurfaceFormat>
#include <QTransform>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 1000;
constexpr int kTiles = 2000;
constexpr int kWarmUpFrames = 3;
constexpr int kTimedFrames = 30;

// The program's own folder, or the working one when it cannot be found.
std::filesystem::path ProgramDirectory() {
    const WString folder = FileUtils::ProgramDirectory();
    return folder.IsEmpty() ? std::filesystem::current_path() : std::filesystem::path(folder.ToUtf8());
}

// A 32-bit picture with a frame and a diagonal, so that sampling has edges to work on.
bool WritePicture(const std::filesystem::path& path, int width, int height, std::uint8_t red,
                  std::uint8_t green, std::uint8_t blue) {
    RasterCanvas canvas;
    canvas.SetBitsPerPixel(32);
    if (!canvas.Create(width, height)) {
        return false;
    }
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = canvas.Rows()[y];
        for (int x = 0; x < width; ++x) {
            const bool edge = x < 3 || y < 3 || x >= width - 3 || y >= height - 3 || x == y;
            std::uint8_t* pixel = row + x * 4;
            pixel[0] = edge ? 20 : blue;
            pixel[1] = edge ? 20 : green;
            pixel[2] = edge ? 20 : red;
            // Round figures leave their corners transparent.
            const int dx = x - width / 2, dy = y - height / 2;
            pixel[3] = (width < 100 && dx * dx + dy * dy > width * width / 4) ? 0 : 255;
        }
    }
    return canvas.SaveOwnFormat(WString::FromUtf8(path.string()));
}

// A tileset of rooms, corridors, furniture and figures in the program's own picture format.
bool WriteGeneratedTileSet(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    const bool pictures = WritePicture(folder / "room.icr", 256, 256, 120, 110, 100) &&
                          WritePicture(folder / "hall.icr", 320, 192, 100, 100, 120) &&
                          WritePicture(folder / "corridor.icr", 64, 256, 90, 90, 90) &&
                          WritePicture(folder / "table.icr", 128, 64, 140, 90, 40) &&
                          WritePicture(folder / "figure.icr", 64, 64, 200, 40, 40) &&
                          WritePicture(folder / "back.icr", 512, 320, 30, 28, 34);
    std::ofstream set(folder / "generated.set", std::ios::binary);
    // Tilesets, like maps, must begin with the XML declaration.
    set << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<TileSet backimage=\"back.icr\" gridsize=\"64\" backcolor=\"24,22,28\" gridcolor=\"72,68,62\">\n"
           "<Tile name=\"Room\" type=\"0\">room.icr</Tile>\n"
           "<Tile name=\"Hall\" type=\"0\">hall.icr</Tile>\n"
           "<Tile name=\"Corridor\" type=\"0\">corridor.icr</Tile>\n"
           "<Tile name=\"Table\" type=\"1\">table.icr</Tile>\n"
           "<Tile name=\"Figure\" type=\"3\">figure.icr</Tile>\n"
           "</TileSet>\n";
    return pictures && set.good();
}

// Definitions that show on the map (their category is not hidden), floor tiles first.
std::vector<int> DrawnDefinitions(const TileSet& tileSet, bool floors) {
    std::vector<int> indices;
    for (int i = 0; i < tileSet.DefinitionCount(); ++i) {
        const TileDef& definition = tileSet.Definition(i);
        const int state = tileSet.CategoryCount() == 0
                              ? kCategoryUnlocked
                              : tileSet.Category(tileSet.CategoryOfKind(definition.Kind())).state;
        if (state < kCategoryHidden && (definition.Kind() == 0) == floors) {
            indices.push_back(i);
        }
    }
    return indices;
}

// Half the tiles are floor pieces on a 40 x 25 grid of 256-unit cells; the other half are furniture and
// figures scattered over the same area, in quarter turns.
int BuildMap(CGridvellumDoc& doc, const TileSet& tileSet) {
    const std::vector<int> floors = DrawnDefinitions(tileSet, true);
    const std::vector<int> things = DrawnDefinitions(tileSet, false);
    if (floors.empty()) {
        return 0;
    }
    int placed = 0;
    unsigned seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    for (int i = 0; placed < kTiles && i < kTiles * 4; ++i) {
        const bool floor = placed < kTiles / 2 || things.empty();
        const std::vector<int>& pool = floor ? floors : things;
        TileRef* tile = doc.AddTile(pool[next() % pool.size()]);
        if (tile == nullptr) {
            continue; // the definition's maximum count is reached
        }
        double x, y;
        if (floor) {
            x = (placed % 40) * 256.0;
            y = (placed / 40) * 256.0;
        } else {
            x = (next() % 10240);
            y = (next() % 6400);
        }
        const double angle = (next() % 4) * 1.5707963267948966;
        tile->SetTransform(Matrix3::FromParts(angle, x, y, 1.0, 1.0));
        tile->UpdateBounds();
        ++placed;
    }
    return placed;
}

double ProcessMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

template <typename DrawOne> double MeanMilliseconds(DrawOne drawOne) {
    for (int i = 0; i < kWarmUpFrames; ++i) {
        drawOne();
    }
    const double start = ProcessMilliseconds();
    for (int i = 0; i < kTimedFrames; ++i) {
        drawOne();
    }
    return (ProcessMilliseconds() - start) / kTimedFrames;
}

double MeanFrameMilliseconds(SoftwareFrame& frame, const Camera& camera, CGridvellumDoc& doc) {
    const FrameOverlays overlays;
    return MeanMilliseconds([&]() { frame.Draw(camera, doc, overlays); });
}

QTransform ToQTransform(const Matrix3& m) {
    return QTransform(m.m11(), m.m12(), m.m21(), m.m22(), m.m31(), m.m32());
}

// A canvas as Qt sees it, converted once to the format QPainter draws fastest. Stored rows are wrapped
// as they are: image row r is tile row r (y up), so the tile's own matrix applies unchanged.
QImage ToQImage(const RasterCanvas& canvas) {
    const QImage::Format format = canvas.BytesPerPixel() == 4 ? QImage::Format_ARGB32 : QImage::Format_BGR888;
    return QImage(canvas.Pixels(), canvas.Width(), canvas.Height(), canvas.Stride(), format)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The same picture drawn the way a Qt program would: the background stretched smoothly, grid lines,
// and every visible tile as a smoothly transformed image. Target rows are view rows (y up).
class QtFrame {
public:
    QtFrame(const TileSet& tileSet, const CGridvellumDoc& doc) : tileSet_(tileSet), doc_(doc) {
        target_ = QImage(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
        if (tileSet.BackImage().IsLoaded()) {
            back_ = ToQImage(*tileSet.BackImage().canvas);
        }
        for (int i = 0; i < doc.TileCount(); ++i) {
            const TileRef* tile = doc.TileAt(i);
            if (tile != nullptr && tile->Definition() != nullptr && !images_.count(tile->DefinitionIndex())) {
                images_[tile->DefinitionIndex()] = ToQImage(*tile->Image(false));
            }
        }
    }

    void Draw(const Camera& camera) {
        QPainter painter(&target_);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        if (back_.isNull()) {
            painter.fillRect(target_.rect(), Qt::black);
        } else {
            painter.drawImage(target_.rect(), back_);
        }
        DrawGrid(painter, camera);
        const Rect2 visible = camera.VisibleWorld();
        for (int i = 0; i < doc_.TileCount(); ++i) {
            const TileRef* tile = doc_.TileAt(i);
            if (tile == nullptr || !tile->Bounds().Intersects(visible)) {
                continue;
            }
            const auto found = images_.find(tile->DefinitionIndex());
            if (found != images_.end()) {
                painter.setTransform(ToQTransform(tile->Transform() * camera.ViewMatrix()));
                painter.drawImage(0, 0, found->second);
            }
        }
    }

private:
    void DrawGrid(QPainter& painter, const Camera& camera) {
        const int size = tileSet_.DrawGridSize();
        if (size <= 0) {
            return;
        }
        painter.setPen(QColor(128, 128, 128));
        painter.setTransform(ToQTransform(camera.ViewMatrix()));
        const Rect2 visible = camera.VisibleWorld();
        const double x0 = visible.MinX() - std::fmod(static_cast<double>(visible.MinX()), size);
        const double y0 = visible.MinY() - std::fmod(static_cast<double>(visible.MinY()), size);
        for (double x = x0; x < visible.MaxX(); x += size) {
            painter.drawLine(QPointF(x, visible.MinY() - size), QPointF(x, visible.MaxY() + size));
        }
        for (double y = y0; y < visible.MaxY(); y += size) {
            painter.drawLine(QPointF(visible.MinX() - size, y), QPointF(visible.MaxX() + size, y));
        }
        painter.resetTransform();
    }

    const TileSet& tileSet_;
    const CGridvellumDoc& doc_;
    QImage target_;
    QImage back_;
    std::map<std::uint32_t, QImage> images_;
};

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    const size_t middle = times.size() / 2;
    return times.size() % 2 == 0 ? (times[middle - 1] + times[middle]) / 2.0 : times[middle];
}

// Medians of one OpenGL frame in wall-clock time and in processor time of the whole process (which
// holds the driver's threads): on a shared machine the first counts the time other work takes the
// processor away, the second does not.
struct GlFrameTimes {
    double wallMs = 0.0;
    double processMs = 0.0;
};

// The 50 % frame through OpenGL into a framebuffer object of the frame's size; none when no context
// can be made here.
std::optional<GlFrameTimes> MedianGlFrameMilliseconds(const Camera& softwareCamera, CGridvellumDoc& doc,
                                                      const TileSet& tileSet) {
    if (!GlContextProbe::CanMakeContext()) {
        return std::nullopt;
    }
    QOpenGLContext context;
    context.setFormat(GlContextProbe::Format());
    QOffscreenSurface surface;
    surface.setFormat(GlContextProbe::Format());
    surface.create();
    if (!context.create() || !context.makeCurrent(&surface)) {
        return std::nullopt;
    }
    std::optional<GlFrameTimes> median;
    {
        QOpenGLFramebufferObject target(kWidth, kHeight);
        GlTextureCache textures;
        TextFont glyphs;
        GlRenderer renderer(textures, glyphs);
        if (target.bind()) {
            GlRenderer::SetInitialState();
            textures.Build(tileSet);
            glyphs.Setup(tileSet.Settings().fontName);
            context.functions()->glViewport(0, 0, kWidth, kHeight);
            Camera camera(renderer);
            camera.Resize(kWidth, kHeight);
            camera.SetViewMatrix(softwareCamera.ViewMatrix());
            const FrameOverlays overlays;
            auto drawOne = [&]() {
                FrameComposer(renderer, doc).ComposeView(camera, overlays, false);
                context.functions()->glFinish();
            };
            for (int i = 0; i < kWarmUpFrames; ++i) {
                drawOne();
            }
            std::vector<double> wall;
            std::vector<double> process;
            for (int i = 0; i < kTimedFrames; ++i) {
                const auto start = std::chrono::steady_clock::now();
                const double processStart = ProcessMilliseconds();
                drawOne();
                process.push_back(ProcessMilliseconds() - processStart);
                wall.push_back(
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                        .count());
            }
            median = GlFrameTimes{Median(wall), Median(process)};
            std::printf("opengl: %s\n", GlContextProbe::DescribeCurrent().version.ToUtf8().c_str());
            target.release();
        }
    }
    context.doneCurrent();
    return median;
}

// Without a display the OpenGL frame needs a virtual X server: the benchmark runs again inside one.
void RestartUnderVirtualDisplay(char** argv) {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("GV_BENCH_VIRTUAL_DISPLAY")) {
        return;
    }
    setenv("GV_BENCH_VIRTUAL_DISPLAY", "1", 1);
    std::vector<char*> args = {const_cast<char*>("xvfb-run"), const_cast<char*>("-a"),
                               const_cast<char*>("-s"), const_cast<char*>("-screen 0 1600x1000x24 -noreset")};
    for (char** arg = argv; *arg != nullptr; ++arg) {
        args.push_back(*arg);
    }
    args.push_back(nullptr);
    execvp("xvfb-run", args.data());
    // No xvfb-run: the software figures are still measured.
}

} // namespace

int main(int argc, char** argv) {
    RestartUnderVirtualDisplay(argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);

    std::filesystem::path dataDir = argc > 1 ? std::filesystem::path(argv[1]) : ProgramDirectory();
    std::string setName = "sample.set";
    std::filesystem::path scratch;
    if (!std::filesystem::exists(dataDir / setName)) {
        scratch = std::filesystem::temp_directory_path() / "gv_bench_frame";
        if (!WriteGeneratedTileSet(scratch)) {
            std::fprintf(stderr, "cannot write the generated tileset\n");
            return 1;
        }
        dataDir = scratch;
        setName = "generated.set";
    }

    TileSet tileSet(TileSetContext{WString::FromUtf8(dataDir.string()), nullptr, nullptr, false});
    tileSet.Load(WString::FromUtf8(setName));
    ProgramState state;
    CGridvellumDoc doc(tileSet, state, nullptr);
    const int placed = BuildMap(doc, tileSet);
    std::printf("tileset %s (%d definitions), %d tiles placed, frame %d x %d\n",
                (dataDir / setName).string().c_str(), tileSet.DefinitionCount(), placed, kWidth, kHeight);
    if (placed < kTiles) {
        std::fprintf(stderr, "the map has fewer than %d tiles\n", kTiles);
        return 1;
    }

    Camera camera(true);
    camera.Resize(kWidth, kHeight);
    SoftwareFrame frame;

    QtFrame qtFrame(tileSet, doc);
    ProgramState emptyState;
    CGridvellumDoc empty(tileSet, emptyState, nullptr);

    camera.ZoomExtents(doc);
    camera.SetZoom(0.5f);
    const double halfSize = MeanFrameMilliseconds(frame, camera, doc);
    const double halfSizeQt = MeanMilliseconds([&]() { qtFrame.Draw(camera); });
    const double halfSizeEmpty = MeanFrameMilliseconds(frame, camera, empty);
    const std::optional<GlFrameTimes> halfSizeGl = MedianGlFrameMilliseconds(camera, doc, tileSet);
    const std::optional<GlFrameTimes> halfSizeGlEmpty = MedianGlFrameMilliseconds(camera, empty, tileSet);

    camera.ZoomExtents(doc);
    const double extents = MeanFrameMilliseconds(frame, camera, doc);
    const double extentsQt = MeanMilliseconds([&]() { qtFrame.Draw(camera); });
    std::printf("extents: zoom %.3f\n", camera.ZoomFactor());

    std::printf("figure frame-2000-50pct: %.2f ms\n", halfSize);
    std::printf("figure frame-2000-extents: %.2f ms\n", extents);
    std::printf("figure frame-empty-50pct: %.2f ms\n", halfSizeEmpty);
    if (halfSizeGl) {
        std::printf("figure gl-frame-2000-50pct: %.2f ms\n", halfSizeGl->wallMs);
        std::printf("figure gl-frame-2000-50pct-process-time: %.2f ms\n", halfSizeGl->processMs);
        if (halfSizeGlEmpty) {
            std::printf("figure gl-frame-empty-50pct: %.2f ms\n", halfSizeGlEmpty->wallMs);
        }
    } else {
        std::printf("gl-frame-2000-50pct: not measured, no OpenGL context can be made here\n");
    }
    std::printf("speedup frame-2000-50pct vs qpainter: %.2f\n", halfSizeQt / halfSize);
    std::printf("speedup frame-2000-extents vs qpainter: %.2f\n", extentsQt / extents);
    if (!scratch.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(scratch, ignored);
    }
    return 0;
}
