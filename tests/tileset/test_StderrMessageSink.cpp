#include "platform/StderrMessageSink.h"

#include <gtest/gtest.h>

namespace {

TEST(StderrMessageSinkTest, HeadlessRunsPrintEachErrorOnceWithItsCaption) {
    StderrMessageSink sink;
    testing::internal::CaptureStderr();
    sink.ShowError(u"Gridvellum", u"Error: Tile 1 needs a name.\n");
    sink.ShowError(
        u"Gridvellum",
        WString::FromUtf8("Error, could not open tileset:\"/d/\xC3\xA9.set\" File does not exist."));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Gridvellum: Error: Tile 1 needs a name.\n"
              "Gridvellum: Error, could not open tileset:\"/d/\xC3\xA9.set\" File does not exist.\n");
}

} // namespace
