// Draws 128 x 128 tiles across a 1600 x 1000 canvas with our rasterizer and with QPainter's smooth
// drawImage, in the same run, at five placements, for a tile with alpha and one without. Speeds are
// destination megapixels per second, counting each tile's transformed area.
//
// QPainter is measured twice: as it comes (Qt splits each fill across its GUI thread pool) and with
// every draw issued from a thread-pool task, where Qt fills inline. The faster of the two is the anchor.
// Ours shares the rows of large draws with its helper thread; its figure on one thread is reported too,
// against QPainter inline (one thread each, both held on the same processor: the processors of a shared
// virtual machine run at different speeds, which would otherwise decide the ratio by where each lands).
// On a processor with AVX-512 ours on one thread is measured a second time with the AVX2 loops, which is
// what most processors run; GV_RASTER_ISA=avx2 or GV_RASTER_ISA=baseline picks a narrower build for the
// whole run instead. The bilinear steps suit the processor's kind of vector ports; GV_RASTER_PORTS=own or
// GV_RASTER_PORTS=shared picks one kind instead.

#include "raster/DrawLoopsWide.h"
#include "raster/RasterCanvas.h"
#include "support/BandRunner.h"
#include "support/Matrix3.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QThreadPool>
#include <QTransform>

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kCanvasW = 1600;
constexpr int kCanvasH = 1000;
constexpr int kTile = 128;
constexpr double kMinSeconds = 0.5; // per contestant

struct Case {
    const char* name;
    double scale;
    double degrees;
};

// A patterned tile: stripes and a gradient; with alpha, an opaque disc with a soft rim on a clear
// background.
std::unique_ptr<RasterCanvas> MakeTile(int bytesPerPixel) {
    auto tile = std::make_unique<RasterCanvas>();
    tile->SetBitsPerPixel(bytesPerPixel * 8);
    tile->Create(kTile, kTile);
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
            std::uint8_t* p = tile->Rows()[y] + x * bytesPerPixel;
            p[0] = std::uint8_t(((x / 8 + y / 8) & 1) ? 40 + x : 220 - y);
            p[1] = std::uint8_t((x * y) >> 6);
            p[2] = std::uint8_t(2 * x);
            if (bytesPerPixel == 4) {
                double r = std::hypot(x - 63.5, y - 63.5);
                p[3] = std::uint8_t(std::clamp((60.0 - r) * 40.0, 0.0, 255.0));
            }
        }
    }
    return tile;
}

// The same pixels as QPainter's fastest source formats.
QImage ToQImage(RasterCanvas& tile) {
    const bool alpha = tile.BytesPerPixel() == 4;
    QImage image(kTile, kTile, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < kTile; ++y) {
        const std::uint8_t* p = tile.Rows()[y];
        for (int x = 0; x < kTile; ++x, p += tile.BytesPerPixel()) {
            image.setPixel(x, y, qRgba(p[2], p[1], p[0], alpha ? p[3] : 255));
        }
    }
    return alpha ? image.convertToFormat(QImage::Format_ARGB32_Premultiplied) : image;
}

// Tiles placed on a grid so that every transformed tile lies wholly inside the canvas.
std::vector<Matrix3> Placements(const Case& c) {
    const double angle = c.degrees * M_PI / 180.0;
    const double extent = kTile * c.scale * (std::fabs(std::cos(angle)) + std::fabs(std::sin(angle)));
    const double step = std::ceil(extent) + 1;
    std::vector<Matrix3> out;
    for (double cy = step / 2 + 1; cy + step / 2 < kCanvasH - 1; cy += step) {
        for (double cx = step / 2 + 1; cx + step / 2 < kCanvasW - 1; cx += step) {
            out.push_back(Matrix3::Product(Matrix3::Translation(-kTile / 2.0, -kTile / 2.0),
                                           Matrix3::FromParts(angle, cx, cy, c.scale, c.scale)));
        }
    }
    return out;
}

// Seconds of the fastest round of each contestant. Contestants take turns, each round in a shuffled
// order, until enough time has passed: the machines this runs on are shared, and their speed drifts
// over seconds, so turns expose every contestant to the same moments, and the fastest round (taken the
// same way for all) is the steadiest measure of what the code itself costs.
std::vector<double> FastestRounds(const std::vector<std::function<void()>>& contestants) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> fastest(contestants.size(), INFINITY);
    const auto start = Clock::now();
    std::vector<std::size_t> order(contestants.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::mt19937 rng(1);
    for (int round = 0;; ++round) {
        // Each round shuffles the turns, so that no contestant always follows the same one.
        std::shuffle(order.begin(), order.end(), rng);
        for (std::size_t k : order) {
            contestants[k](); // untimed, so that each round finds the caches as its own last round left them
            const auto roundStart = Clock::now();
            contestants[k]();
            const double seconds = std::chrono::duration<double>(Clock::now() - roundStart).count();
            fastest[k] = std::min(fastest[k], seconds);
        }
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        if (round >= 5 && elapsed > kMinSeconds * double(contestants.size())) {
            return fastest;
        }
    }
}

// Runs work on the thread that calls it, held on processor cpu meanwhile, then lets the thread go where
// it went before.
void OnProcessor(int cpu, const std::function<void()>& work) {
    cpu_set_t before;
    const bool known = pthread_getaffinity_np(pthread_self(), sizeof before, &before) == 0;
    cpu_set_t only;
    CPU_ZERO(&only);
    CPU_SET(cpu, &only);
    pthread_setaffinity_np(pthread_self(), sizeof only, &only);
    work();
    if (known) {
        pthread_setaffinity_np(pthread_self(), sizeof before, &before);
    }
}

