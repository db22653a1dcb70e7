#include "gl/TileTexture.h"

#include "gl/GlColor.h"
#include "raster/RasterCanvas.h"
#include "support/Matrix3.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// From four times magnification on a tile shows its pixels sharp.
constexpr float kSharpScale = 4.0f;

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

std::vector<std::uint8_t> TileTexture::PaddedPixels(const RasterCanvas& image, const TextureLayout& layout,
                                                    int blockWidth, int blockHeight) {
    if (blockWidth >= layout.textureWidth && blockHeight >= layout.textureHeight) {
        return PaddedPixels(image, layout);
    }
    const std::size_t pixel = static_cast<std::size_t>(layout.channels);
    std::vector<std::uint8_t> block(static_cast<std::size_t>(blockWidth) * blockHeight * pixel, 0);
    if (layout.channels == 0) {
        return block;
    }
    // Each block pixel takes the padded texture's pixel at its lower-left corner: the image pixel
    // there, the nearest edge pixel in the border, or transparent black beyond an image without one.
    auto source = [&](int at, int blockSize, int textureSize, int imageSize) {
        const int padded = static_cast<int>(static_cast<long long>(at) * textureSize / blockSize);
        const int inImage = padded - layout.border;
        if (layout.border != 0) {
            return std::clamp(inImage, 0, imageSize - 1);
        }
        return inImage < imageSize ? inImage : -1;
    };
    std::vector<int> columns(static_cast<std::size_t>(blockWidth));
    for (int x = 0; x < blockWidth; ++x) {
        columns[static_cast<std::size_t>(x)] = source(x, blockWidth, layout.textureWidth, layout.imageWidth);
    }
    std::uint8_t* out = block.data();
    for (int y = 0; y < blockHeight; ++y) {
        const int row = source(y, blockHeight, layout.textureHeight, layout.imageHeight);
        for (int x = 0; x < blockWidth; ++x, out += pixel) {
            const int column = columns[static_cast<std::size_t>(x)];
            if (row >= 0 && column >= 0) {
                std::memcpy(out, image.Rows()[row] + static_cast<std::size_t>(column) * pixel, pixel);
            }
        }
    }
    return block;
}

int TileTexture::LargestSide() {
    GLint driverLimit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &driverLimit);
    return driverLimit > 0 ? std::min<int>(driverLimit, kMaxSide) : kMaxSide;
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
    // A picture larger than a texture may be is taken at a lower resolution; its texture coordinates
    // stay, as both sides shrink by powers of two.
    const int side = LargestSide();
    const int blockWidth = std::min(layout.textureWidth, side);
    const int blockHeight = std::min(layout.textureHeight, side);
    GLuint name = 0;
    {
        std::vector<std::uint8_t> block;
        try {
            block = PaddedPixels(image, layout, blockWidth, blockHeight);
        } catch (const std::bad_alloc&) {
            return false;
        }
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        UploadMipmaps(block.data(), blockWidth, blockHeight, layout.channels);
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
        SetGlOpaqueBlack();
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    }
    if (style.overlay) {
        // The blend environment takes the colour from the environment and the alpha from the texel:
        // the picture's shape in the overlay colour, laid on with the weight.
        const GLfloat environment[4] = {style.overlayColor.r / 255.0f, style.overlayColor.g / 255.0f,
                                        style.overlayColor.b / 255.0f, 0.5f};
        SetGlColor(style.overlayColor, style.opacity * style.weight);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
        glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, environment);
        Quad(toView);
        SetGlOpaqueBlack();
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    }
    GlErrorReport::Check(errors);
}
