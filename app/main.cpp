#include <QApplication>
#include <QMainWindow>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool HasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

} // namespace

int main(int argc, char** argv) {
    if (!HasDisplay()) {
        std::fprintf(stderr, "Gridvellum: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                             "Run it inside a virtual X server, for example:\n"
                             "  xvfb-run -a -s \"-screen 0 1600x1000x24\" %s [map.gv]\n",
                     argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Gridvellum");
    window.resize(1200, 800);
    window.show();
    return app.exec();
}
