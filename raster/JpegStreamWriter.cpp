#include "raster/JpegStreamWriter.h"

#include "raster/JpegEncoding.h"

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>

namespace {

// Errors jump back to the setjmp of the guarded call that is running; nothing reaches stderr.
struct WriteTrap {
    jpeg_error_mgr manager; // first member: libjpeg hands back a pointer to it
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnWriteError(j_common_ptr info) {
    auto* trap = reinterpret_cast<WriteTrap*>(info->err);
    (*info->err->format_message)(info, trap->message);
    std::longjmp(trap->jump, 1);
}

void OnWriteMessage(j_common_ptr, int) {}

struct StartJob {
    std::FILE* file;
    int width;
    int height;
    int dpi;
    int quality;
};

// The guarded steps own no C++ objects, so the jumps skip no destructors.
bool StartGuarded(j_compress_ptr info, WriteTrap* trap, const StartJob* job) {
    if (setjmp(trap->jump)) {
        return false;
    }
    jpeg_stdio_dest(info, job->file);
    StartJpegCompress(info, job->width, job->height, 3, job->dpi, job->quality);
    return true;
}

bool WriteGuarded(j_compress_ptr info, WriteTrap* trap, const std::uint8_t* const* rows, int count) {
    if (setjmp(trap->jump)) {
        return false;
    }
    int written = 0;
    while (written < count) {
        auto next = const_cast<JSAMPARRAY>(rows + written);
        const JDIMENSION done = jpeg_write_scanlines(info, next, static_cast<JDIMENSION>(count - written));
        if (done == 0) {
            return false;
        }
        written += static_cast<int>(done);
    }
    return true;
}

bool FinishGuarded(j_compress_ptr info, WriteTrap* trap) {
    if (setjmp(trap->jump)) {
        return false;
    }
    jpeg_finish_compress(info);
    return true;
}

} // namespace

struct JpegStreamWriter::Encoder {
    jpeg_compress_struct info{};
    WriteTrap trap{};
    bool started = false;

    Encoder() {
        info.err = jpeg_std_error(&trap.manager);
        trap.manager.error_exit = OnWriteError;
        trap.manager.emit_message = OnWriteMessage;
        jpeg_create_compress(&info);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;
    ~Encoder() { jpeg_destroy_compress(&info); }
};

JpegStreamWriter::JpegStreamWriter() = default;

JpegStreamWriter::~JpegStreamWriter() = default;

bool JpegStreamWriter::Start(std::FILE* file, int width, int height, int dpi, int quality) {
    encoder_.reset();
    if (file == nullptr || width < 1 || height < 1 || width > JPEG_MAX_DIMENSION ||
        height > JPEG_MAX_DIMENSION) {
        error_ = "Image too large for JPEG";
        return false;
    }
    encoder_ = std::make_unique<Encoder>();
    const StartJob job{file, width, height, std::clamp(dpi, 1, 65535), std::clamp(quality, 1, 100)};
    if (!StartGuarded(&encoder_->info, &encoder_->trap, &job)) {
        error_ = encoder_->trap.message;
        encoder_.reset();
        return false;
    }
    encoder_->started = true;
    return true;
}

bool JpegStreamWriter::WriteRows(const std::uint8_t* const* topDownRows, int count) {
    if (!encoder_ || !encoder_->started) {
        return false;
    }
    if (!WriteGuarded(&encoder_->info, &encoder_->trap, topDownRows, count)) {
        error_ =
            encoder_->trap.message[0] != '\0' ? encoder_->trap.message : "More rows than the picture has";
        encoder_.reset();
        return false;
    }
    return true;
}

bool JpegStreamWriter::Finish() {
    if (!encoder_ || !encoder_->started) {
        return false;
    }
    const bool finished = FinishGuarded(&encoder_->info, &encoder_->trap);
    if (!finished) {
        error_ = encoder_->trap.message;
    }
    encoder_.reset();
    return finished;
}
