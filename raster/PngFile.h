#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Decoder and encoder for PNG files held in memory. Every colour type is expanded to 8-bit blue, green, red
// and, when the file carries alpha (an alpha channel or a transparency chunk), alpha: the canvas layout.
// Decoding happens in two steps so that the caller can size its storage between them.
class PngFile {
public:
    PngFile();
    ~PngFile();
    PngFile(const PngFile&) = delete;
    PngFile& operator=(const PngFile&) = delete;

    // Checks the signature, reads the header and asks for the expansions. `data` must stay alive until
    // ReadRows has returned. False for anything that is not a PNG or whose size is out of bounds.
    bool ReadHeader(const std::uint8_t* data, std::size_t size);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BytesPerPixel() const { return bytesPerPixel_; } // 3 or 4 after expansion
    int Dpi() const { return dpi_; }                     // 0 when the file gives no size in metres

    // Decodes the whole image into rows of Width() * BytesPerPixel() bytes, `topDownRows[0]` being the
    // top row of the picture. On failure the rows decoded so far stay written.
    bool ReadRows(std::uint8_t* const* topDownRows);

    const char* Error() const;

    // Compresses rows in canvas layout (3 bytes blue, green, red, or 4 with alpha), top row first, into
    // `out` as 8-bit RGB or RGBA. A dpi above 0 is stored as the pixel size. On failure error, when
    // given, holds the library's text.
    static bool Encode(const std::uint8_t* const* topDownRows, int width, int height, int bytesPerPixel,
                       int dpi, std::vector<std::uint8_t>& out, std::string* error = nullptr);

private:
    struct Decoder;
    std::unique_ptr<Decoder> decoder_;
    int width_ = 0;
    int height_ = 0;
    int bytesPerPixel_ = 0;
    int dpi_ = 0;
};
