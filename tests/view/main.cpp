// Frames paint through the platform (lines, shapes, text) and text tiles measure with platform fonts,
// which need an application object. A widget application also serves tests of the view's widgets;
// it runs on the offscreen platform, so no display is required.
#include <QApplication>
#include <QtGlobal>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
