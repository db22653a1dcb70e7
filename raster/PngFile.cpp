#include "raster/PngFile.h"

#include "raster/ImageFile.h"

#include <png.h>

#include <cstring>

namespace {

constexpr std::size_t kSignatureBytes = 8;
constexpr double kInchesPerMetre = 0.0254;

// The whole file lives in memory; libpng pulls from it through ReadFromMemory.
struct MemorySource {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t position = 0;
};

// libpng reports through these C callbacks. Errors jump back to the setjmp of the guarded call that is
// running; nothing is printed, the message is kept for the caller.
struct ErrorSink {
    char message[128] = "";
};

void OnPngError(png_structp png, png_const_charp message) {
    auto* sink = static_cast<ErrorSink*>(png_get_error_ptr(png));
    if (sink != nullptr) {
        std::strncpy(sink->message, message != nullptr ? message : "PNG error", sizeof sink->message - 1);
    }
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (count > source->size - source->position) {
        png_error(png, "The file ends before the image does");
    }
    std::memcpy(out, source->data + source->position, count);
    source->position += count;
}

// Each guarded step keeps its setjmp in a frame that owns no C++ object, so a jump back from libpng
// never skips a destructor.
bool ReadInfoGuarded(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_read_info(png, info);
    return true;
}

bool RequestExpansionGuarded(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    const int colorType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(png);
    }
    if (bitDepth == 16) {
        png_set_strip_16(png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

bool ReadImageGuarded(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_read_image(png, rows);
    return true;
}

// The packed samples before any expansion must fit in what the compressed data can deliver.
bool FileCanHoldImage(png_structp png, png_infop info, std::size_t fileBytes) {
    const std::uint64_t bitsPerPixel =
        std::uint64_t{png_get_bit_depth(png, info)} * png_get_channels(png, info);
    const std::uint64_t pixels =
        std::uint64_t{png_get_image_width(png, info)} * png_get_image_height(png, info);
    return CompressedDataCanHold(fileBytes, pixels * bitsPerPixel / 8);
}

} // namespace

struct PngFile::Decoder {
    png_structp png = nullptr;
    png_infop info = nullptr;
    MemorySource source;
    ErrorSink errors;

    Decoder() = default;
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    ~Decoder() {
        if (png != nullptr) {
            png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
        }
    }

    bool Create() {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &errors, OnPngError, OnPngWarning);
        if (png == nullptr) {
            return false;
        }
        info = png_create_info_struct(png);
        if (info == nullptr) {
            return false;
        }
        // Refuse absurd sizes before libpng allocates anything for them.
        png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
        png_set_read_fn(png, &source, ReadFromMemory);
        return true;
    }
};

PngFile::PngFile() = default;
PngFile::~PngFile() = default;

const char* PngFile::Error() const {
    return decoder_ != nullptr ? decoder_->errors.message : "";
}

bool PngFile::ReadHeader(const std::uint8_t* data, std::size_t size) {
    decoder_ = std::make_unique<Decoder>();
    if (data == nullptr || size < kSignatureBytes || png_sig_cmp(data, 0, kSignatureBytes) != 0) {
        std::strcpy(decoder_->errors.message, "Not a PNG file");
        return false;
    }
    if (!decoder_->Create()) {
        return false;
    }
    decoder_->source = MemorySource{data, size, kSignatureBytes};
    png_set_sig_bytes(decoder_->png, kSignatureBytes);
    if (!ReadInfoGuarded(decoder_->png, decoder_->info) ||
        !FileCanHoldImage(decoder_->png, decoder_->info, size) ||
        !RequestExpansionGuarded(decoder_->png, decoder_->info)) {
        return false;
    }
    png_structp png = decoder_->png;
    png_infop info = decoder_->info;
    width_ = static_cast<int>(png_get_image_width(png, info));
    height_ = static_cast<int>(png_get_image_height(png, info));
    bytesPerPixel_ = png_get_channels(png, info) == 4 ? 4 : 3;
    if (png_get_channels(png, info) < 3 || png_get_bit_depth(png, info) != 8 ||
        png_get_rowbytes(png, info) != static_cast<std::size_t>(width_) * bytesPerPixel_) {
        std::strcpy(decoder_->errors.message, "Unsupported PNG layout");
        return false;
    }
    if (!ImageSizeAllowed(width_, height_, bytesPerPixel_)) {
        std::strcpy(decoder_->errors.message, "Image too large");
        return false;
    }
    png_uint_32 xPerUnit = 0;
    png_uint_32 yPerUnit = 0;
    int unit = PNG_RESOLUTION_UNKNOWN;
    if (png_get_pHYs(png, info, &xPerUnit, &yPerUnit, &unit) != 0 && unit == PNG_RESOLUTION_METER) {
        dpi_ = static_cast<int>((xPerUnit > yPerUnit ? xPerUnit : yPerUnit) * kInchesPerMetre);
    }
    return true;
}

bool PngFile::ReadRows(std::uint8_t* const* topDownRows) {
    if (decoder_ == nullptr || decoder_->png == nullptr || width_ <= 0 || topDownRows == nullptr) {
        return false;
    }
    return ReadImageGuarded(decoder_->png, const_cast<png_bytepp>(topDownRows));
}
