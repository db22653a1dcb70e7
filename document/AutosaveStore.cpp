#include "document/AutosaveStore.h"

#include "document/MapFile.h"
#include "support/FileUtils.h"
#include "support/MemFile.h"
#include "support/SaveTemporary.h"
#include "support/XmlDocument.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

namespace {

constexpr const char16_t* kCopyExtension = u".gv";
constexpr const char* kOriginField = "original ";
constexpr const char* kOwnerField = "owner ";
// Enough numbered names for every map of one name that any number of crashed runs left behind.
constexpr int kMaxNumberedNames = 1000;

struct Info {
    bool found = false;
    WString originalPath;
    long ownerPid = 0;
    unsigned long long ownerStart = 0;
};

// An info file holds three short lines; anything much longer is not one.
constexpr long long kMaxInfoBytes = 65536;

std::string ReadWhole(const WString& path) {
    struct stat status {};
    if (::stat(FileUtils::NativePath(path).c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size > kMaxInfoBytes) {
        return std::string();
    }
    std::shared_ptr<MemFile> file = MemFile::Open(path, u"rb");
    if (!file || file->Size() == 0) {
        return std::string();
    }
    return std::string(reinterpret_cast<const char*>(file->Data()), file->Size());
}

Info ReadInfo(const WString& infoPath) {
    Info info;
    std::istringstream lines(ReadWhole(infoPath));
    std::string line;
    if (!std::getline(lines, line) || line != AutosaveStore::kInfoHeader) {
        return info;
    }
    info.found = true;
    while (std::getline(lines, line)) {
        if (line.rfind(kOriginField, 0) == 0) {
            info.originalPath = WString::FromUtf8(line.substr(std::string(kOriginField).size()));
        } else if (line.rfind(kOwnerField, 0) == 0) {
            std::istringstream owner(line.substr(std::string(kOwnerField).size()));
            owner >> info.ownerPid >> info.ownerStart;
        }
    }
    return info;
}

// The owner is alive when a process of that number runs and started when the owner did: a number
// alone is reused after the owner died.
bool OwnerRuns(const Info& info) {
    return info.ownerPid > 0 && info.ownerStart != 0 &&
           SaveTemporary::ProcessStartTime(info.ownerPid) == info.ownerStart;
}

bool Exists(const WString& path) {
    struct stat status {};
    return ::lstat(FileUtils::NativePath(path).c_str(), &status) == 0;
}

long long ModifiedAt(const WString& path) {
    struct stat status {};
    return ::stat(FileUtils::NativePath(path).c_str(), &status) == 0 ? static_cast<long long>(status.st_mtime)
                                                                     : 0;
}

// Creates the info file only when no file of that name exists yet: two editors that claim the same
// name at once cannot both get it.
bool CreateExclusively(const WString& path, int& error) {
    const int fd = ::open(FileUtils::NativePath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = errno;
        return false;
    }
    ::close(fd);
    return true;
}

WString BaseNameFor(const WString& originalPath) {
    if (originalPath.IsEmpty()) {
        return WString(AutosaveStore::kUntitled);
    }
    WString name = originalPath.NameAndExtensionOf();
    if (name.EndsWith(kCopyExtension)) {
        name = name.Substring(0, name.Length() - WString(kCopyExtension).Length());
    }
    return name.IsEmpty() ? WString(AutosaveStore::kUntitled) : name;
}

} // namespace

AutosaveStore::AutosaveStore(WString directory) : directory_(std::move(directory)) {}

WString AutosaveStore::DefaultDirectory() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && *state == '/') {
        return WString::FromUtf8(std::string(state) + "/Gridvellum/autosave/");
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return WString::FromUtf8(std::string(home) + "/.local/state/Gridvellum/autosave/");
    }
    return WString();
}

WString AutosaveStore::InfoPathOf(const WString& copyPath) {
    WString info = copyPath;
    info += kInfoSuffix;
    return info;
}

