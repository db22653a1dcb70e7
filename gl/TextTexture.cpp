#include "gl/TextTexture.h"

#include "gl/GlColor.h"
#include "gl/TextureLayout.h"
#include "gl/TileTexture.h"
#include "raster/RasterCanvas.h"

#include <GL/gl.h>

TextTexture::~TextTexture() {
    Release();
}

void TextTexture::Release() {
    if (name_ != 0) {
        const GLuint name = name_;
        glDeleteTextures(1, &name);
        name_ = 0;
    }
}

std::vector<std::uint8_t> TextTexture::CoverageBlock(const RasterCanvas& cell) {
    const int width = cell.Width();
    const int height = cell.Height();
    std::vector<std::uint8_t> block(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    std::uint8_t* out = block.data();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = cell.Rows()[y];
        for (int x = 0; x < width; ++x, in += 3, out += 4) {
            out[0] = out[1] = out[2] = 255;
            out[3] = static_cast<std::uint8_t>((in[0] + in[1] + in[2]) / 3);
        }
    }
    return block;
}

bool TextTexture::BuildText(const RasterCanvas& cell, const GlErrorSink& errors) {
    Release();
    const int width = cell.Width();
    const int height = cell.Height();
    if (!cell.HasPixels() || cell.BytesPerPixel() != 3 || width != TextureLayout::PowerOfTwoAtLeast(width) ||
        height != TextureLayout::PowerOfTwoAtLeast(height)) {
        return false;
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    {
        const std::vector<std::uint8_t> block = CoverageBlock(cell);
        TileTexture::UploadMipmaps(block.data(), width, height, 4);
    }
    name_ = name;
    GlErrorReport::Check(errors);
    return true;
}

void TextTexture::DrawText(const Rgb8& color, const std::array<Vec2, 4>& corners,
                           const GlErrorSink& errors) const {
    if (name_ == 0) {
        return;
    }
    glBindTexture(GL_TEXTURE_2D, name_);
    // Blending with an opaque environment colour paints that colour wherever the glyph covers.
    const GLfloat environment[4] = {color.r / 255.0f, color.g / 255.0f, color.b / 255.0f, 1.0f};
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, environment);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    SetGlOpaqueBlack();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(corners[0].X(), corners[0].Y());
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(corners[2].X(), corners[2].Y());
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(corners[3].X(), corners[3].Y());
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(corners[1].X(), corners[1].Y());
    glEnd();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    GlErrorReport::Check(errors);
}
