#pragma once

#include "support/WString.h"

#include <cstdint>
#include <functional>

// What a finished frame tells the status bar and the widget.
struct FrameTimingReport {
    // "FPS= <n>" after the tenth frame of a measurement; empty otherwise.
    WString frameRateText;
    // "drawtime <n>ms" when the draw time is shown; empty otherwise.
    WString drawTimeText;
    // A measurement is running: the widget repaints again at once.
    bool repaintAgain = false;

    // The text the status bar ends up showing: the draw time is shown after the frame rate and
    // replaces it. Empty when the frame has nothing to say.
    const WString& StatusText() const { return drawTimeText.IsEmpty() ? frameRateText : drawTimeText; }
};

// The frame-rate measurement started by F9 (ten frames drawn back to back) and the draw time of
// each frame. Times are milliseconds of a monotonic clock.
class FrameTiming {
public:
    using Clock = std::function<std::uint64_t()>;
    static constexpr int kMeasuredFrames = 10;

    // A steady millisecond clock unless the caller supplies its own (tests do).
    explicit FrameTiming(Clock clock = {});

    // F9: the next ten frames are measured.
    void StartMeasurement() { countdown_ = kMeasuredFrames; }
    // Frames still to draw in the running measurement; 0 when idle.
    int Countdown() const { return countdown_; }

    // Around each frame.
    void BeginFrame();
    FrameTimingReport EndFrame(bool showDrawTime);

private:
    std::uint64_t Now() const;

    Clock clock_;
    int countdown_ = 0;
    std::uint64_t measurementStart_ = 0;
    std::uint64_t frameStart_ = 0;
};
