#include "support/GzipStream.h"

#include "support/MemFile.h"

#include <climits>
#include <cstring>
#include <new>
#include <vector>
#include <zlib.h>

namespace {

// deflateInit2/inflateInit2 window bits: 15 for the largest window, +16 for the gzip wrapper.
constexpr int kGzipWindowBits = 15 + 16;
constexpr int kMemoryLevel = 8;
constexpr unsigned char kMagic0 = 0x1F;
constexpr unsigned char kMagic1 = 0x8B;

} // namespace

// zlib state with its buffers; ends whichever engine was started, on every path.
struct GzipStream::ZState {
    z_stream strm{};
    bool inflating = false;
    bool deflating = false;
    std::vector<unsigned char> in;
    std::vector<unsigned char> out;

    ZState() : in(kBlockSize), out(kBlockSize) {}
    ZState(const ZState&) = delete;
    ZState& operator=(const ZState&) = delete;
    ~ZState() {
        if (inflating) {
            inflateEnd(&strm);
        }
        if (deflating) {
            deflateEnd(&strm);
        }
    }
};

GzipStream::GzipStream(Key) {}

GzipStream::~GzipStream() = default;

std::unique_ptr<GzipStream> GzipStream::Open(const WString& name, const char* mode) {
    if (mode == nullptr) {
        return nullptr;
    }
    bool reading = false;
    bool writing = false;
    int level = Z_DEFAULT_COMPRESSION;
    for (const char* c = mode; *c != '\0'; ++c) {
        if (*c == 'r') {
            reading = true;
        } else if (*c == 'w') {
            writing = true;
        } else if (*c >= '0' && *c <= '9') {
            level = *c - '0';
        } else if (*c != 'b') {
            return nullptr; // appending and updating compressed data are not offered
        }
    }
    if (reading == writing) {
        return nullptr;
    }
    try {
        auto stream = std::make_unique<GzipStream>(Key());
        stream->z_ = std::make_unique<ZState>();
        stream->file_ = MemFile::Open(name, WString(writing ? "wb" : "rb"));
        if (!stream->file_) {
            return nullptr;
        }
        const bool started = writing ? stream->StartWriting(level) : stream->StartReading();
        return started ? std::move(stream) : nullptr;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool GzipStream::RefillInput() {
    z_stream& s = z_->strm;
    const unsigned kept = s.avail_in;
    if (kept > 0 && s.next_in != z_->in.data()) {
        std::memmove(z_->in.data(), s.next_in, kept);
    }
    const size_t got = file_->Read(z_->in.data() + kept, 1, kBlockSize - kept);
    s.next_in = z_->in.data();
    s.avail_in = kept + static_cast<unsigned>(got);
    return got > 0;
}

bool GzipStream::StartReading() {
    z_->strm.next_in = z_->in.data();
    z_->strm.avail_in = 0;
    RefillInput();
    const unsigned char* p = z_->strm.next_in;
    if (z_->strm.avail_in < 2 || p[0] != kMagic0 || p[1] != kMagic1) {
        transparent_ = true;
        return true;
    }
    if (inflateInit2(&z_->strm, kGzipWindowBits) != Z_OK) {
        return false;
    }
    z_->inflating = true;
    return true;
}

bool GzipStream::StartWriting(int level) {
    writing_ = true;
    z_stream& s = z_->strm;
    if (deflateInit2(&s, level, Z_DEFLATED, kGzipWindowBits, kMemoryLevel, Z_DEFAULT_STRATEGY) != Z_OK) {
        return false;
    }
    z_->deflating = true;
    s.next_out = z_->out.data();
    s.avail_out = kBlockSize;
    return true;
}

int GzipStream::Read(void* buffer, unsigned size) {
    if (writing_ || closed_ || failed_ || buffer == nullptr) {
        return -1;
    }
    // The result is an int, so one call delivers at most INT_MAX bytes.
    const unsigned capped = size > static_cast<unsigned>(INT_MAX) ? static_cast<unsigned>(INT_MAX) : size;
    if (capped == 0) {
        return 0;
    }
    auto* out = static_cast<unsigned char*>(buffer);
    return transparent_ ? ReadTransparent(out, capped) : ReadCompressed(out, capped);
}

int GzipStream::ReadTransparent(unsigned char* out, unsigned size) {
    z_stream& s = z_->strm;
    // First what the signature test already pulled in, then straight from the file.
    const unsigned buffered = s.avail_in < size ? s.avail_in : size;
    if (buffered > 0) {
        std::memcpy(out, s.next_in, buffered);
        s.next_in += buffered;
        s.avail_in -= buffered;
    }
    const size_t direct = file_->Read(out + buffered, 1, size - buffered);
    return static_cast<int>(buffered + direct);
}

bool GzipStream::StartNextMember() {
    // Concatenated gzip members form one stream; anything else after a member is ignored.
    z_stream& s = z_->strm;
    if (s.avail_in < 2) {
        RefillInput();
    }
    if (s.avail_in < 2 || s.next_in[0] != kMagic0 || s.next_in[1] != kMagic1) {
        return false;
    }
    return inflateReset(&s) == Z_OK;
}

int GzipStream::ReadCompressed(unsigned char* out, unsigned size) {
    if (finished_) {
        return 0;
    }
    z_stream& s = z_->strm;
    s.next_out = out;
    s.avail_out = size;
    while (s.avail_out > 0) {
        if (s.avail_in == 0 && !RefillInput()) {
            failed_ = true; // the data stops before the stream's end: truncated
            break;
        }
        const int ret = inflate(&s, Z_NO_FLUSH);
        if (ret == Z_STREAM_END) {
            if (!StartNextMember()) {
                finished_ = true;
                break;
            }
            continue;
        }
        // Z_BUF_ERROR with input at hand would mean no progress is possible: treat as damage
        // rather than spin.
        if (ret != Z_OK && !(ret == Z_BUF_ERROR && s.avail_in == 0)) {
            failed_ = true;
            break;
        }
    }
    const unsigned produced = size - s.avail_out;
    s.next_out = nullptr;
    s.avail_out = 0;
    if (produced > 0) {
        return static_cast<int>(produced); // a failure shows on the next call
    }
    return failed_ ? -1 : 0;
}

bool GzipStream::FlushOutput() {
    z_stream& s = z_->strm;
    const size_t pending = kBlockSize - s.avail_out;
    if (pending > 0 && file_->Write(z_->out.data(), 1, pending) != pending) {
        return false;
    }
    s.next_out = z_->out.data();
    s.avail_out = kBlockSize;
    return true;
}

bool GzipStream::Deflate(int flush) {
    z_stream& s = z_->strm;
    for (;;) {
        const int ret = deflate(&s, flush);
        if (ret == Z_STREAM_ERROR) {
            return false;
        }
        if (flush == Z_FINISH && ret == Z_STREAM_END) {
            return FlushOutput();
        }
        if (s.avail_out == 0) {
            if (!FlushOutput()) {
                return false;
            }
            continue;
        }
        if (flush != Z_FINISH && s.avail_in == 0) {
            return true;
        }
        // Output space left and input or a finish pending, yet no progress: give up, never spin.
        if (ret == Z_BUF_ERROR) {
            return false;
        }
    }
}

bool GzipStream::Write(const void* data, unsigned size) {
    if (!writing_ || closed_ || failed_ || (data == nullptr && size > 0)) {
        return false;
    }
    if (size == 0) {
        return true;
    }
    z_stream& s = z_->strm;
    s.next_in = static_cast<Bytef*>(const_cast<void*>(data));
    s.avail_in = size;
    if (!Deflate(Z_NO_FLUSH)) {
        failed_ = true;
    }
    s.next_in = nullptr;
    s.avail_in = 0;
    return !failed_;
}

bool GzipStream::Close() {
    if (closed_) {
        return false;
    }
    closed_ = true;
    if (!writing_) {
        file_->Close();
        return true;
    }
    if (failed_ || !Deflate(Z_FINISH)) {
        // A damaged stream is dropped unstored so the previous file survives.
        failed_ = true;
        file_.reset();
        return false;
    }
    return file_->Close();
}
