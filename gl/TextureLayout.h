#pragma once

class RasterCanvas;

// How an image sits in its power-of-two texture. Texture rows follow the image's stored rows: the
// first texture row above the border holds the bottom row of the picture, so `top` is the texture
// coordinate of the picture's bottom edge and `bottom` that of its top edge.
struct TextureLayout {
    // The border that lets linear filtering at the picture's edge read copies of the edge instead of
    // its neighbours in the texture; an image whose whole outer edge is transparent needs none.
    static constexpr int kBorder = 8;

    int imageWidth = 0;
    int imageHeight = 0;
    // 3 (blue, green, red) or 4 (blue, green, red, alpha); 0 for an image that cannot be a texture.
    int channels = 0;
    int border = 0;
    int textureWidth = 0;
    int textureHeight = 0;
    float left = 0.0f;
    float right = 0.0f;
    float top = 0.0f;
    float bottom = 0.0f;

    // The layout of image; all zero for an image without pixels or of another depth.
    static TextureLayout For(const RasterCanvas& image);
    // The smallest power of two not below n (1 for n below 1).
    static int PowerOfTwoAtLeast(int n);
};
