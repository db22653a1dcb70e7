// Platform drawing on canvases needs fonts, and fonts need an application object; tests run it on the
// offscreen platform so no display is required.
#include "common/QtTestMain.h"

#include <QGuiApplication>

int main(int argc, char** argv) {
    return testsupport::RunTestsWithApplication<QGuiApplication>(argc, argv);
}
