#pragma once

#include "support/WString.h"

#include <memory>

class MemFile;

// A gzip-compressed stream over a MemFile, so compressed files share the memory buffers and the
// all-or-nothing store of every other file. Mode "rb" reads, "wb" writes at the default level;
// a digit 0..9 in the mode picks another level.
//
// Reading a file without the gzip signature (1F 8B) returns its bytes unchanged. A truncated or
// damaged stream (bad header, bad data, wrong checksum or length) is a read error: Read returns
// -1 once no good bytes are left, and keeps doing so. A missing file reads as empty.
class GzipStream {
public:
    static constexpr unsigned kBlockSize = 16384;

    // Null when the mode is not understood or the MemFile cannot be opened.
    static std::unique_ptr<GzipStream> Open(const WString& name, const char* mode);

    // Only Open makes streams; the key keeps the constructor its own.
    class Key {
        friend class GzipStream;
        Key() = default;
    };
    explicit GzipStream(Key);
    GzipStream(const GzipStream&) = delete;
    GzipStream& operator=(const GzipStream&) = delete;
    // Drops a write stream without storing it (see MemFile).
    ~GzipStream();

    // Up to size bytes of uncompressed data (at most INT_MAX per call); 0 at the end, -1 on error.
    int Read(void* buffer, unsigned size);
    bool Write(const void* data, unsigned size);
    // Finishes the stream (trailer: CRC-32 and length) and closes the MemFile; false when anything
    // failed, including storing to disk.
    bool Close();

    bool IsTransparent() const { return transparent_; }
    bool HasError() const { return failed_; }

private:
    struct ZState;

    bool StartReading();
    bool StartWriting(int level);
    // Tops the input up to one block, keeping unread bytes; false when nothing new arrived.
    bool RefillInput();
    int ReadTransparent(unsigned char* out, unsigned size);
    int ReadCompressed(unsigned char* out, unsigned size);
    bool StartNextMember();
    bool FlushOutput();
    bool Deflate(int flush);

    std::shared_ptr<MemFile> file_;
    std::unique_ptr<ZState> z_;
    bool writing_ = false;
    bool transparent_ = false;
    bool finished_ = false;
    bool failed_ = false;
    bool closed_ = false;
};
