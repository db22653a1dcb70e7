#pragma once

#include "gl/GlErrorReport.h"
#include "gl/TextTexture.h"
#include "platform/FontDescription.h"
#include "raster/DcRasterCanvas.h"
#include "support/Rgb8.h"
#include "support/Vec2.h"
#include "support/WString.h"

#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

// The glyph cache through which OpenGL draws text tiles: each character is rendered once, white on
// black, into a 128 x 128 cell by the platform's font and kept as a texture; a text is then one
// textured quadrilateral per character, stretched and turned as the tile is.
class TextFont {
public:
    static constexpr int kCellSize = 128;
    // The glyph height and the baseline (from the cell's top) are 0.66 of the cell.
    static constexpr int kGlyphHeight = 84;
    // Longer face names are cut, as the platform's font names are.
    static constexpr int kMaxFaceLength = 31;

    TextFont();
    // Releases the cached textures: the drawing context must be current.
    ~TextFont();
    TextFont(const TextFont&) = delete;
    TextFont& operator=(const TextFont&) = delete;

    // Releases the cache and takes the face for every glyph made from now on.
    void Setup(const WString& fontName);
    const WString& FontName() const { return fontName_; }
    // Releases the cache; the next text draws again from the face it was set up with.
    void Clear();
    int CachedGlyphCount() const { return static_cast<int>(glyphs_.size()); }
    void SetErrorSink(GlErrorSink errors) { errors_ = std::move(errors); }

    // Draws text from origin (view pixels) along angle (radians, counter-clockwise), each glyph cell
    // size pixels high and size * ratio wide. advances[i] is where character i + 1 starts, in pixels
    // from origin along the text. Texturing must be on. Characters without an advance are left out.
    void Draw(const Rgb8& color, const Vec2& origin, double size, double ratio, double angle,
              const WString& text, const std::vector<double>& advances);

    // The cell as the glyph texture of character is made from, white on black; exposed for checks.
    const RasterCanvas& RenderCell(char16_t character);

private:
    const TextTexture& Glyph(char16_t character);

    WString fontName_;
    FontDescription font_;
    DcRasterCanvas cell_;
    std::unordered_map<char16_t, std::unique_ptr<TextTexture>> glyphs_;
    GlErrorSink errors_;
};
