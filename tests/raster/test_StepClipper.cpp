// The run clipper divides by multiplying with the step's reciprocal and corrects the estimate; it must
// agree with plain integer division for every magnitude a draw can produce.

#include "raster/DrawTransformedLoops.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace {

using drawloops::StepClipper;

// The indices in [first, last] with lo <= start + i * step < hi, found by walking them.
void WalkRun(std::int64_t start, std::int64_t step, std::int64_t lo, std::int64_t hi, int& first, int& last) {
    int a = last + 1, b = first - 1;
    for (int i = first; i <= last; ++i) {
        const std::int64_t at = start + std::int64_t(i) * step;
        if (at >= lo && at < hi) {
            a = std::min(a, i);
            b = std::max(b, i);
        }
    }
    if (a > b) {
        last = first - 1;
    } else {
        first = a;
        last = b;
    }
}

TEST(StepClipper, AgreesWithWalkingTheRunForAnyStepAndMagnitude) {
    std::mt19937_64 rng(4242);
    std::uniform_int_distribution<int> lengths(0, 400);
    int nonEmpty = 0;
    for (int n = 0; n < 20000; ++n) {
        // Steps from a texel fraction to far beyond a picture, either sign; starts up to 2^56 away.
        const int stepBits = int(rng() % 40);
        std::int64_t step = std::int64_t(rng() % (std::uint64_t(1) << stepBits)) + (n % 7 == 0 ? 0 : 1);
        if (rng() % 2) {
            step = -step;
        }
        const int startBits = int(rng() % 57);
        std::int64_t start = std::int64_t(rng() % (std::uint64_t(1) << startBits));
        if (rng() % 2) {
            start = -start;
        }
        const std::int64_t lo = std::int64_t(rng() % (1 << 20)) - (1 << 19);
        const std::int64_t hi = lo + std::int64_t(rng() % (1 << 22));
        // Keep the walked run inside the magnitudes the clipper promises.
        int first = 0, last = lengths(rng);
        int expectFirst = first, expectLast = last;
        WalkRun(start, step, lo, hi, expectFirst, expectLast);
        StepClipper(step).Clip(start, lo, hi, first, last);
        if (expectFirst > expectLast) {
            ASSERT_GT(first, last) << "start " << start << " step " << step << " lo " << lo << " hi " << hi;
        } else {
            ++nonEmpty;
            ASSERT_EQ(first, expectFirst)
                << "start " << start << " step " << step << " lo " << lo << " hi " << hi;
            ASSERT_EQ(last, expectLast)
                << "start " << start << " step " << step << " lo " << lo << " hi " << hi;
        }
    }
    // Random starts mostly miss the window; enough must land in it for the check to mean something.
    EXPECT_GT(nonEmpty, 1000);
}

TEST(StepClipper, RunsAlignedToTheWindowKeepBothEnds) {
    // Pixels exactly on lo are in, pixels exactly on hi are out, with either direction of travel.
    int first = 0, last = 10;
    StepClipper(100).Clip(-300, 0, 500, first, last);
    EXPECT_EQ(first, 3);
    EXPECT_EQ(last, 7);
    first = 0, last = 10;
    StepClipper(-100).Clip(700, 0, 500, first, last);
    EXPECT_EQ(first, 3);
    EXPECT_EQ(last, 7);
}

} // namespace
