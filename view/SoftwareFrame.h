#pragma once

#include "raster/DcRasterCanvas.h"
#include "view/FrameTiming.h"
#include "view/StretchedBackground.h"

#include <cstdint>

class Camera;
class CanvasPainter;
class CGridvellumDoc;
class FrameOverlays;
class SettingsStore;

// One frame of the map view drawn by the program's own renderer into a screen-sized 32-bit canvas:
// background, grid, the document's tiles, a black border, the tools' overlays and the resize
// handles. The widget that owns it copies Canvas() to the window in one block (its fourth byte is
// padding, not opacity), so the window never shows a half-drawn frame.
class SoftwareFrame {
public:
    static constexpr const char16_t* kQuickDrawKey = u"QuickDraw";

    explicit SoftwareFrame(FrameTiming::Clock clock = {});

    // Draws the document as the camera sees it, for the camera's client size. Nothing is drawn while
    // the client area is empty; the timing report is still made. The report says what the status bar
    // shows and whether a frame-rate measurement wants the next frame at once.
    FrameTimingReport Draw(const Camera& camera, CGridvellumDoc& doc, const FrameOverlays& overlays);

    DcRasterCanvas& Canvas() { return canvas_; }
    const DcRasterCanvas& Canvas() const { return canvas_; }

    // Quick Draw: nearest sampling for tiles and a colour-on-colour (instead of a smoothing) stretch
    // of the background picture. Stored as one byte under kQuickDrawKey.
    bool QuickDraw() const { return quickDraw_; }
    void SetQuickDraw(bool on) { quickDraw_ = on; }
    // Present and not 0 means on.
    void LoadQuickDraw(const SettingsStore& settings);
    // Flips the switch and writes it at once.
    void ToggleQuickDraw(SettingsStore& settings);

    // F9 and the frame counter.
    FrameTiming& Timing() { return timing_; }

    // The drawn grid: lines every drawGridSize world units through the visible area, one pixel wide,
    // in client pixels, written straight into target's pixels. No lines for a size of 0 or less.
    static void DrawGrid(RasterCanvas& target, const Camera& camera, int drawGridSize, std::uint32_t color);

private:
    DcRasterCanvas canvas_;
    StretchedBackground background_;
    FrameTiming timing_;
    bool quickDraw_ = false;
};
