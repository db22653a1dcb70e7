#pragma once

#include "publish/PictureBands.h"

#include <functional>

class GlRenderer;

// A published picture drawn through OpenGL into a framebuffer object, one section at a time, and
// read back into the bands the JPEG writer takes. Nothing is read from a window, so whatever covers
// the window cannot reach the picture, and nothing waits for the screen. Sections are at most the
// driver's largest texture side (and maxSection when given), so any picture the JPEG format holds can
// be drawn; the picture has the size and placement of the software renderer's.
class GlPictureBands : public PictureBands {
public:
    // makeCurrent makes the renderer's context current (false when it cannot); doneCurrent releases
    // it. The context is released while the sink takes each band, as the sink may let the window
    // repaint.
    GlPictureBands(GlRenderer& renderer, std::function<bool()> makeCurrent, std::function<void()> doneCurrent,
                   int maxSection = 0);

    bool Render(CGridvellumDoc& doc, int width, int height, const Matrix3& worldToImage, int bandRows,
                PublishRenderer::BandSink& sink) override;

    // The side of the sections of the last render, in pixels.
    int SectionSide() const { return sectionSide_; }

private:
    int SectionLimit() const;

    GlRenderer& renderer_;
    std::function<bool()> makeCurrent_;
    std::function<void()> doneCurrent_;
    int maxSection_;
    int sectionSide_ = 0;
};
