#pragma once

#include "platform/FontDescription.h"
#include "platform/PageMetrics.h"
#include "platform/PixelBlock.h"

#include <cstdint>
#include <memory>
#include <string_view>

class QPagedPaintDevice;

// Drawing on the pages of a printer or a PDF file. Coordinates are device pixels from the top-left
// corner of the printable area, y down; whatever falls outside that area is cut off, so a picture
// that continues on the next page ends exactly at the page's edge. Colours are 0x00BBGGRR.
class PagePainter {
public:
    PagePainter();
    ~PagePainter();
    PagePainter(const PagePainter&) = delete;
    PagePainter& operator=(const PagePainter&) = delete;

    // Starts the first page. False when the device cannot be painted on (no file, printer gone).
    bool Begin(QPagedPaintDevice& device);
    bool IsActive() const;
    PageMetrics Metrics() const;
    bool NewPage();
    // Finishes the last page. False when the device reports a failure.
    bool End();

    // Copies the pixels onto the rectangle, stretched without smoothing: a printed map shows its
    // pixels as they are, like the published picture.
    void DrawPixels(const PixelBlock& block, double left, double top, double width, double height);
    void DrawLine(double x0, double y0, double x1, double y1, double penWidth, std::uint32_t color);
    void FillRect(double left, double top, double width, double height, std::uint32_t color);
    // Text on a transparent background with its baseline at baselineY. False when no font can be made
    // (no application object).
    bool DrawText(const FontDescription& font, double x, double baselineY, std::u16string_view text,
                  std::uint32_t color);
    // The advance of text in the font on this device; 0 without a font.
    double TextWidth(const FontDescription& font, std::u16string_view text);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
