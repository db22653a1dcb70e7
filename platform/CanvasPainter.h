#pragma once

#include "platform/FontDescription.h"
#include "platform/PixelBlock.h"

#include <cstdint>
#include <memory>
#include <string_view>

// Points of platform drawing are client pixels: x to the right, y down from the top row of the picture.
struct ClientPoint {
    int x = 0;
    int y = 0;
};

enum class PenStyle { Solid, Dash, Dot, Null };

// How pens, brushes and text combine with the pixels already there.
enum class RasterOp {
    CopyPen,        // paint the pen or brush colour
    NotDestination, // invert what is there; drawing twice restores it (rubber bands, carets)
    XorPen,         // destination xor pen colour
};

// How stretched copies combine source and destination pixels.
enum class BlitOp { Copy, Xor, And, Or };

// Colour-on-colour drops eliminated pixels (nearest sample, fast); half-tone averages them (smooth).
enum class StretchMode { ColorOnColor, HalfTone };

// What the y of TextOut refers to.
enum class TextAlign { Top, Baseline };

// Platform drawing (lines, shapes, text, stretched copies) straight onto canvas memory, without copying
// the pixels. The memory is in canvas layout: 3 bytes (blue, green, red) or 4 bytes (blue, green, red,
// alpha) per pixel, rows stored bottom-up, stride a multiple of 4. Painting on 4-byte pixels sets alpha
// to 255 where it paints. Colours are 0x00BBGGRR.
//
// Shapes are drawn without anti-aliasing so that edges land on whole pixels and an inverted shape drawn
// twice leaves no trace; text is anti-aliased when its font asks for it.
//
// Drawing state (pen, brush, raster op, text colour and alignment, font, clip) persists between calls
// until changed; Save and Restore push and pop all of it.
class CanvasPainter {
public:
    CanvasPainter();
    ~CanvasPainter();
    CanvasPainter(const CanvasPainter&) = delete;
    CanvasPainter& operator=(const CanvasPainter&) = delete;

    // The memory must stay valid until Detach; attaching again detaches first and resets the state.
    bool Attach(std::uint8_t* pixels, int width, int height, int stride, int bytesPerPixel);
    void Detach();
    bool IsAttached() const;
    int Width() const;
    int Height() const;
    // Makes every drawn pixel visible in the memory; call before touching the pixels directly.
    void Flush();

    void SetPen(PenStyle style, int width, std::uint32_t color); // width 0 or 1: one pixel
    void SetBrush(std::uint32_t color);
    void SetNullBrush();
    void SetRasterOp(RasterOp op);
    void SetTextColor(std::uint32_t color);
    // Transparent (the default) leaves the pixels behind the glyphs alone; opaque fills each text
    // cell with the colour first.
    void SetTextBackground(bool opaque, std::uint32_t color);
    void SetTextAlign(TextAlign align); // Top by default
    bool
    SetFont(const FontDescription& fontDescription); // false when no font can be made (no application object)

    // Clipping, in client pixels; right and bottom exclusive. Later clips replace earlier ones.
    void SetClipRect(int left, int top, int right, int bottom);
    void SetClipPolygon(const ClientPoint* points, int count);
    void ClearClip();
    void Save();
    void Restore();

    // Lines include the start pixel and leave out the end pixel, so connected segments meet exactly.
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void DrawLine(int x0, int y0, int x1, int y1);
    void Polyline(const ClientPoint* points, int count);
    // Filled with the brush and outlined with the pen.
    void Polygon(const ClientPoint* points, int count);
    // Outline through pixels left .. right - 1 and top .. bottom - 1, filled with the brush.
    void Rectangle(int left, int top, int right, int bottom);
    void Ellipse(int left, int top, int right, int bottom);
    // Fills pixels left .. right - 1, top .. bottom - 1 with the colour under the current raster op.
    void FillRect(int left, int top, int right, int bottom, std::uint32_t color);

    // Draws text with the current font, colour, background and alignment, starting at (x, y) along the
    // font's escapement. `advances`, when given, holds one distance per character (pixels from this
    // character's origin to the next one's), overriding the font's own spacing.
    void TextOut(int x, int y, std::u16string_view text, const int* advances = nullptr);

    // Copies the source rectangle (client coordinates of the source picture, y down) onto the
    // destination rectangle, scaling as needed. Negative sizes mirror, as with the platform's own call.
    void StretchBlit(int destLeft, int destTop, int destWidth, int destHeight, const PixelBlock& source,
                     int sourceLeft, int sourceTop, int sourceWidth, int sourceHeight,
                     BlitOp op = BlitOp::Copy, StretchMode mode = StretchMode::ColorOnColor);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
