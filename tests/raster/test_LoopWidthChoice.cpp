// GV_RASTER_ISA narrows the loop build a whole run draws with, so that a processor with wider
// instructions can check and measure what older processors run, and GV_RASTER_PORTS picks the kind of
// bilinear steps. The ctest runs in extra.cmake set them, and repeat the reference comparisons under the
// first.

#include "raster/DrawLoopsWide.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using drawloops::LoopWidth;
using drawloops::StepPorts;

TEST(LoopWidthChoice, TheBuildNamedInTheEnvironmentIsTheWidestUsed) {
    const char* named = std::getenv("GV_RASTER_ISA");
    if (named == nullptr) {
        GTEST_SKIP() << "runs under GV_RASTER_ISA (see extra.cmake)";
    }
    // The tests' own cap, lifted as far as it goes, must not widen past the environment.
    drawloops::LimitLoopWidth(LoopWidth::Avx512);
    const std::string name = named;
    if (name == "baseline" || name == "scalar") {
        EXPECT_EQ(drawloops::ActiveLoopWidth(), LoopWidth::Baseline);
    } else if (name == "avx2") {
        EXPECT_NE(drawloops::ActiveLoopWidth(), LoopWidth::Avx512);
    } else {
        FAIL() << "unknown GV_RASTER_ISA " << name;
    }
    // The tests' cap still narrows further.
    drawloops::LimitLoopWidth(LoopWidth::Baseline);
    EXPECT_EQ(drawloops::ActiveLoopWidth(), LoopWidth::Baseline);
    drawloops::LimitLoopWidth(LoopWidth::Avx512);
}

TEST(LoopWidthChoice, TheStepPortsNamedInTheEnvironmentAreUsed) {
    const char* named = std::getenv("GV_RASTER_PORTS");
    if (named == nullptr) {
        GTEST_SKIP() << "runs under GV_RASTER_PORTS (see extra.cmake)";
    }
    const std::string name = named;
    ASSERT_TRUE(name == "own" || name == "shared") << "unknown GV_RASTER_PORTS " << name;
    const StepPorts namedKind = name == "own" ? StepPorts::Own : StepPorts::SharedWithIntegers;
    const StepPorts other = name == "own" ? StepPorts::SharedWithIntegers : StepPorts::Own;
    EXPECT_EQ(drawloops::ActiveStepPorts(), namedKind);
    // A test's choice wins, and lifting it returns to the environment's.
    drawloops::ChooseStepPorts(other);
    EXPECT_EQ(drawloops::ActiveStepPorts(), other);
    drawloops::ChooseStepPorts(std::nullopt);
    EXPECT_EQ(drawloops::ActiveStepPorts(), namedKind);
}

} // namespace
