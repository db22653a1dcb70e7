#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

// A JPEG written as its rows arrive, so a picture is never held whole: Start, then WriteRows for each
// band top first, then Finish. Pixels are in canvas layout, three bytes blue, green, red. The file
// carries the density in dots per inch and the comment JpegFile::kRgbComment, like JpegFile::Encode.
class JpegStreamWriter {
public:
    JpegStreamWriter();
    ~JpegStreamWriter();
    JpegStreamWriter(const JpegStreamWriter&) = delete;
    JpegStreamWriter& operator=(const JpegStreamWriter&) = delete;

    // Quality is clamped to 1..100 and the density to 1..65535. False for a size JPEG cannot hold.
    bool Start(std::FILE* file, int width, int height, int dpi, int quality);
    // count rows of Width() pixels, the top one first.
    bool WriteRows(const std::uint8_t* const* topDownRows, int count);
    // Writes the end of the picture once every row has arrived.
    bool Finish();
    // The library's text for the last failure.
    const std::string& Error() const { return error_; }

private:
    struct Encoder;
    std::unique_ptr<Encoder> encoder_;
    std::string error_;
};
