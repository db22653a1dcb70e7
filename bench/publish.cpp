// Publishes one map as a JPEG from the command line, beside Tiled's tmxrasterizer drawing the same
// tiles at the same places: a 32 x 32 layer of 128-pixel floor tiles and 576 turned figures over it,
// 1,600 tiles on 4096 x 4096 pixels, and the same map scaled to 20,000 x 20,000. Both programs run as
// child processes, timed by the wall clock; the peak memory comes from the child's resource usage.
// The art is drawn here.
#include "document/MapFile.h"
#include "raster/DcRasterCanvas.h"
#include "raster/ImageFile.h"
#include "support/FileUtils.h"
#include "support/Matrix3.h"
#include "support/WString.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kCells = 32;
constexpr int kFloor = 128;
constexpr int kFigure = 96;
constexpr int kFigureRows = 24; // 576 figures
constexpr int kSmallSide = kCells * kFloor;
constexpr int kLargeSide = 20000;
constexpr int kQuality = 75; // what Qt's JPEG writer uses unless told otherwise

struct RunResult {
    bool ok = false;
    double ms = 0.0;
    double peakMb = 0.0;
};

RunResult Run(const std::vector<std::string>& args, bool offscreen) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::string(*e).rfind("QT_QPA_PLATFORM=", 0) != 0) {
            env.emplace_back(*e);
        }
    }
    if (offscreen) {
        env.emplace_back("QT_QPA_PLATFORM=offscreen");
    }
    std::vector<char*> envp;
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    RunResult result;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return result;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    result.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    result.peakMb = usage.ru_maxrss / 1024.0; // kilobytes on Linux
    return result;
}

RunResult Best(const std::vector<std::string>& args, bool offscreen, int runs) {
    RunResult best;
    for (int i = 0; i < runs; ++i) {
        const RunResult run = Run(args, offscreen);
        if (!run.ok) {
            return run;
        }
        if (!best.ok || run.ms < best.ms) {
            best = run;
        }
    }
    return best;
}

// A stone floor: value noise in warm greys with a dark joint along the edges.
void WriteFloor(const fs::path& path) {
    DcRasterCanvas canvas;
    canvas.SetBitsPerPixel(24);
    canvas.Create(kFloor, kFloor);
    for (int y = 0; y < kFloor; ++y) {
        std::uint8_t* row = canvas.Rows()[y];
        for (int x = 0; x < kFloor; ++x) {
            const double n =
                0.5 + 0.25 * std::sin(x * 0.31 + y * 0.17) + 0.25 * std::sin(x * 0.07 - y * 0.23);
            const bool joint = x < 3 || y < 3 || x > kFloor - 4 || y > kFloor - 4;
            const int grey = joint ? 40 : 90 + static_cast<int>(n * 100);
            row[3 * x] = static_cast<std::uint8_t>(grey * 0.85);
            row[3 * x + 1] = static_cast<std::uint8_t>(grey * 0.95);
            row[3 * x + 2] = static_cast<std::uint8_t>(grey);
        }
    }
    SavePngFile(canvas, WString::FromUtf8(path.string()));
}

// A round token with a soft rim and an arrow that shows where it faces.
void WriteFigure(const fs::path& path) {
    DcRasterCanvas canvas;
    canvas.SetBitsPerPixel(32);
    canvas.Create(kFigure, kFigure);
    const double c = kFigure / 2.0;
    for (int y = 0; y < kFigure; ++y) {
        std::uint8_t* row = canvas.Rows()[y];
        for (int x = 0; x < kFigure; ++x) {
            const double d = std::hypot(x + 0.5 - c, y + 0.5 - c);
            const double alpha = std::clamp((c - 2 - d) * 0.5, 0.0, 1.0);
            const bool arrow = x > c && std::fabs(y + 0.5 - c) < (kFigure - x) * 0.4;
            row[4 * x] = arrow ? 240 : 40;
            row[4 * x + 1] = arrow ? 240 : static_cast<std::uint8_t>(60 + d);
            row[4 * x + 2] = arrow ? 240 : 190;
            row[4 * x + 3] = static_cast<std::uint8_t>(alpha * 255);
        }
    }
    SavePngFile(canvas, WString::FromUtf8(path.string()));
}

