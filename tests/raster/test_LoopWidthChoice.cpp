// GV_RASTER_ISA narrows the loop build a whole run draws with, so that a processor with wider
// instructions can check and measure what older processors run. The ctest runs in extra.cmake set it
// and repeat the reference comparisons under it.

#include "raster/DrawLoopsWide.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using drawloops::LoopWidth;

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

} // namespace
