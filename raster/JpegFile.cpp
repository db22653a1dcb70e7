#include "raster/JpegFile.h"

#include "raster/ImageFile.h"
#include "raster/JpegEncoding.h"

#include <cstdio> // jpeglib.h needs FILE declared first

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kKeptCommentBytes = 20;
// Hostile files can make the decoder chew for minutes: a flood of corrupt-data warnings or thousands
// of progressive scans over a large image. Real pictures stay far below both limits.
constexpr int kMaxWarnings = 1000;
constexpr int kMaxScans = 500;
constexpr long kMaxDecoderMemory = 1L << 30;
constexpr double kCentimetresPerInch = 2.54;

// libjpeg reports through these C callbacks. Errors jump back to the setjmp of the guarded call that is
// running; nothing reaches stderr, the message is kept for the caller.
struct ErrorTrap {
    jpeg_error_mgr manager; // first member: libjpeg hands back a pointer to it
    std::jmp_buf jump;
    int warnings;
    char message[JMSG_LENGTH_MAX];
};

ErrorTrap* TrapOf(j_common_ptr info) {
    return reinterpret_cast<ErrorTrap*>(info->err);
}

[[noreturn]] void AbortWith(j_common_ptr info, const char* message) {
    ErrorTrap* trap = TrapOf(info);
    std::snprintf(trap->message, sizeof trap->message, "%s", message);
    std::longjmp(trap->jump, 1);
}

void OnJpegError(j_common_ptr info) {
    ErrorTrap* trap = TrapOf(info);
    (*info->err->format_message)(info, trap->message);
    std::longjmp(trap->jump, 1);
}

void OnJpegMessage(j_common_ptr info, int level) {
    if (level >= 0) {
        return;
    }
    // Entropy data that stops short (a cut file, or a marker where data should be) would be finished
    // with filler and called a success; the rows that did arrive stay, but the load reports the damage.
    // A file that only lacks its end marker loses nothing and still loads.
    if (info->err->msg_code == JWRN_HIT_MARKER) {
        AbortWith(info, "The image data ends early");
    }
    if (++TrapOf(info)->warnings > kMaxWarnings) {
        AbortWith(info, "Too many errors in JPEG data");
    }
}

void OnJpegOutput(j_common_ptr) {}

void OnDecodeProgress(j_common_ptr info) {
    if (!info->is_decompressor) {
        return;
    }
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
        AbortWith(info, "Too many scans in JPEG data");
    }
}

void InstallTrap(ErrorTrap& trap, j_common_ptr info) {
    info->err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = OnJpegError;
    trap.manager.emit_message = OnJpegMessage;
    trap.manager.output_message = OnJpegOutput;
    trap.warnings = 0;
    trap.message[0] = '\0';
}

// Each guarded step keeps its setjmp in a frame that owns no C++ object, so a jump back from libjpeg
// never skips a destructor.
bool CreateDecompressGuarded(j_decompress_ptr info, ErrorTrap* trap) {
    if (setjmp(trap->jump)) {
        return false;
    }
    jpeg_create_decompress(info);
    return true;
}

bool ReadHeaderGuarded(j_decompress_ptr info, ErrorTrap* trap, const std::uint8_t* data, std::size_t size) {
    if (setjmp(trap->jump)) {
        return false;
    }
    jpeg_mem_src(info, data, static_cast<unsigned long>(size));
    jpeg_save_markers(info, JPEG_COM, kKeptCommentBytes);
    return jpeg_read_header(info, TRUE) == JPEG_HEADER_OK;
}

bool StartDecompressGuarded(j_decompress_ptr info, ErrorTrap* trap) {
    if (setjmp(trap->jump)) {
        return false;
    }
    return jpeg_start_decompress(info) == TRUE;
}

// Rows decoded (0 means the data ran out), or -1 after a library error.
int ReadScanlinesGuarded(j_decompress_ptr info, ErrorTrap* trap, JSAMPARRAY rows, JDIMENSION count) {
    if (setjmp(trap->jump)) {
        return -1;
    }
    return static_cast<int>(jpeg_read_scanlines(info, rows, count));
}

struct EncodeJob {
    const std::uint8_t* const* rows;
    int width;
    int height;
    int bytesPerPixel;
    int dpi;
    int quality;
};

bool CompressGuarded(j_compress_ptr info, ErrorTrap* trap, unsigned char** buffer, unsigned long* size,
                     const EncodeJob* job) {
    if (setjmp(trap->jump)) {
        return false;
    }
    jpeg_create_compress(info);
    jpeg_mem_dest(info, buffer, size);
    StartJpegCompress(info, job->width, job->height, job->bytesPerPixel, job->dpi, job->quality);
    while (info->next_scanline < info->image_height) {
        auto row = const_cast<JSAMPARRAY>(job->rows + info->next_scanline);
        jpeg_write_scanlines(info, row, info->image_height - info->next_scanline);
    }
    jpeg_finish_compress(info);
    return true;
}

