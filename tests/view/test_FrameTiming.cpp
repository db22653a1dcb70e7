#include "view/FrameTiming.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// A clock the test moves by hand.
struct ManualClock {
    std::uint64_t now = 5000;
    FrameTiming::Clock Reader() {
        return [this]() { return now; };
    }
};

// One frame that takes `duration` milliseconds.
FrameTimingReport Frame(FrameTiming& timing, ManualClock& clock, std::uint64_t duration, bool showDrawTime) {
    timing.BeginFrame();
    clock.now += duration;
    return timing.EndFrame(showDrawTime);
}

TEST(FrameTiming, IdleFramesReportNothing) {
    ManualClock clock;
    FrameTiming timing(clock.Reader());
    const FrameTimingReport report = Frame(timing, clock, 7, false);
    EXPECT_FALSE(report.repaintAgain);
    EXPECT_TRUE(report.StatusText().IsEmpty());
    EXPECT_EQ(timing.Countdown(), 0);
}

TEST(FrameTiming, F9MeasuresExactlyTenFrames) {
    ManualClock clock;
    FrameTiming timing(clock.Reader());
    timing.StartMeasurement();
    EXPECT_EQ(timing.Countdown(), 10);
    for (int i = 1; i <= 9; ++i) {
        const FrameTimingReport report = Frame(timing, clock, 20, false);
        EXPECT_TRUE(report.repaintAgain) << i;
        EXPECT_TRUE(report.frameRateText.IsEmpty()) << i;
    }
    // Ten frames of 20 ms each: 200 ms, 50 frames a second.
    const FrameTimingReport last = Frame(timing, clock, 20, false);
    EXPECT_FALSE(last.repaintAgain);
    EXPECT_EQ(last.frameRateText.ToUtf8(), "FPS= 50");
    EXPECT_EQ(last.StatusText().ToUtf8(), "FPS= 50");
    EXPECT_TRUE(Frame(timing, clock, 20, false).frameRateText.IsEmpty());
}

TEST(FrameTiming, MeasurementIncludesTheTimeBetweenFrames) {
    ManualClock clock;
    FrameTiming timing(clock.Reader());
    timing.StartMeasurement();
    for (int i = 0; i < 10; ++i) {
        clock.now += 30; // the window system's share before each paint
        const FrameTimingReport report = Frame(timing, clock, 10, false);
        if (i == 9) {
            // From the start of the first frame to the end of the tenth: 10 + 9 x 40 = 370 ms.
            EXPECT_EQ(report.frameRateText.ToUtf8(), "FPS= 27");
        }
    }
}

TEST(FrameTiming, TenFramesWithinOneTickStillGiveARate) {
    ManualClock clock;
    FrameTiming timing(clock.Reader());
    timing.StartMeasurement();
    FrameTimingReport report;
    for (int i = 0; i < 10; ++i) {
        report = Frame(timing, clock, 0, false);
    }
    EXPECT_EQ(report.frameRateText.ToUtf8(), "FPS= 10000");
}

TEST(FrameTiming, DrawTimeReplacesTheRateInTheStatusBar) {
    ManualClock clock;
    FrameTiming timing(clock.Reader());
    EXPECT_EQ(Frame(timing, clock, 12, true).StatusText().ToUtf8(), "drawtime 12ms");
    timing.StartMeasurement();
    FrameTimingReport report;
    for (int i = 0; i < 10; ++i) {
        report = Frame(timing, clock, 3, true);
    }
    EXPECT_EQ(report.frameRateText.ToUtf8(), "FPS= 333");
    EXPECT_EQ(report.drawTimeText.ToUtf8(), "drawtime 3ms");
    EXPECT_EQ(report.StatusText().ToUtf8(), "drawtime 3ms");
}

TEST(FrameTiming, PressingF9AgainRestartsTheCount) {
    ManualClock clock;
    FrameTiming timing(clock.Reader());
    timing.StartMeasurement();
    for (int i = 0; i < 5; ++i) {
        Frame(timing, clock, 10, false);
    }
    timing.StartMeasurement();
    int frames = 0;
    FrameTimingReport report;
    do {
        report = Frame(timing, clock, 10, false);
        ++frames;
    } while (report.repaintAgain);
    EXPECT_EQ(frames, 10);
    EXPECT_EQ(report.frameRateText.ToUtf8(), "FPS= 100");
}

} // namespace
