#include "gl/TileTexture.h"

#include "raster/RasterCanvas.h"
#include "support/Matrix3.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

namespace {

// From four times magnification on a tile shows its pixels sharp.
constexpr float kSharpScale = 4.0f;

void Color(const Rgb8& color, float alpha) {
    glColor4f(color.r / 255.0f, color.g / 255.0f, color.b / 255.0f, alpha);
}

void OpaqueBlack() {
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
}

} // namespace

TileTexture::~TileTexture() {
    Release();
}

void TileTexture::Release() {
    if (name_ != 0) {
        const GLuint name = name_;
        glDeleteTextures(1, &name);
        name_ = 0;
    }
    layout_ = TextureLayout{};
}

std::vector<std::uint8_t> TileTexture::PaddedPixels(const RasterCanvas& image, const TextureLayout& layout) {
    const std::size_t pixel = static_cast<std::size_t>(layout.channels);
    const std::size_t rowBytes = static_cast<std::size_t>(layout.textureWidth) * pixel;
    std::vector<std::uint8_t> block(rowBytes * static_cast<std::size_t>(layout.textureHeight), 0);
    if (layout.channels == 0) {
        return block;
    }
    const int border = layout.border;
    const int width = layout.imageWidth;
    auto row = [&](int y) { return block.data() + static_cast<std::size_t>(y) * rowBytes; };
    for (int y = 0; y < layout.imageHeight; ++y) {
        std::uint8_t* target = row(border + y);
        std::memcpy(target + static_cast<std::size_t>(border) * pixel, image.Rows()[y],
                    static_cast<std::size_t>(width) * pixel);
        if (border == 0) {
            continue;
        }
        // The first pixel fills the border on the left, the last every column up to the texture's end.
        const std::uint8_t* first = target + static_cast<std::size_t>(border) * pixel;
        const std::uint8_t* last = target + static_cast<std::size_t>(border + width - 1) * pixel;
        for (int x = 0; x < border; ++x) {
            std::memcpy(target + static_cast<std::size_t>(x) * pixel, first, pixel);
        }
        for (int x = border + width; x < layout.textureWidth; ++x) {
            std::memcpy(target + static_cast<std::size_t>(x) * pixel, last, pixel);
        }
    }
    if (border != 0) {
        for (int y = 0; y < border; ++y) {
            std::memcpy(row(y), row(border), rowBytes);
        }
        for (int y = border + layout.imageHeight; y < layout.textureHeight; ++y) {
            std::memcpy(row(y), row(border + layout.imageHeight - 1), rowBytes);
        }
    }
    return block;
}

void TileTexture::UploadMipmaps(const std::uint8_t* pixels, int width, int height, int channels) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    // Rows of three-byte pixels are packed without padding.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const GLenum format = channels == 4 ? GL_BGRA : GL_BGR;
    gluBuild2DMipmaps(GL_TEXTURE_2D, channels, width, height, format, GL_UNSIGNED_BYTE, pixels);
}

bool TileTexture::Build(const RasterCanvas& image, const GlErrorSink& errors) {
    Release();
    const TextureLayout layout = TextureLayout::For(image);
    if (layout.channels == 0) {
        return false;
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    {
        const std::vector<std::uint8_t> block = PaddedPixels(image, layout);
        UploadMipmaps(block.data(), layout.textureWidth, layout.textureHeight, layout.channels);
    }
    name_ = name;
    layout_ = layout;
    GlErrorReport::Check(errors);
    return true;
}

bool TileTexture::SamplesNearest(const Matrix3& toView, bool quickDraw, bool alwaysSmooth) {
    return !alwaysSmooth && (quickDraw || toView.ScaleFactor(1.0f) >= kSharpScale);
}

void TileTexture::Quad(const Matrix3& toView) const {
    const float width = static_cast<float>(layout_.imageWidth);
    const float height = static_cast<float>(layout_.imageHeight);
    const Vec2 corners[4] = {toView.TransformPoint(Vec2(0, 0)), toView.TransformPoint(Vec2(width, 0)),
                             toView.TransformPoint(Vec2(width, height)),
                             toView.TransformPoint(Vec2(0, height))};
    const float s[4] = {layout_.left, layout_.right, layout_.right, layout_.left};
    const float t[4] = {layout_.top, layout_.top, layout_.bottom, layout_.bottom};
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        glTexCoord2f(s[i], t[i]);
        glVertex2f(corners[i].X(), corners[i].Y());
    }
    glEnd();
}

void TileTexture::Draw(const Matrix3& toView, const TextureStyle& style, const GlErrorSink& errors) const {
    if (name_ == 0 || layout_.textureWidth <= 0 || layout_.textureHeight <= 0) {
        return;
    }
    glBindTexture(GL_TEXTURE_2D, name_);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    if (SamplesNearest(toView, style.quickDraw, style.alwaysSmooth)) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    }
    const bool faded = style.opacity < 1.0f;
    if (faded) {
        glColor4f(1.0f, 1.0f, 1.0f, style.opacity);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    if (!(style.overlay && style.silhouette)) {
        Quad(toView);
    }
    if (faded) {
        OpaqueBlack();
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    }
    if (style.overlay) {
        // The blend environment takes the colour from the environment and the alpha from the texel:
        // the picture's shape in the overlay colour, laid on with the weight.
        const GLfloat environment[4] = {style.overlayColor.r / 255.0f, style.overlayColor.g / 255.0f,
                                        style.overlayColor.b / 255.0f, 0.5f};
        Color(style.overlayColor, style.opacity * style.weight);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
        glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, environment);
        Quad(toView);
        OpaqueBlack();
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    }
    GlErrorReport::Check(errors);
}
