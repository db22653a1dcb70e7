// Draws the program's icons: the application icon and the map and tileset document icons, in the
// hicolor theme's sizes and as scalable SVG, plus the window icon's and the toolbar's pictures beside
// the program.
//
// usage: make_icons <share folder> <program folder>
// The share folder receives icons/hicolor/<N>x<N>/{apps,mimetypes}/*.png and icons/hicolor/scalable/.

#include "raster/ImageFile.h"
#include "raster/RasterCanvas.h"
#include "support/WString.h"
#include "tools/IconArt.h"
#include "tools/ToolBarArt.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};

struct Icon {
    const char* context; // the theme folder: apps or mimetypes
    const char* name;
    IconArt art;
};

// Written through the program's own PNG writer: the pixels travel as the canvas stores them.
bool WritePng(const QImage& image, const std::string& path) {
    QDir().mkpath(QString::fromStdString(path).section('/', 0, -2));
    RasterCanvas canvas;
    if (!canvas.SetBitsPerPixel(32) || !canvas.Create(image.width(), image.height())) {
        return false;
    }
    const auto rowBytes = static_cast<std::size_t>(image.width()) * 4;
    for (int y = 0; y < image.height(); ++y) {
        std::memcpy(canvas.Rows()[image.height() - 1 - y], image.constScanLine(y), rowBytes);
    }
    WString reason;
    if (!SavePngFile(canvas, WString::FromUtf8(path), &reason)) {
        std::fprintf(stderr, "make_icons: %s: %s\n", path.c_str(), reason.ToUtf8().c_str());
        return false;
    }
    return true;
}

bool WriteText(const std::string& text, const std::string& path) {
    QDir().mkpath(QString::fromStdString(path).section('/', 0, -2));
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out.flush());
}

// Keeps a build log free of start-up chatter that a headless run always produces.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg && message.contains("XDG_RUNTIME_DIR")) {
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_icons <share folder> <program folder>\n");
        return 2;
    }
    // Painting needs a GUI application; the offscreen platform needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietMessages);
    QGuiApplication app(argc, argv);
    const std::string theme = std::string(argv[1]) + "/icons/hicolor/";
    const std::string programDir = argv[2];
    const Icon icons[] = {{"apps", "gridvellum", IconArt::Application()},
                          {"mimetypes", "application-x-gridvellum-map", IconArt::MapDocument()},
                          {"mimetypes", "application-x-gridvellum-tileset", IconArt::TileSetDocument()}};
    bool ok = true;
    for (const Icon& icon : icons) {
        const std::string file = std::string(icon.context) + "/" + icon.name;
        ok = ok && WriteText(icon.art.ToSvg(), theme + "scalable/" + file + ".svg");
        for (const int size : kSizes) {
            const std::string folder = std::to_string(size) + "x" + std::to_string(size) + "/";
            const QImage picture = icon.art.Render(size);
            ok = ok && WritePng(picture, theme + folder + file + ".png");
            if (std::strcmp(icon.context, "apps") == 0) {
                ok = ok &&
                     WritePng(picture, programDir + "/icons/gridvellum-" + std::to_string(size) + ".png");
            }
        }
    }
    // The toolbar's own pictures, for desktops whose icon theme lacks one.
    for (const std::string& name : ToolBarArt::Names()) {
        for (const int size : {16, 24, 32}) {
            ok = ok && WritePng(ToolBarArt::Draw(name, size),
                                programDir + "/icons/toolbar/" + name + "-" + std::to_string(size) + ".png");
        }
    }
    return ok ? 0 : 1;
}