double FigureAngle(int i) {
    return std::fmod(i * 37.0, 360.0); // degrees, clockwise as Tiled counts
}

// Figure centres in top-down pixels of the 4096 map: the middle of each of 24 x 24 cells.
double FigureCentre(int k) {
    return (k + 0.5) * kSmallSide / kFigureRows;
}

void WriteTileSet(const fs::path& folder) {
    std::ofstream set(folder / "publish.set", std::ios::binary);
    set << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<TileSet gridsize=\"128\">\r\n"
           "<Tile name=\"Floor\" type=\"0\" freeplacement=\"true\">publish_bench/floor.png</Tile>\r\n"
           "<Tile name=\"Figure\" type=\"3\" freeplacement=\"true\">publish_bench/figure.png</Tile>\r\n"
           "</TileSet>\r\n";
}

// Our map, world y up: the top-down pixel row r of the 4096 picture is world y 4096 - r. Every tile
// is scaled by `scale` about the origin.
void WriteOurMap(const fs::path& path, double scale) {
    std::ofstream map(path, std::ios::binary);
    map << "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
           "<Gridvellum xmlns=\"gridvellum\" tileset=\"publish_bench/publish.set\" version=\"1\">\r\n";
    auto tile = [&](const char* name, const Matrix3& m) {
        map << "   <TileRef name=\"publish_bench/publish.set:" << name << "\" matrix=\""
            << MapFile::EncodeMatrix(m).ToUtf8() << "\"/>\r\n";
    };
    const Matrix3 scaled = Matrix3::Scaling(scale, scale);
    for (int j = 0; j < kCells; ++j) {
        for (int i = 0; i < kCells; ++i) {
            tile("Floor", Matrix3::Translation(i * kFloor, j * kFloor) * scaled);
        }
    }
    for (int k = 0; k < kFigureRows * kFigureRows; ++k) {
        const double cx = FigureCentre(k % kFigureRows);
        const double cy = kSmallSide - FigureCentre(k / kFigureRows);
        const double radians = -FigureAngle(k) * std::numbers::pi / 180.0;
        // Turned about the figure's centre.
        const Matrix3 turn = Matrix3::Translation(-kFigure / 2.0, -kFigure / 2.0) *
                             Matrix3::Rotation(radians) * Matrix3::Translation(cx, cy);
        tile("Figure", turn * scaled);
    }
    map << "</Gridvellum>";
}

// The same map for Tiled: the floor layer and the figures as turned tile objects. A tile object's
// position is its bottom-left corner, and it turns about that point.
void WriteTmx(const fs::path& path) {
    std::ofstream tmx(path, std::ios::binary);
    tmx << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<map version=\"1.9\" orientation=\"orthogonal\" renderorder=\"right-down\" width=\""
        << kCells << "\" height=\"" << kCells << "\" tilewidth=\"" << kFloor << "\" tileheight=\"" << kFloor
        << "\" infinite=\"0\" nextlayerid=\"3\" nextobjectid=\"1\">\n"
           " <tileset firstgid=\"1\" name=\"floor\" tilewidth=\"128\" tileheight=\"128\" tilecount=\"1\" "
           "columns=\"1\"><image source=\"floor.png\" width=\"128\" height=\"128\"/></tileset>\n"
           " <tileset firstgid=\"2\" name=\"figure\" tilewidth=\"96\" tileheight=\"96\" tilecount=\"1\" "
           "columns=\"1\"><image source=\"figure.png\" width=\"96\" height=\"96\"/></tileset>\n"
           " <layer id=\"1\" name=\"floor\" width=\"32\" height=\"32\"><data encoding=\"csv\">\n";
    for (int j = 0; j < kCells; ++j) {
        for (int i = 0; i < kCells; ++i) {
            tmx << "1" << (i == kCells - 1 && j == kCells - 1 ? "" : ",");
        }
        tmx << "\n";
    }
    tmx << "</data></layer>\n <objectgroup id=\"2\" name=\"figures\">\n";
    for (int k = 0; k < kFigureRows * kFigureRows; ++k) {
        const double cx = FigureCentre(k % kFigureRows);
        const double cy = FigureCentre(k / kFigureRows);
        const double a = FigureAngle(k) * std::numbers::pi / 180.0;
        // The bottom-left corner that puts the turned figure's centre at (cx, cy), y down.
        const double h = kFigure / 2.0;
        const double x = cx - (h * std::cos(a) - (-h) * std::sin(a));
        const double y = cy - (h * std::sin(a) + (-h) * std::cos(a));
        tmx << "  <object id=\"" << k + 1 << "\" gid=\"2\" x=\"" << x << "\" y=\"" << y
            << "\" width=\"96\" height=\"96\" rotation=\"" << FigureAngle(k) << "\"/>\n";
    }
    tmx << " </objectgroup>\n</map>\n";
}

} // namespace