// Owner of the compressor and of the output block that libjpeg allocates and grows with malloc.
struct Compressor {
    jpeg_compress_struct info{};
    ErrorTrap trap{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;

    Compressor() = default;
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;
    ~Compressor() {
        jpeg_destroy_compress(&info);
        std::free(buffer);
    }
};

// Ink colours at the corners of the CMYK cube: index bit 0 cyan, 1 magenta, 2 yellow, 3 black;
// values red, green, blue.
constexpr std::uint8_t kInkCorners[16][3] = {
    {255, 255, 255}, {0, 174, 239}, {236, 0, 140}, {46, 49, 146}, {255, 242, 0}, {0, 166, 81},
    {237, 28, 36},   {54, 54, 57},  {35, 31, 32},  {0, 6, 36},    {41, 0, 3},    {13, 0, 26},
    {24, 26, 0},     {0, 6, 0},     {35, 0, 1},    {3, 0, 0},
};

std::uint8_t ClampToByte(double value) {
    if (value <= 0.0) {
        return 0;
    }
    if (value >= 255.0) {
        return 255;
    }
    return static_cast<std::uint8_t>(value);
}

int DensityToDpi(const jpeg_decompress_struct& info) {
    if (info.X_density <= 1 || info.Y_density <= 1) {
        return 0;
    }
    const int larger = std::max(info.X_density, info.Y_density);
    if (info.density_unit == 1) {
        return larger;
    }
    if (info.density_unit == 2) {
        return static_cast<int>(larger * kCentimetresPerInch);
    }
    return 0;
}

bool CommentSaysRgba(const jpeg_decompress_struct& info) {
    const std::size_t prefixLength = std::strlen("IGC:");
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr; marker = marker->next) {
        if (marker->marker != JPEG_COM || marker->data_length < prefixLength ||
            std::memcmp(marker->data, "IGC:", prefixLength) != 0) {
            continue;
        }
        const std::size_t rgbaLength = std::strlen(JpegFile::kRgbaComment);
        return marker->data_length >= rgbaLength &&
               std::memcmp(marker->data, JpegFile::kRgbaComment, rgbaLength) == 0;
    }
    return false;
}

// Sequential Huffman coding spends at least two bits on every 8 x 8 block of the first component (a DC
// code and an end-of-block code), so a short file cannot describe a huge picture. Progressive and
// arithmetic coding can be far denser (runs of empty blocks, zeros implied after the data), but a
// picture that spends less than an eighth of a bit on a block is no tile anyone drew: without this
// bound 183 bytes could declare 145 million pixels and keep the decoder busy for minutes.
bool ScanCanHoldImage(const jpeg_decompress_struct& info, std::size_t fileBytes) {
    const std::uint64_t blocksPerByte = info.progressive_mode || info.arith_code ? 64 : 4;
    const std::uint64_t blocks =
        (std::uint64_t{info.image_width} + 7) / 8 * ((std::uint64_t{info.image_height} + 7) / 8);
    return blocks / blocksPerByte <= fileBytes;
}

void ExpandGreyRow(const std::uint8_t* grey, std::uint8_t* bgr, int width) {
    for (int x = 0; x < width; ++x, bgr += 3) {
        bgr[0] = bgr[1] = bgr[2] = grey[x];
    }
}

void ConvertCmykRow(const std::uint8_t* cmyk, std::uint8_t* bgr, int width) {
    for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        JpegFile::CmykToBgr(cmyk, bgr);
    }
}

} // namespace

struct JpegFile::Decoder {
    jpeg_decompress_struct info{};
    ErrorTrap trap{};
    jpeg_progress_mgr progress{};
    bool started = false;

    Decoder() = default;
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    // Safe on a struct that creation never reached: libjpeg releases only what its memory manager holds.
    ~Decoder() { jpeg_destroy_decompress(&info); }
};

JpegFile::JpegFile() = default;
JpegFile::~JpegFile() = default;

const char* JpegFile::Error() const {
    return decoder_ != nullptr ? decoder_->trap.message : "";
}

