#include "support/FileUtils.h"

#include <climits>
#include <cstring>
#include <unistd.h>
#include <utility>
#include <vector>

FileUtils::Stream::Stream(Stream&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)), buffer_(std::move(other.buffer_)) {}

FileUtils::Stream& FileUtils::Stream::operator=(Stream&& other) noexcept {
    if (this != &other) {
        Close();
        file_ = std::exchange(other.file_, nullptr);
        buffer_ = std::move(other.buffer_);
    }
    return *this;
}

FileUtils::Stream::~Stream() {
    Close();
}

bool FileUtils::Stream::Close() {
    if (file_ == nullptr) {
        return false;
    }
    const bool ok = std::fclose(std::exchange(file_, nullptr)) == 0;
    buffer_.reset();
    return ok;
}

std::string FileUtils::NativePath(const WString& path) {
    return path.ToUtf8();
}

FileUtils::Stream FileUtils::OpenStream(const WString& path, const char* mode) {
    const std::string native = NativePath(path);
    if (native.empty() || mode == nullptr) {
        return nullptr;
    }
    Stream stream;
    stream.file_ = std::fopen(native.c_str(), mode);
    if (!stream) {
        return nullptr;
    }
    // Whole files pass through these streams; a large buffer keeps them to few system calls. The
    // C library ignores the size unless it is also given the buffer.
    stream.buffer_ = std::make_unique_for_overwrite<char[]>(kStreamBufferSize);
    if (std::setvbuf(stream.file_, stream.buffer_.get(), _IOFBF, kStreamBufferSize) != 0) {
        return nullptr;
    }
    return stream;
}

bool FileUtils::CloseStream(Stream stream) {
    return stream.Close();
}

WString FileUtils::ProgramDirectory() {
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0 || static_cast<size_t>(n) >= buffer.size() - 1) {
        return WString();
    }
    std::string path(buffer.data(), static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return WString();
    }
    path.resize(slash + 1);
    return WString::FromUtf8(path);
}

WString FileUtils::ProgramPath(const WString& fileName, int capacity) {
    WString result = ProgramDirectory();
    if (result.IsEmpty()) {
        return WString();
    }
    result += fileName;
    if (result.Length() + 1 > capacity) {
        return WString();
    }
    return result;
}

bool FileUtils::Access(const WString& path, int accessMode) {
    const std::string native = NativePath(path);
    if (native.empty()) {
        return false;
    }
    int how = F_OK;
    if (accessMode & 2) {
        how |= W_OK;
    }
    if (accessMode & 4) {
        how |= R_OK;
    }
    return access(native.c_str(), how) == 0;
}

bool FileUtils::RemoveFile(const WString& path) {
    const std::string native = NativePath(path);
    return !native.empty() && unlink(native.c_str()) == 0;
}

WString FileUtils::ErrorText(int errorNumber) {
    char buffer[256];
    // The GNU form: returns the text, which need not be in the buffer.
    const char* text = ::strerror_r(errorNumber, buffer, sizeof buffer);
    return WString::FromUtf8(text != nullptr ? text : "Unknown error");
}

bool FileUtils::ShortPath(const WString& longPath, WString& shortPath) {
    if (!Access(longPath, 0)) {
        return false;
    }
    shortPath = longPath;
    return true;
}
