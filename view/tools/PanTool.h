#pragma once

#include "view/tools/MapTool.h"
#include "view/tools/ToolContext.h"

// Moves the camera with the left button and zooms with the right one: 100 pixels up doubles the zoom
// the press found, 100 pixels down halves it. Both restart from the camera of the press, so rounding
// never accumulates and Escape can put the view back.
class PanTool : public MapTool {
public:
    static constexpr const char16_t* kStatusText =
        u"Pan Tool : Left drag to pan view.  Right drag up/down to zoom view in and out.  Mouse wheel zooms "
        u"in/out.";
    // Mouse travel that doubles (up) or halves (down) the zoom of the press.
    static constexpr double kZoomDragPixels = 100.0;

    explicit PanTool(ToolContext& context) : ctx_(context) {}

    // The zoom factor a right drag of dyUp pixels (positive upward) gives, relative to the press.
    static double ZoomDragFactor(int dyUp);

    void LeftPress(const PointerEvent& event) override;
    void LeftRelease(const PointerEvent& event) override;
    void RightPress(const PointerEvent& event) override;
    void RightRelease(const PointerEvent& event) override;
    void Move(const PointerEvent& event) override;
    bool Busy() const override { return panning_ || zooming_; }
    // Releasing SPACE in the middle of a pan keeps the view where the pan took it.
    void Deactivate() override {}
    void Cancel() override;
    CursorShape Cursor() const override { return CursorShape::Pan; }
    WString StatusText() const override { return kStatusText; }

private:
    ToolContext& ctx_;
    ClientPoint pressPt_;
    ClientPoint rightPressPt_;
    bool panning_ = false;
    bool zooming_ = false;
};
