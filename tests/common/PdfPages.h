#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads a printed PDF back the way a person would look at it: each page as a picture (through
// pdftoppm) and as text (through pdftotext).
namespace testsupport {

struct PagePicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // top row first

    // 0x00RRGGBB of the pixel at (x, y), y down.
    std::uint32_t Pixel(int x, int y) const;
};

// Pixels of a picture that pass a test, as a box: right and bottom exclusive; count 0 when none.
struct PixelBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    long long count = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// Pixels whose red, green and blue are each within tolerance of color.
PixelBox BoxOfColor(const PagePicture& picture, std::uint32_t color, int tolerance = 40);

int PdfPageCount(const std::string& pdf);
// A part of a page in pixels of its picture.
struct PageArea {
    int left = 0;
    int top = 0;
    int width = 0; // 0: the whole page
    int height = 0;
};

// Page number page (from 1) at dpi dots per inch; an empty picture when it cannot be rendered.
PagePicture RenderPdfPage(const std::string& pdf, int page, int dpi, const PageArea& area = PageArea());
// The text on one page, or on all pages when page is 0.
std::string PdfText(const std::string& pdf, int page = 0);

} // namespace testsupport