// The first processor this process may run on, where the one-thread contestants are held.
int FirstAllowedProcessor() {
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
            if (CPU_ISSET(cpu, &allowed)) {
                return cpu;
            }
        }
    }
    return 0;
}

void QtDraw(QImage& target, const QImage& tile, const std::vector<Matrix3>& matrices) {
    QPainter painter(&target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    for (const Matrix3& m : matrices) {
        painter.setTransform(QTransform(m.m11(), m.m12(), m.m21(), m.m22(), m.m31(), m.m32()));
        painter.drawImage(QPointF(0, 0), tile);
    }
}

// Case names given on the command line pick the cases to run; none runs them all.
bool Wanted(const std::string& name, int argc, char** argv) {
    for (int k = 1; k < argc; ++k) {
        if (name == argv[k]) {
            return true;
        }
    }
    return argc < 2;
}

const char* WidthName(drawloops::LoopWidth width) {
    switch (width) {
    case drawloops::LoopWidth::Avx512:
        return "AVX-512";
    case drawloops::LoopWidth::Avx2:
        return "AVX2";
    case drawloops::LoopWidth::Baseline:
        break;
    }
    return "baseline";
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const Case cases[] = {{"scale1", 1.0, 0.0},
                          {"rot90", 1.0, 90.0},
                          {"scale0.5", 0.5, 0.0},
                          {"scale1.7rot30", 1.7, 30.0},
                          {"scale0.25", 0.25, 0.0}};
    RasterCanvas canvas;
    canvas.SetBitsPerPixel(32);
    canvas.Create(kCanvasW, kCanvasH);
    canvas.Fill(0x00406080);
    QImage qtCanvas(kCanvasW, kCanvasH, QImage::Format_RGB32);
    qtCanvas.fill(QColor(0x80, 0x60, 0x40));

    const drawloops::LoopWidth width = drawloops::ActiveLoopWidth();
    const bool alsoAvx2 = width == drawloops::LoopWidth::Avx512;
    const bool portsShared = drawloops::ActiveStepPorts() == drawloops::StepPorts::SharedWithIntegers;
    std::printf("loops: %s%s; steps for vector ports %s\n", WidthName(width),
                alsoAvx2 ? ", and AVX2 forced for the -avx2 lines" : "",
                portsShared ? "shared with integer work" : "of their own");
    const int oneThreadCpu = FirstAllowedProcessor();
    std::vector<std::string> summary;
    for (int bytes : {4, 3}) {
        auto tile = MakeTile(bytes);
        const QImage qtTile = ToQImage(*tile);
        const char* suffix = bytes == 4 ? "-argb" : "-rgb";
        for (const Case& c : cases) {
            const std::string name = std::string(c.name) + suffix;
            if (!Wanted(name, argc, argv)) {
                continue;
            }
            const std::vector<Matrix3> matrices = Placements(c);
            const double megapixels = double(matrices.size()) * kTile * kTile * c.scale * c.scale / 1e6;
            auto drawOurs = [&] {
                for (const Matrix3& m : matrices) {
                    tile->DrawTransformed(canvas, m, false, 0, false, 0, 1.0f);
                }
            };
            auto drawOursAlone = [&] {
                BandRunner::Shared().SetHelperEnabled(false);
                OnProcessor(oneThreadCpu, drawOurs);
                BandRunner::Shared().SetHelperEnabled(true);
            };
            auto drawOursAloneAvx2 = [&] {
                drawloops::LimitLoopWidth(drawloops::LoopWidth::Avx2);
                drawOursAlone();
                drawloops::LimitLoopWidth(drawloops::LoopWidth::Avx512);
            };
            auto drawQtStock = [&] { QtDraw(qtCanvas, qtTile, matrices); };
            // Qt fills inline when the painting thread belongs to its global pool.
            auto drawQtInline = [&] {
                QThreadPool::globalInstance()->start(
                    [&] { OnProcessor(oneThreadCpu, [&] { QtDraw(qtCanvas, qtTile, matrices); }); });
                QThreadPool::globalInstance()->waitForDone();
            };
            std::vector<std::function<void()>> contestants = {drawOurs, drawOursAlone, drawQtStock,
                                                              drawQtInline};
            if (alsoAvx2) {
                contestants.push_back(drawOursAloneAvx2);
            }
            const std::vector<double> seconds = FastestRounds(contestants);
            const double ours = seconds[0];
            const double oursAlone = seconds[1];
            const double qtStock = seconds[2];
            const double qtInline = seconds[3];
            const double anchor = std::min(qtStock, qtInline);
            std::printf("figure %s: %.1f MP/s ours (%.1f on one thread), %.1f MP/s QPainter stock, %.1f MP/s "
                        "QPainter inline (%zu tiles)\n",
                        name.c_str(), megapixels / ours, megapixels / oursAlone, megapixels / qtStock,
                        megapixels / qtInline, matrices.size());
            if (alsoAvx2) {
                std::printf("figure %s-avx2: %.1f MP/s ours on one thread with the AVX2 loops\n",
                            name.c_str(), megapixels / seconds[4]);
            }
            std::fflush(stdout);
            char line[160];
            std::snprintf(line, sizeof line, "speedup %s vs QPainter: %.2f", name.c_str(), anchor / ours);
            summary.push_back(line);
            std::snprintf(line, sizeof line, "speedup %s-1thread vs QPainter-inline: %.2f", name.c_str(),
                          qtInline / oursAlone);
            summary.push_back(line);
            if (alsoAvx2) {
                std::snprintf(line, sizeof line, "speedup %s-avx2-1thread vs QPainter-inline: %.2f",
                              name.c_str(), qtInline / seconds[4]);
                summary.push_back(line);
            }
        }
    }
    for (const std::string& line : summary) {
        std::printf("%s\n", line.c_str());
    }
    return 0;
}
