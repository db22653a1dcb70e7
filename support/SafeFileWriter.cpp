#include "support/SafeFileWriter.h"

#include "support/SaveTemporary.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

mode_t NewFileMode() {
    // The umask can only be read by setting it; the program draws and saves on one thread.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

SafeFileWriter::SafeFileWriter(std::string target) : target_(std::move(target)) {}

SafeFileWriter::~SafeFileWriter() {
    Discard();
}

bool SafeFileWriter::Fail(int error) {
    error_ = std::strerror(error != 0 ? error : EIO);
    Discard();
    return false;
}

bool SafeFileWriter::Open() {
    Discard();
    SaveTemporary::RemoveStale(target_);
    std::string name = SaveTemporary::TemplateFor(target_);
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        return Fail(errno);
    }
    temporary_ = name;
    struct stat info {};
    // A replaced file keeps who may read it; a new one gets the usual mode.
    ::fchmod(fd, ::stat(target_.c_str(), &info) == 0 ? (info.st_mode & 07777) : NewFileMode());
    stream_ = ::fdopen(fd, "wb");
    if (stream_ == nullptr) {
        const int error = errno;
        ::close(fd);
        return Fail(error);
    }
    return true;
}

bool SafeFileWriter::Write(const void* data, std::size_t size) {
    if (stream_ == nullptr) {
        return false;
    }
    if (size > 0 && std::fwrite(data, 1, size, stream_) != size) {
        return Fail(errno);
    }
    return true;
}

bool SafeFileWriter::Commit() {
    if (stream_ == nullptr) {
        return false;
    }
    if (std::fflush(stream_) != 0 || std::ferror(stream_) != 0 || ::fsync(::fileno(stream_)) != 0) {
        return Fail(errno);
    }
    std::FILE* stream = std::exchange(stream_, nullptr);
    if (std::fclose(stream) != 0) {
        return Fail(errno);
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        return Fail(errno);
    }
    temporary_.clear();
    return true;
}

void SafeFileWriter::Discard() {
    if (stream_ != nullptr) {
        std::fclose(std::exchange(stream_, nullptr));
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}
