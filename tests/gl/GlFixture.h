#pragma once

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace gltest {

// A current compatibility context on an offscreen surface, drawing into a framebuffer object of the
// test's size. Tests are skipped only where no context can be made at all.
class GlFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Binds a new target of width x height pixels and sets the viewport to it.
    void MakeTarget(int width, int height);
    // The target's pixels as 0x00BBGGRR, rows from the bottom up (the frame's view rows).
    std::vector<std::uint32_t> ReadPixels() const;
    std::uint32_t PixelAt(const std::vector<std::uint32_t>& pixels, int viewX, int viewY) const {
        return pixels[static_cast<std::size_t>(viewY) * width_ + viewX];
    }

    QOpenGLContext context_;
    QOffscreenSurface surface_;
    std::unique_ptr<QOpenGLFramebufferObject> target_;
    int width_ = 0;
    int height_ = 0;
};

// Largest difference of the red, green and blue bytes of two 0x00BBGGRR colours.
int ChannelDistance(std::uint32_t a, std::uint32_t b);

} // namespace gltest