int main(int, char** argv) {
    const fs::path binDir = fs::canonical(fs::path(argv[0])).parent_path();
    const fs::path program = binDir / "gridvellum";
    const fs::path folder = binDir / "publish_bench";
    fs::create_directories(folder);
    WriteFloor(folder / "floor.png");
    WriteFigure(folder / "figure.png");
    WriteTileSet(folder);
    WriteOurMap(folder / "map4096.gv", 1.0);
    const double largeScale = double(kLargeSide) / kSmallSide;
    WriteOurMap(folder / "map20000.gv", largeScale);
    WriteTmx(folder / "map.tmx");
    const std::string rasterizer = "/usr/bin/tmxrasterizer";
    if (!fs::exists(rasterizer)) {
        std::printf("tmxrasterizer is missing: apt-get install tiled\n");
        return 1;
    }
    char scaleText[32];
    std::snprintf(scaleText, sizeof scaleText, "%.10g", largeScale);
    const std::string quality = std::to_string(kQuality);

    const RunResult ours4096 = Best({program.string(), "--publish", (folder / "map4096.gv").string(),
                                     (folder / "ours4096.jpg").string(), "--quality", quality},
                                    false, 5);
    const RunResult tiled4096 =
        Best({rasterizer, (folder / "map.tmx").string(), (folder / "tiled4096.jpg").string()}, true, 5);
    const RunResult ours20000 = Best({program.string(), "--publish", (folder / "map20000.gv").string(),
                                      (folder / "ours20000.jpg").string(), "--quality", quality},
                                     false, 2);
    const RunResult tiled20000 = Best({rasterizer, "--scale", scaleText, (folder / "map.tmx").string(),
                                       (folder / "tiled20000.jpg").string()},
                                      true, 1);
    if (!ours4096.ok || !tiled4096.ok || !ours20000.ok || !tiled20000.ok) {
        std::printf("a run failed: ours %d %d, tmxrasterizer %d %d\n", ours4096.ok, ours20000.ok,
                    tiled4096.ok, tiled20000.ok);
        return 1;
    }
    std::printf("figure publish-4096: %.2f ms (tmxrasterizer %.2f ms)\n", ours4096.ms, tiled4096.ms);
    std::printf("figure publish-20000: %.2f ms (tmxrasterizer %.2f ms, %.2f MB)\n", ours20000.ms,
                tiled20000.ms, tiled20000.peakMb);
    std::printf("speedup publish-4096 vs tmxrasterizer: %.2f\n", tiled4096.ms / ours4096.ms);
    std::printf("speedup publish-20000 vs tmxrasterizer: %.2f\n", tiled20000.ms / ours20000.ms);
    std::printf("figure publish-20000-peak-rss: %.2f MB\n", ours20000.peakMb);
    return 0;
}
