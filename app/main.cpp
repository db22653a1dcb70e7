#include "app/CGridvellumApp.h"
#include "app/CommandLine.h"
#include "support/FileUtils.h"

#include <QGuiApplication>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

bool HasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

// A command-line run prints only its own messages: Qt's notes about the session it was started in
// ("XDG_RUNTIME_DIR not set", font fallbacks) mean nothing to someone converting a map. Only the
// library's critical and fatal messages still reach standard error.
void KeepQtQuiet(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

int RunHeadless(const CommandLine& line, int argc, char** argv) {
    qInstallMessageHandler(KeepQtQuiet);
    if (!line.NeedsFonts()) {
        return line.Run(FileUtils::ProgramDirectory(), std::cout, std::cerr);
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return line.Run(FileUtils::ProgramDirectory(), std::cout, std::cerr);
}

int RunEditorWithDisplay(int argc, char** argv) {
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "Gridvellum: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                     "Run it inside a virtual X server, for example:\n"
                     "  xvfb-run -a -s \"-screen 0 1600x1000x24\" %s [map.gv]\n"
                     "or convert maps without a display: %s --save-as IN.gv OUT.gv\n",
                     argv[0], argv[0]);
        return 2;
    }
    return RunEditor(argc, argv);
}

} // namespace

int main(int argc, char** argv) {
    const CommandLine line = CommandLine::Parse(std::vector<std::string>(argv + 1, argv + argc));
    if (line.IsHeadless()) {
        return RunHeadless(line, argc, argv);
    }
    return RunEditorWithDisplay(argc, argv);
}
