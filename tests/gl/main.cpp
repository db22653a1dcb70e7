// OpenGL tests need a display with GLX (xvfb-run gives one); without a display they run on the
// offscreen platform, where no context can be made and every test that needs one is skipped.
#include <QByteArray>
#include <QGuiApplication>
#include <QtGlobal>

#include <gtest/gtest.h>

// The OpenGL driver is unloaded before a sanitized run's leak check, so what it keeps cannot be told
// from a leak of ours: sanitized OpenGL runs check memory errors only. Other builds never call this.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    }
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
