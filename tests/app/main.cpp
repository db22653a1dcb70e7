// The application layer measures text and builds widgets, both of which need an application object;
// the tests run it on the offscreen platform so that no display is required.
#include "common/QtTestMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    return testsupport::RunTestsWithApplication<QApplication>(argc, argv);
}
