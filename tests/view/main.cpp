// Frames paint through the platform (lines, shapes, text) and text tiles measure with platform fonts,
// which need an application object. A widget application also serves tests of the view's widgets;
// it runs on the offscreen platform, so no display is required.
#include "common/QtTestMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    return testsupport::RunTestsWithApplication<QApplication>(argc, argv);
}
