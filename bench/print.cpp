// Prints a large map to PDF the way `gridvellum --print-pdf` does and reports the time and the peak
// memory of the process: the map is drawn block by block, so the peak stays far below the size of
// the map's picture (a 20,000 x 20,000 map is 1.2 GB at three bytes a pixel).
//
// Cases: the 20,000-unit map on one A4 page (shrunk to fit) and a 4,096-unit map as a poster on A4
// pages. Times are wall time of one run each; the machine may be shared.
//
// usage: bench_print
#include "document/CGridvellumDoc.h"
#include "document/ProgramState.h"
#include "document/TileRef.h"
#include "platform/PageSizes.h"
#include "platform/StderrMessageSink.h"
#include "raster/RasterCanvas.h"
#include "support/Matrix3.h"
#include "tileset/TileSet.h"
#include "view/PdfPrint.h"

#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// A 128 x 128 picture with a frame and a diagonal, in the program's own format.
bool WritePicture(const std::filesystem::path& path, std::uint8_t red, std::uint8_t green,
                  std::uint8_t blue) {
    RasterCanvas canvas;
    canvas.SetBitsPerPixel(32);
    if (!canvas.Create(128, 128)) {
        return false;
    }
    for (int y = 0; y < 128; ++y) {
        std::uint8_t* row = canvas.Rows()[y];
        for (int x = 0; x < 128; ++x) {
            const bool edge = x < 3 || y < 3 || x >= 125 || y >= 125 || x == y;
            std::uint8_t* pixel = row + x * 4;
            pixel[0] = edge ? 20 : blue;
            pixel[1] = edge ? 20 : green;
            pixel[2] = edge ? 20 : red;
            pixel[3] = 255;
        }
    }
    return canvas.SaveOwnFormat(WString::FromUtf8(path.string()));
}

bool WriteTileSet(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    std::ofstream set(folder / "print.set", std::ios::binary);
    set << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<TileSet gridsize=\"128\" copyright=\"Benchmark "
           "tiles\">\n"
           "<Tile name=\"Floor\" type=\"0\">floor.icr</Tile>\n"
           "<Tile name=\"Figure\" type=\"3\">figure.icr</Tile>\n"
           "</TileSet>\n";
    return set.good() && WritePicture(folder / "floor.icr", 120, 110, 100) &&
           WritePicture(folder / "figure.icr", 200, 40, 40);
}

// Floor tiles over side x side units, and a turned figure on every fourth cell.
void BuildMap(CGridvellumDoc& doc, int side) {
    const int cells = side / 128;
    for (int y = 0; y < cells; ++y) {
        for (int x = 0; x < cells; ++x) {
            if (TileRef* floor = doc.AddTile(0)) {
                floor->SetTransform(Matrix3::Translation(128.0 * x, 128.0 * y));
                floor->UpdateBounds();
            }
            if ((x + y) % 4 == 0) {
                if (TileRef* figure = doc.AddTile(1)) {
                    figure->SetTransform(Matrix3::Product(
                        Matrix3::Translation(-64, -64),
                        Matrix3::Product(Matrix3::Rotation(0.5),
                                         Matrix3::Translation(128.0 * x + 64, 128.0 * y + 64))));
                    figure->UpdateBounds();
                }
            }
        }
    }
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

bool RunCase(const std::filesystem::path& folder, const char* name, int side, bool poster) {
    ProgramState state;
    StderrMessageSink sink;
    TileSet tileSet(TileSetContext{WString::FromUtf8(folder.string() + "/"), nullptr, &sink, false});
    if (!tileSet.Load(u"print.set")) {
        std::fprintf(stderr, "bench_print: the tileset did not load\n");
        return false;
    }
    CGridvellumDoc doc(tileSet, state, nullptr);
    BuildMap(doc, side);
    const std::string pdf = (folder / (std::string(name) + ".pdf")).string();
    std::string reason;
    const auto start = std::chrono::steady_clock::now();
    if (!PdfPrint::Write(doc, pdf, PageSizes::Find("A4"), poster, reason)) {
        std::fprintf(stderr, "bench_print: %s: %s\n", name, reason.c_str());
        return false;
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("figure %s: %.2f ms\n", name, ms);
    std::printf("figure %s-pdf-size: %.2f MB\n", name, std::filesystem::file_size(pdf) / 1048576.0);
    std::printf("figure %s-peak-rss: %.2f MB\n", name, PeakMegabytes());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("gv_bench_print_" + std::to_string(::getpid()));
    bool ok = WriteTileSet(folder);
    // The smaller case first: the peak of the process only grows.
    ok = ok && RunCase(folder, "print-poster-4096", 4096, true);
    ok = ok && RunCase(folder, "print-20000", 20096, false);
    std::filesystem::remove_all(folder);
    return ok ? 0 : 1;
}
