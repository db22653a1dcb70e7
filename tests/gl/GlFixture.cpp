#include "GlFixture.h"

#include "gl/GlRenderer.h"

#include <QSurfaceFormat>

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>

namespace gltest {

namespace {

// The full run (scripts/test, and so CI) asks for a context: there a missing one is a failure,
// not a reason to skip.
bool ContextRequired() {
    const char* required = std::getenv("GV_REQUIRE_GL");
    return required != nullptr && required[0] == '1';
}

} // namespace

void GlFixture::SetUp() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    context_.setFormat(format);
    if (!context_.create()) {
        if (ContextRequired()) {
            FAIL() << "no OpenGL context can be made, and GV_REQUIRE_GL asks for one";
        }
        GTEST_SKIP() << "no OpenGL context can be made here";
    }
    surface_.setFormat(context_.format());
    surface_.create();
    if (!surface_.isValid() || !context_.makeCurrent(&surface_)) {
        if (ContextRequired()) {
            FAIL() << "the OpenGL context cannot be made current, and GV_REQUIRE_GL asks for one";
        }
        GTEST_SKIP() << "the OpenGL context cannot be made current";
    }
    GlRenderer::SetInitialState();
}

void GlFixture::TearDown() {
    target_.reset();
    context_.doneCurrent();
}

void GlFixture::MakeTarget(int width, int height) {
    target_ = std::make_unique<QOpenGLFramebufferObject>(width, height);
    ASSERT_TRUE(target_->isValid());
    ASSERT_TRUE(target_->bind());
    width_ = width;
    height_ = height;
    glViewport(0, 0, width, height);
}

std::vector<std::uint32_t> GlFixture::ReadPixels() const {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width_) * height_ * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width_) * height_);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<std::uint32_t>(bytes[i * 4]) |
                    (static_cast<std::uint32_t>(bytes[i * 4 + 1]) << 8) |
                    (static_cast<std::uint32_t>(bytes[i * 4 + 2]) << 16);
    }
    return pixels;
}

int ChannelDistance(std::uint32_t a, std::uint32_t b) {
    int distance = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        distance = std::max(distance, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                               static_cast<int>((b >> shift) & 0xFF)));
    }
    return distance;
}

} // namespace gltest
