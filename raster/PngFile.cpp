#include "raster/PngFile.h"

#include "raster/ImageFile.h"

#include <png.h>

#include <cmath>
#include <cstring>
#include <new>

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

// The encoded bytes grow in a vector. Running out of memory must not unwind through libpng's C
// frames, so the callback turns it into a libpng error after the handler has ended.
void WriteToVector(png_structp png, png_bytep data, png_size_t count) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    bool stored = true;
    try {
        out->insert(out->end(), data, data + count);
    } catch (const std::bad_alloc&) {
        stored = false;
    }
    if (!stored) {
        png_error(png, "Not enough memory for the image");
    }
}

void FlushNothing(png_structp) {}

struct EncodeJob {
    const std::uint8_t* const* rows;
    int width;
    int height;
    int bytesPerPixel;
    int dpi;
};

bool WriteGuarded(png_structp png, png_infop info, const EncodeJob* job) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    const int colorType = job->bytesPerPixel == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    png_set_IHDR(png, info, static_cast<png_uint_32>(job->width), static_cast<png_uint_32>(job->height), 8,
                 colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (job->dpi > 0) {
        const auto perMetre = static_cast<png_uint_32>(std::lround(job->dpi / kInchesPerMetre));
        png_set_pHYs(png, info, perMetre, perMetre, PNG_RESOLUTION_METER);
    }
    png_write_info(png, info);
    png_set_bgr(png);
    png_write_image(png, const_cast<png_bytepp>(job->rows));
    png_write_end(png, nullptr);
    return true;
}

// Owner of libpng's write structures.
struct Encoder {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ErrorSink errors;

    Encoder() = default;
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;
    ~Encoder() {
        if (png != nullptr) {
            png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
        }
    }

    bool Create(std::vector<std::uint8_t>& out) {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &errors, OnPngError, OnPngWarning);
        if (png == nullptr) {
            return false;
        }
        info = png_create_info_struct(png);
        if (info == nullptr) {
            return false;
        }
        png_set_write_fn(png, &out, WriteToVector, FlushNothing);
        return true;
    }
};

bool EncodeFailed(std::string* error, const char* text) {
    if (error != nullptr) {
        *error = text != nullptr && *text != '\0' ? text : "Not enough memory for the image";
    }
    return false;
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

bool PngFile::Encode(const std::uint8_t* const* topDownRows, int width, int height, int bytesPerPixel,
                     int dpi, std::vector<std::uint8_t>& out, std::string* error) {
    out.clear();
    if (topDownRows == nullptr || (bytesPerPixel != 3 && bytesPerPixel != 4) ||
        !ImageSizeAllowed(width, height, bytesPerPixel)) {
        return EncodeFailed(error, "Image size not allowed for PNG");
    }
    Encoder encoder;
    if (!encoder.Create(out)) {
        return EncodeFailed(error, nullptr);
    }
    const EncodeJob job{topDownRows, width, height, bytesPerPixel, dpi};
    if (!WriteGuarded(encoder.png, encoder.info, &job)) {
        out.clear();
        return EncodeFailed(error, encoder.errors.message);
    }
    return true;
}
