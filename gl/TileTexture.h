#pragma once

#include "gl/GlErrorReport.h"
#include "gl/TextureLayout.h"
#include "support/Rgb8.h"

#include <cstdint>
#include <vector>

class Matrix3;
class RasterCanvas;

// How one draw of a texture looks: the overlay pass of a tint or a selection highlight on top of the
// picture (or instead of it), faded by opacity.
struct TextureStyle {
    bool overlay = false;
    // The overlay's colour, already lightened for a highlight, and its weight 0 .. 1.
    Rgb8 overlayColor;
    float weight = 0.0f;
    // Only the overlay is drawn: the picture's shape in the overlay colour.
    bool silhouette = false;
    float opacity = 1.0f;
    bool quickDraw = false;
    bool alwaysSmooth = false;
};

// The OpenGL texture of one tile, path or background image: the picture in a power-of-two texture
// with a full mipmap chain. Building, drawing and releasing need the drawing context to be current.
class TileTexture {
public:
    TileTexture() = default;
    // Releases the texture, so the context must be current when the owner goes away.
    ~TileTexture();
    TileTexture(const TileTexture&) = delete;
    TileTexture& operator=(const TileTexture&) = delete;

    // Makes the texture from the image's pixels (replacing any earlier one). The padded copy exists
    // only while the mipmaps are made. False for an image that has no pixels of 3 or 4 bytes.
    bool Build(const RasterCanvas& image, const GlErrorSink& errors);
    // Draws the picture's rectangle (0, 0) .. (width, height), image pixels, mapped by toView (image
    // pixels to view pixels). Texturing must be on. Nothing is drawn without a texture.
    void Draw(const Matrix3& toView, const TextureStyle& style, const GlErrorSink& errors) const;
    // Deletes the texture object; drawing then does nothing.
    void Release();

    unsigned int Name() const { return name_; }
    const TextureLayout& Layout() const { return layout_; }

    // The upload block: textureWidth x textureHeight pixels of `channels` bytes, the image's stored
    // rows at row and column `border`, and with a border the edge pixels copied outwards to the
    // block's ends; without one the rest stays transparent black.
    static std::vector<std::uint8_t> PaddedPixels(const RasterCanvas& image, const TextureLayout& layout);
    // The same block taken at blockWidth x blockHeight (powers of two, at most the texture's size)
    // for a texture larger than the driver or memory allow.
    static std::vector<std::uint8_t> PaddedPixels(const RasterCanvas& image, const TextureLayout& layout,
                                                  int blockWidth, int blockHeight);
    // Texture sides are at most this many pixels, or less where the driver says so: a map view never
    // shows more, and a larger upload block could take gigabytes.
    static constexpr int kMaxSide = 8192;
    static int LargestSide();
    // Makes the bound texture's mipmap chain from a block of 3 or 4 channel pixels, with clamped,
    // linear, linear-mipmap-linear filtering and the replace environment.
    static void UploadMipmaps(const std::uint8_t* pixels, int width, int height, int channels);
    // True where the texture is drawn with nearest sampling: sharp pixels at four times magnification
    // or more, or in Quick Draw, unless the definition always smooths.
    static bool SamplesNearest(const Matrix3& toView, bool quickDraw, bool alwaysSmooth);

private:
    void Quad(const Matrix3& toView) const;

    unsigned int name_ = 0;
    TextureLayout layout_;
};
