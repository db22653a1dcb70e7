#include "support/MemFile.h"

#include "support/FileUtils.h"
#include "support/SaveTemporary.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char16_t kScratchPrefix[] = u":TMPFIL:";
const char16_t kNamedPrefix[] = u":TMPQOR:";
const char16_t kSealedPrefix[] = u":SCFQOR:";

bool HasMemoryPrefix(const WString& name) {
    return name.StartsWith(kScratchPrefix) || name.StartsWith(kNamedPrefix) || name.StartsWith(kSealedPrefix);
}

// Allocation failures become a null result: no exception leaves this layer.
std::unique_ptr<std::uint8_t[]> AllocateBytes(size_t n) {
    try {
        return std::make_unique_for_overwrite<std::uint8_t[]>(n);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// Closes a descriptor on every path.
class FdGuard {
public:
    explicit FdGuard(int fd) : fd_(fd) {}
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    ~FdGuard() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int Get() const { return fd_; }
    // Closes now so the caller sees the result; the guard then owns nothing. 0 or the error number.
    int Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// Removes a half-written temporary unless the save got as far as renaming it.
class TempFileGuard {
public:
    explicit TempFileGuard(std::string path) : path_(std::move(path)) {}
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    ~TempFileGuard() {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }
    void Keep() { path_.clear(); }

private:
    std::string path_;
};

// 0, or the error number of the write that failed.
int WriteAll(int fd, const std::uint8_t* data, size_t length) {
    while (length > 0) {
        const ssize_t n = ::write(fd, data, std::min<size_t>(length, 1u << 30));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        data += n;
        length -= static_cast<size_t>(n);
    }
    return 0;
}

// Devices, pipes and the like cannot be replaced by renaming; they are written in place.
int WriteInPlace(const std::string& path, const std::uint8_t* data, size_t length) {
    FdGuard fd(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (fd.Get() < 0) {
        return errno;
    }
    const int written = WriteAll(fd.Get(), data, length);
    const int closed = fd.Close();
    return written != 0 ? written : closed;
}

mode_t ReadUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

mode_t NewFileMode() {
    // The umask can only be read by setting it, and between the two calls every file any thread
    // makes would be open to all. Saves also run off the main thread (autosave), so it is read once,
    // the first time, under the lock that guards a function's static.
    static const mode_t mask = ReadUmask();
    return 0666 & ~mask;
}

void SyncDirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    FdGuard fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0) {
        ::fsync(fd.Get()); // best effort: the rename itself has already succeeded
    }
}

// Saves through a temporary file in the same directory and a rename, so the target holds either
// its old content or the complete new content, never a torn mixture. 0, or the error number of the
// step that failed.
int SaveReplacing(std::string target, const std::uint8_t* data, size_t length) {
    struct stat linkInfo {};
    if (::lstat(target.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
        // Save through the link rather than replacing the link by a plain file.
        if (char* resolved = ::realpath(target.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) {
        return WriteInPlace(target, data, length);
    }
    // Saves of this map that were killed halfway left their temporary files behind.
    SaveTemporary::RemoveStale(target);

    std::string temp = SaveTemporary::TemplateFor(target);
    FdGuard fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.Get() < 0) {
        return errno;
    }
    TempFileGuard tempGuard(temp);
    if (exists) {
        // Keep who may read the file; the owner only changes back when we are allowed to.
        ::fchmod(fd.Get(), info.st_mode & 07777);
        if (info.st_uid != ::geteuid() || info.st_gid != ::getegid()) {
            [[maybe_unused]] const int ignored = ::fchown(fd.Get(), info.st_uid, info.st_gid);
        }
    } else {
        ::fchmod(fd.Get(), NewFileMode());
    }
    if (const int written = WriteAll(fd.Get(), data, length); written != 0) {
        return written;
    }
    if (::fsync(fd.Get()) != 0) {
        return errno;
    }
    if (const int closed = fd.Close(); closed != 0) {
        return closed;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        return errno;
    }
    tempGuard.Keep();
    SyncDirectoryOf(target);
    return 0;
}

} // namespace

struct MemFile::ModeFlags {
    bool read = false;
    bool writeBack = false;
    bool append = false;
    bool text = false;
};

// The process-wide list of named memory files and the counter of scratch names. Both live behind
// this one object so tests can reset them.
class MemFile::Registry {
public:
    std::shared_ptr<MemFile> Find(const WString& name) const {
        for (const auto& file : files_) {
            if (file->name_ == name) {
                return file;
            }
        }
        return nullptr;
    }
    bool Add(std::shared_ptr<MemFile> file) {
        try {
            files_.push_back(std::move(file));
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    bool Remove(const WString& name) {
        const auto it =
            std::find_if(files_.begin(), files_.end(), [&](const auto& file) { return file->name_ == name; });
        if (it == files_.end()) {
            return false;
        }
        files_.erase(it);
        return true;
    }
    unsigned long long NextTemporaryNumber() { return temporaryCounter_++; }
    void Reset() {
        files_.clear();
        temporaryCounter_ = 0;
    }
    size_t Count() const { return files_.size(); }

private:
    std::vector<std::shared_ptr<MemFile>> files_;
    unsigned long long temporaryCounter_ = 0;
};

MemFile::Registry& MemFile::TheRegistry() {
    static Registry registry;
    return registry;
}

MemFile::MemFile(Key, const WString& name) : name_(name) {}

MemFile::~MemFile() = default;

std::shared_ptr<MemFile> MemFile::Create(const WString& name) {
    try {
        return std::make_shared<MemFile>(Key(), name);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void MemFile::ApplyMode(const ModeFlags& flags) {
    writeBack_ = flags.writeBack;
    append_ = flags.append;
    textMode_ = flags.text;
    if (HasMemoryPrefix(name_)) {
        writeBack_ = false;
    }
    registered_ = name_.StartsWith(kNamedPrefix);
    sealed_ = name_.StartsWith(kSealedPrefix);
}

std::shared_ptr<MemFile> MemFile::Open(const WString& name, const WString& mode) {
    ModeFlags flags;
    // Linux draws no line between text and binary files, so binary is the default mode.
    for (int i = 0; i < mode.Length(); ++i) {
        switch (mode.At(i)) {
        case u'r':
            flags.read = true;
            break;
        case u'w':
        case u'+':
            flags.writeBack = true;
            break;
        case u'a':
            flags.writeBack = true;
            flags.append = true;
            break;
        case u't':
            flags.text = true;
            break;
        case u'b':
            flags.text = false;
            break;
        default:
            break;
        }
    }
    const bool wantExisting = flags.read || flags.append;

    if (wantExisting && name.StartsWith(kNamedPrefix)) {
        std::shared_ptr<MemFile> file = TheRegistry().Find(name);
        if (!file) {
            return nullptr;
        }
        file->append_ = flags.append;
        file->textMode_ = flags.text;
        file->writeBack_ = false;
        file->position_ = flags.append ? file->length_ : 0;
        return file;
    }

    std::shared_ptr<MemFile> file = Create(name);
    if (!file) {
        return nullptr;
    }
    file->ApplyMode(flags);
    if (wantExisting) {
        if (!file->LoadFromDisk()) {
            return nullptr;
        }
        file->position_ = flags.append ? file->length_ : 0;
    } else if (!file->Reserve(kInitialCapacity)) {
        return nullptr;
    }
    if (file->registered_ && !TheRegistry().Add(file)) {
        return nullptr;
    }
    return file;
}

std::shared_ptr<MemFile> MemFile::NewTemporary() {
    WString name(kScratchPrefix);
    name.AppendUnsigned(TheRegistry().NextTemporaryNumber());
    return Open(name, WString(u"wb+"));
}

bool MemFile::Exists(const WString& name, int accessMode) {
    if (name.StartsWith(kNamedPrefix)) {
        return TheRegistry().Find(name) != nullptr;
    }
    if (name.StartsWith(kSealedPrefix)) {
        return true;
    }
    return FileUtils::Access(name, accessMode);
}

bool MemFile::Delete(const WString& name) {
    if (name.StartsWith(kNamedPrefix)) {
        return TheRegistry().Remove(name);
    }
    if (name.StartsWith(kSealedPrefix)) {
        return false;
    }
    return FileUtils::RemoveFile(name);
}

void MemFile::ResetRegistry() {
    TheRegistry().Reset();
}

size_t MemFile::RegisteredCount() {
    return TheRegistry().Count();
}

bool MemFile::LoadFromDisk() {
    errno = 0;
    FileUtils::Stream stream = FileUtils::OpenStream(name_, textMode_ ? "rt" : "rb");
    if (!stream) {
        error_ = errno != 0 ? errno : ENOENT;
        return true; // unreadable: an empty stream, and readers see a length of 0
    }
    struct stat info {};
    if (::fstat(::fileno(stream.get()), &info) != 0) {
        error_ = errno;
        return true;
    }
    if (S_ISDIR(info.st_mode)) {
        error_ = EISDIR;
        return true;
    }
    if (S_ISREG(info.st_mode) && info.st_size > 0) {
        // One read of the whole file.
        const auto size = static_cast<unsigned long long>(info.st_size);
        if (size > SIZE_MAX) {
            return false;
        }
        data_ = AllocateBytes(static_cast<size_t>(size));
        if (!data_) {
            return false;
        }
        capacity_ = static_cast<size_t>(size);
        // Fewer bytes than the size (a file shrinking under us) shorten the content.
        length_ = std::fread(data_.get(), 1, capacity_, stream.get());
        if (std::ferror(stream.get())) {
            error_ = errno != 0 ? errno : EIO;
        }
        return true;
    }
    // Pipes and kernel files report no useful size: read until the end.
    std::vector<std::uint8_t> chunk(FileUtils::kStreamBufferSize);
    for (;;) {
        const size_t n = std::fread(chunk.data(), 1, chunk.size(), stream.get());
        if (n == 0) {
            break;
        }
        if (Write(chunk.data(), 1, n) != n) {
            return false;
        }
    }
    position_ = 0;
    return true;
}

bool MemFile::Reserve(size_t needed) {
    if (needed <= capacity_) {
        return true;
    }
    const size_t shortfall = needed - capacity_;
    const size_t step =
        std::max(shortfall, std::min(capacity_ > SIZE_MAX / 2 ? SIZE_MAX : 2 * capacity_, kGrowthLimit));
    if (step > SIZE_MAX - capacity_) {
        return false;
    }
    const size_t newCapacity = capacity_ + step;
    std::unique_ptr<std::uint8_t[]> bigger = AllocateBytes(newCapacity);
    if (!bigger) {
        return false;
    }
    if (length_ > 0) {
        std::memcpy(bigger.get(), data_.get(), length_);
    }
    data_ = std::move(bigger);
    capacity_ = newCapacity;
    return true;
}

size_t MemFile::Read(void* buffer, size_t itemSize, size_t count) {
    if (itemSize == 0 || count == 0 || buffer == nullptr || position_ >= length_) {
        return 0;
    }
    const size_t remaining = length_ - position_;
    // An item count too large to multiply simply asks for everything that is left.
    const size_t wanted = count > SIZE_MAX / itemSize ? SIZE_MAX : itemSize * count;
    const size_t n = std::min(wanted, remaining);
    std::memcpy(buffer, data_.get() + position_, n);
    position_ += n;
    return n / itemSize;
}

size_t MemFile::Write(const void* buffer, size_t itemSize, size_t count) {
    if (itemSize == 0 || count == 0 || buffer == nullptr || count > SIZE_MAX / itemSize) {
        return 0;
    }
    const size_t bytes = itemSize * count;
    const size_t start = append_ ? length_ : position_;
    if (bytes > SIZE_MAX - start) {
        return 0;
    }
    const size_t end = start + bytes;
    if (!Reserve(end)) {
        return 0;
    }
    if (start > length_) {
        // A seek past the end leaves a gap that reads back as zeros.
        std::memset(data_.get() + length_, 0, start - length_);
    }
    std::memcpy(data_.get() + start, buffer, bytes);
    position_ = end;
    length_ = std::max(length_, end);
    return count;
}

bool MemFile::PutByte(std::uint8_t byte) {
    return Write(&byte, 1, 1) == 1;
}

bool MemFile::Seek(long long offset, int whence) {
    long long target = 0;
    switch (whence) {
    case 0:
        if (offset < 0) {
            return false;
        }
        target = offset;
        break;
    case 1:
        if (__builtin_add_overflow(static_cast<long long>(position_), offset, &target) || target < 0 ||
            static_cast<unsigned long long>(target) > length_) {
            return false;
        }
        break;
    case 2:
        if (offset > 0) {
            return false;
        }
        target = static_cast<long long>(length_) + offset;
        if (target < 0) {
            return false;
        }
        break;
    default:
        return false;
    }
    position_ = static_cast<size_t>(target);
    return true;
}

bool MemFile::Close() {
    bool stored = true;
    if (writeBack_) {
        error_ = StoreToDisk();
        stored = error_ == 0;
        writeBack_ = false;
    }
    if (!registered_) {
        data_.reset();
        capacity_ = 0;
        length_ = 0;
        position_ = 0;
    }
    return stored;
}

int MemFile::StoreToDisk() const {
    const std::string target = FileUtils::NativePath(name_);
    if (target.empty()) {
        return ENOENT;
    }
    return SaveReplacing(target, data_.get(), length_);
}