bool JpegFile::ReadHeader(const std::uint8_t* data, std::size_t size) {
    decoder_ = std::make_unique<Decoder>();
    jpeg_decompress_struct& info = decoder_->info;
    InstallTrap(decoder_->trap, reinterpret_cast<j_common_ptr>(&info));
    if (data == nullptr || size == 0) {
        std::snprintf(decoder_->trap.message, sizeof decoder_->trap.message, "The file is empty");
        return false;
    }
    if (!CreateDecompressGuarded(&info, &decoder_->trap)) {
        return false;
    }
    decoder_->progress.progress_monitor = OnDecodeProgress;
    info.progress = &decoder_->progress;
    info.mem->max_memory_to_use = kMaxDecoderMemory;
    if (!ReadHeaderGuarded(&info, &decoder_->trap, data, size)) {
        return false;
    }
    switch (info.out_color_space) {
    case JCS_GRAYSCALE:
        layout_ = Layout::Grey;
        break;
    case JCS_RGB:
        layout_ = Layout::Rgb;
        info.out_color_space = JCS_EXT_BGR;
        break;
    case JCS_CMYK:
        layout_ = CommentSaysRgba(info) ? Layout::Rgba : Layout::Cmyk;
        break;
    default:
        std::snprintf(decoder_->trap.message, sizeof decoder_->trap.message, "Unsupported JPEG colour space");
        return false;
    }
    width_ = static_cast<int>(std::min<JDIMENSION>(info.image_width, kMaxImageSide + 1));
    height_ = static_cast<int>(std::min<JDIMENSION>(info.image_height, kMaxImageSide + 1));
    if (!ImageSizeAllowed(width_, height_, BytesPerPixel())) {
        std::snprintf(decoder_->trap.message, sizeof decoder_->trap.message, "Image too large");
        return false;
    }
    if (!ScanCanHoldImage(info, size)) {
        std::snprintf(decoder_->trap.message, sizeof decoder_->trap.message,
                      "The file ends before the image does");
        return false;
    }
    dpi_ = DensityToDpi(info);
    info.scale_num = 1;
    info.scale_denom = 1;
    info.quantize_colors = FALSE;
    info.do_fancy_upsampling = TRUE;
    if (!StartDecompressGuarded(&info, &decoder_->trap)) {
        return false;
    }
    decoder_->started = true;
    const int expectedComponents = layout_ == Layout::Grey ? 1 : layout_ == Layout::Rgb ? 3 : 4;
    return static_cast<int>(info.output_width) == width_ && static_cast<int>(info.output_height) == height_ &&
           info.output_components == expectedComponents;
}

bool JpegFile::ReadRows(std::uint8_t* const* topDownRows) {
    if (decoder_ == nullptr || !decoder_->started || topDownRows == nullptr) {
        return false;
    }
    jpeg_decompress_struct& info = decoder_->info;
    const bool direct = layout_ == Layout::Rgb || layout_ == Layout::Rgba;
    std::vector<std::uint8_t> scratch(direct ? 0 : static_cast<std::size_t>(width_) * info.output_components);
    JSAMPROW scratchRow = scratch.data();
    while (info.output_scanline < info.output_height) {
        const JDIMENSION row = info.output_scanline;
        const int decoded =
            direct ? ReadScanlinesGuarded(&info, &decoder_->trap, const_cast<JSAMPARRAY>(topDownRows + row),
                                          info.output_height - row)
                   : ReadScanlinesGuarded(&info, &decoder_->trap, &scratchRow, 1);
        if (decoded <= 0) {
            return false;
        }
        if (layout_ == Layout::Grey) {
            ExpandGreyRow(scratchRow, topDownRows[row], width_);
        } else if (layout_ == Layout::Cmyk) {
            ConvertCmykRow(scratchRow, topDownRows[row], width_);
        }
    }
    return true;
}

bool JpegFile::Encode(const std::uint8_t* const* topDownRows, int width, int height, int bytesPerPixel,
                      int dpi, int quality, std::vector<std::uint8_t>& out, std::string* error) {
    out.clear();
    if (topDownRows == nullptr || width < 1 || height < 1 || width > JPEG_MAX_DIMENSION ||
        height > JPEG_MAX_DIMENSION || (bytesPerPixel != 3 && bytesPerPixel != 4)) {
        if (error != nullptr) {
            *error = "Image too large for JPEG";
        }
        return false;
    }
    const EncodeJob job{
        topDownRows, width, height, bytesPerPixel, std::clamp(dpi, 1, 65535), std::clamp(quality, 0, 100)};
    Compressor compressor;
    InstallTrap(compressor.trap, reinterpret_cast<j_common_ptr>(&compressor.info));
    if (!CompressGuarded(&compressor.info, &compressor.trap, &compressor.buffer, &compressor.size, &job)) {
        if (error != nullptr) {
            *error = compressor.trap.message;
        }
        return false;
    }
    out.assign(compressor.buffer, compressor.buffer + compressor.size);
    return true;
}

void JpegFile::CmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr) {
    double present[4];
    double absent[4];
    for (int ink = 0; ink < 4; ++ink) {
        present[ink] = cmyk[ink] / 255.0;
        absent[ink] = 1.0 - present[ink];
    }
    double rgb[3] = {0.0, 0.0, 0.0};
    for (int corner = 0; corner < 16; ++corner) {
        double weight = 1.0;
        for (int ink = 0; ink < 4; ++ink) {
            weight *= (corner & (1 << ink)) != 0 ? present[ink] : absent[ink];
        }
        for (int channel = 0; channel < 3; ++channel) {
            rgb[channel] += kInkCorners[corner][channel] * weight;
        }
    }
    bgr[0] = ClampToByte(rgb[2]);
    bgr[1] = ClampToByte(rgb[1]);
    bgr[2] = ClampToByte(rgb[0]);
}
