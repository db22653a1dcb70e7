#include "view/tools/PanTool.h"

#include "view/Camera.h"
#include "view/tools/EditSession.h"
#include "view/tools/ToolHost.h"

#include <cstdlib>

double PanTool::ZoomDragFactor(int dyUp) {
    const double travel = std::abs(dyUp) / kZoomDragPixels;
    return dyUp >= 0 ? 1.0 + travel : 1.0 / (1.0 + travel);
}

void PanTool::LeftPress(const PointerEvent& event) {
    pressPt_ = event.client;
    ctx_.camera.BeginPan();
    panning_ = true;
}

void PanTool::LeftRelease(const PointerEvent&) {
    panning_ = false;
    // The press opened the bracket as every press does; a pan changes no tile, so this records nothing.
    ctx_.session.Commit();
}

void PanTool::RightPress(const PointerEvent& event) {
    rightPressPt_ = event.client;
    if (event.Held(kLeftButton | kMiddleButton)) {
        return;
    }
    ctx_.camera.BeginPan();
    zooming_ = true;
}

void PanTool::RightRelease(const PointerEvent&) {
    zooming_ = false;
}

void PanTool::Move(const PointerEvent& event) {
    bool moved = false;
    if (panning_ && event.Held(kLeftButton)) {
        ctx_.camera.PanFromStart(event.client.x - pressPt_.x, event.client.y - pressPt_.y);
        moved = true;
    }
    if (zooming_ && event.Held(kRightButton)) {
        const float pressZoom = ctx_.camera.PanStartMatrix().ScaleFactor(1.0f);
        const double factor = ZoomDragFactor(rightPressPt_.y - event.client.y);
        ctx_.camera.SetZoom(static_cast<float>(pressZoom * factor));
        moved = true;
    }
    if (moved) {
        ctx_.host.Repaint();
    }
}

void PanTool::Cancel() {
    if (!Busy()) {
        return;
    }
    ctx_.camera.SetViewMatrix(ctx_.camera.PanStartMatrix());
    panning_ = zooming_ = false;
    ctx_.session.Cancel();
    ctx_.host.Repaint();
}
