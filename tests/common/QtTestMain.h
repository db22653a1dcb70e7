#pragma once

// The main function of a test program that needs a Qt application object (fonts, platform drawing,
// widgets). It runs on the offscreen platform unless the environment names another, so no display is
// required.

#include <QByteArray>
#include <QtGlobal>

#include <gtest/gtest.h>

namespace testsupport {

template <typename Application> int RunTestsWithApplication(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace testsupport
