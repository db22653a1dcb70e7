// Published pictures draw text tiles and the copyright through platform fonts, which need an
// application object; the tests run it on the offscreen platform so that no display is required.
#include "common/QtTestMain.h"

#include <QGuiApplication>

int main(int argc, char** argv) {
    return testsupport::RunTestsWithApplication<QGuiApplication>(argc, argv);
}
