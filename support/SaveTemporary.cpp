#include "support/SaveTemporary.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kMarker = ".gvtmp-";

struct SplitPath {
    std::string directory; // with its trailing '/', or "./"
    std::string name;
};

SplitPath Split(const std::string& target) {
    const size_t slash = target.rfind('/');
    if (slash == std::string::npos) {
        return SplitPath{"./", target};
    }
    return SplitPath{target.substr(0, slash + 1), target.substr(slash + 1)};
}

// Parses "<pid>-<start>-" at the front of text; false when it is not there.
bool ParseWriter(const char* text, long& pid, unsigned long long& start) {
    char* end = nullptr;
    errno = 0;
    pid = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '-' || pid <= 0) {
        return false;
    }
    const char* startText = end + 1;
    start = std::strtoull(startText, &end, 10);
    return errno == 0 && end != startText && *end == '-' && start > 0;
}

bool IsStale(const std::string& path, const char* writer) {
    long pid = 0;
    unsigned long long start = 0;
    if (!ParseWriter(writer, pid, start)) {
        return false;
    }
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        return false;
    }
    return SaveTemporary::ProcessStartTime(pid) != start;
}

} // namespace

unsigned long long SaveTemporary::ProcessStartTime(long pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%ld/stat", pid);
    std::FILE* file = std::fopen(path, "re");
    if (file == nullptr) {
        return 0;
    }
    char line[1024];
    const size_t length = std::fread(line, 1, sizeof line - 1, file);
    std::fclose(file);
    line[length] = '\0';
    // The command name in brackets may hold blanks and brackets; the fields follow the last ')'.
    const char* field = std::strrchr(line, ')');
    if (field == nullptr) {
        return 0;
    }
    // After ')' come the state (field 3) and so on; the start time is field 22.
    for (int number = 2; number < 22 && field != nullptr; ++number) {
        field = std::strchr(field + 1, ' ');
    }
    return field != nullptr ? std::strtoull(field + 1, nullptr, 10) : 0;
}

std::string SaveTemporary::TemplateFor(const std::string& target) {
    const long pid = static_cast<long>(::getpid());
    static const unsigned long long start = ProcessStartTime(pid);
    return target + kMarker + std::to_string(pid) + "-" + std::to_string(start) + "-XXXXXX";
}

int SaveTemporary::RemoveStale(const std::string& target) {
    const SplitPath parts = Split(target);
    const std::string prefix = parts.name + kMarker;
    DIR* directory = ::opendir(parts.directory.c_str());
    if (directory == nullptr) {
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = ::readdir(directory)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) != 0) {
            continue;
        }
        const std::string path = parts.directory + entry->d_name;
        if (IsStale(path, entry->d_name + prefix.size()) && ::unlink(path.c_str()) == 0) {
            ++removed;
        }
    }
    ::closedir(directory);
    return removed;
}
