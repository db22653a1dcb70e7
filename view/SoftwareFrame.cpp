#include "view/SoftwareFrame.h"

#include "document/CGridvellumDoc.h"
#include "document/ProgramState.h"
#include "support/SettingsStore.h"
#include "view/Camera.h"
#include "view/FrameComposer.h"
#include "view/SoftwareRenderer.h"

#include <utility>
#include <vector>

SoftwareFrame::SoftwareFrame(FrameTiming::Clock clock) : timing_(std::move(clock)) {
    canvas_.SetBitsPerPixel(32);
}

void SoftwareFrame::LoadQuickDraw(const SettingsStore& settings) {
    std::vector<std::uint8_t> bytes;
    quickDraw_ = settings.ReadBinary(kQuickDrawKey, bytes) && !bytes.empty() && bytes.front() != 0;
}

void SoftwareFrame::ToggleQuickDraw(SettingsStore& settings) {
    quickDraw_ = !quickDraw_;
    const std::uint8_t byte = quickDraw_ ? 1 : 0;
    settings.WriteBinary(kQuickDrawKey, &byte, 1);
}

FrameTimingReport SoftwareFrame::Draw(const Camera& camera, CGridvellumDoc& doc,
                                      const FrameOverlays& overlays) {
    timing_.BeginFrame();
    const ProgramState& state = doc.State();
    if (camera.ClientWidth() < 1 || camera.ClientHeight() < 1 ||
        !canvas_.EnsureSize(camera.ClientWidth(), camera.ClientHeight())) {
        return timing_.EndFrame(state.showDrawTime);
    }
    SoftwareRenderer renderer(canvas_, &background_);
    FrameComposer(renderer, doc).ComposeView(camera, overlays, quickDraw_);
    return timing_.EndFrame(state.showDrawTime);
}

void SoftwareFrame::DrawGrid(RasterCanvas& target, const Camera& camera, int drawGridSize,
                             std::uint32_t color) {
    SoftwareRenderer::DrawGrid(target, camera, camera.VisibleWorld(), drawGridSize, color);
}
