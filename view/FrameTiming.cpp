#include "view/FrameTiming.h"

#include <chrono>
#include <utility>

FrameTiming::FrameTiming(Clock clock) : clock_(std::move(clock)) {}

std::uint64_t FrameTiming::Now() const {
    if (clock_) {
        return clock_();
    }
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

void FrameTiming::BeginFrame() {
    frameStart_ = Now();
    if (countdown_ == kMeasuredFrames) {
        measurementStart_ = frameStart_;
    }
}

FrameTimingReport FrameTiming::EndFrame(bool showDrawTime) {
    FrameTimingReport report;
    const std::uint64_t now = Now();
    if (countdown_ > 0) {
        --countdown_;
        if (countdown_ == 0) {
            // Ten frames inside one clock tick would divide by zero; count them as one millisecond.
            const std::uint64_t elapsed = now > measurementStart_ ? now - measurementStart_ : 1;
            const double seconds = static_cast<double>(elapsed) / 1000.0;
            report.frameRateText = u"FPS= ";
            report.frameRateText.AppendInt(static_cast<long long>(kMeasuredFrames / seconds));
        } else {
            report.repaintAgain = true;
        }
    }
    if (showDrawTime) {
        const std::uint64_t drawTime = now >= frameStart_ ? now - frameStart_ : 0;
        report.drawTimeText = u"drawtime ";
        report.drawTimeText.AppendInt(static_cast<long long>(drawTime));
        report.drawTimeText += u"ms";
    }
    return report;
}
