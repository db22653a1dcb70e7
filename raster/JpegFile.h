#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// JPEG reading and writing in the canvas layout (blue, green, red and optionally alpha per pixel).
// A 32-bit canvas travels as a four-component image declared CMYK that holds blue, green, red, alpha;
// the comment "IGC:CMYK=RGBA" tells our reader to restore it instead of converting inks to colours.
class JpegFile {
public:
    enum class Layout { Grey, Rgb, Rgba, Cmyk };

    JpegFile();
    ~JpegFile();
    JpegFile(const JpegFile&) = delete;
    JpegFile& operator=(const JpegFile&) = delete;

    // Reads the header, the density and the comments. `data` must stay alive until ReadRows has returned.
    bool ReadHeader(const std::uint8_t* data, std::size_t size);

    int Width() const { return width_; }
    int Height() const { return height_; }
    Layout PixelLayout() const { return layout_; }
    int BytesPerPixel() const { return layout_ == Layout::Rgba ? 4 : 3; }
    int Dpi() const { return dpi_; } // 0 when the file gives no usable density

    // Decodes rows top first into `topDownRows` (Width() * BytesPerPixel() bytes each). A decoding
    // error stops the read: the rows written so far stay and the result is false.
    bool ReadRows(std::uint8_t* const* topDownRows);
    // The library's text for the last failure ("Not a JPEG file: starts with 0x89 0x50").
    const char* Error() const;

    // Compresses rows in canvas layout (3 or 4 bytes per pixel), top row first, into `out`.
    // Quality is clamped to 0..100. On failure error, when given, holds the library's text.
    static bool Encode(const std::uint8_t* const* topDownRows, int width, int height, int bytesPerPixel,
                       int dpi, int quality, std::vector<std::uint8_t>& out, std::string* error = nullptr);

    // Colour of printing inks (each 0..255, cyan, magenta, yellow, black) as blue, green, red.
    static void CmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr);

    static constexpr const char* kRgbComment = "IGC:RGB";
    static constexpr const char* kRgbaComment = "IGC:CMYK=RGBA";

private:
    struct Decoder;
    std::unique_ptr<Decoder> decoder_;
    int width_ = 0;
    int height_ = 0;
    int dpi_ = 0;
    Layout layout_ = Layout::Rgb;
};