bool AutosaveStore::MakeDirectory(WString& reason) const {
    if (directory_.IsEmpty()) {
        reason = u"no folder for autosave copies is known (HOME is not set)";
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(FileUtils::NativePath(directory_), error);
    if (error) {
        reason = WString::FromUtf8(error.message());
        return false;
    }
    // The copies hold the user's maps: only the user may read them.
    ::chmod(FileUtils::NativePath(directory_).c_str(), 0700);
    return true;
}

WString AutosaveStore::Claim(const WString& originalPath, WString& reason) const {
    if (!MakeDirectory(reason)) {
        return WString();
    }
    const WString base = BaseNameFor(originalPath);
    for (int number = 1; number <= kMaxNumberedNames; ++number) {
        WString copyPath = directory_;
        copyPath += base;
        if (number > 1) {
            copyPath += u"-";
            copyPath += WString::FromUtf8(std::to_string(number));
        }
        copyPath += kCopyExtension;
        if (Exists(copyPath)) {
            continue;
        }
        int error = 0;
        if (!CreateExclusively(InfoPathOf(copyPath), error)) {
            if (error == EEXIST) {
                continue;
            }
            reason = FileUtils::ErrorText(error);
            return WString();
        }
        if (!WriteInfo(copyPath, originalPath, reason)) {
            FileUtils::RemoveFile(InfoPathOf(copyPath));
            return WString();
        }
        return copyPath;
    }
    reason = u"every name for this map is taken";
    return WString();
}

bool AutosaveStore::WriteInfo(const WString& copyPath, const WString& originalPath, WString& reason) {
    const long pid = static_cast<long>(::getpid());
    std::string text = std::string(kInfoHeader) + "\n" + kOriginField + originalPath.ToUtf8() + "\n" +
                       kOwnerField + std::to_string(pid) + " " +
                       std::to_string(SaveTemporary::ProcessStartTime(pid)) + "\n";
    std::shared_ptr<MemFile> file = MemFile::Open(InfoPathOf(copyPath), u"wb");
    if (!file || file->Write(text.data(), 1, text.size()) != text.size()) {
        reason = FileUtils::ErrorText(ENOMEM);
        return false;
    }
    if (!file->Close()) {
        reason = FileUtils::ErrorText(file->LastError());
        return false;
    }
    return true;
}

AutosaveCopy AutosaveStore::Describe(const WString& copyPath) const {
    const Info info = ReadInfo(InfoPathOf(copyPath));
    AutosaveCopy copy;
    copy.copyPath = copyPath;
    copy.originalPath = info.originalPath;
    copy.mapName = info.originalPath.IsEmpty() ? WString(kUntitled) : info.originalPath.NameAndExtensionOf();
    copy.savedAt = ModifiedAt(copyPath);
    XmlDocument map;
    copy.readable = map.Load(copyPath, &copy.problem);
    if (copy.readable && !map.Name().EqualsNoCase(MapFile::kRootElement)) {
        copy.readable = false;
        copy.problem = u"Not a Gridvellum map";
    }
    if (copy.readable) {
        copy.problem.Clear();
    }
    return copy;
}

std::vector<AutosaveCopy> AutosaveStore::Orphans() const {
    std::vector<AutosaveCopy> copies;
    std::error_code error;
    std::filesystem::directory_iterator entries(FileUtils::NativePath(directory_), error);
    if (error) {
        return copies;
    }
    for (const std::filesystem::directory_entry& entry : entries) {
        const WString path = WString::FromUtf8(entry.path().string());
        if (!path.EndsWith(kCopyExtension) || !entry.is_regular_file(error)) {
            continue;
        }
        if (OwnerRuns(ReadInfo(InfoPathOf(path)))) {
            continue;
        }
        copies.push_back(Describe(path));
    }
    std::sort(copies.begin(), copies.end(),
              [](const AutosaveCopy& a, const AutosaveCopy& b) { return a.savedAt > b.savedAt; });
    return copies;
}

bool AutosaveStore::Remove(const WString& copyPath) {
    if (copyPath.IsEmpty()) {
        return true;
    }
    FileUtils::RemoveFile(copyPath);
    FileUtils::RemoveFile(InfoPathOf(copyPath));
    return !Exists(copyPath) && !Exists(InfoPathOf(copyPath));
}
