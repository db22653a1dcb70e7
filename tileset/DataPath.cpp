#include "tileset/DataPath.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <string>

namespace {

bool Exists(const WString& path) {
    struct stat info;
    return ::stat(path.ToUtf8().c_str(), &info) == 0;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

DataPath::DataPath(const WString& dataDirectory) : directory_(dataDirectory) {
    directory_.ReplaceUnit(u'\\', u'/');
    while (directory_.Length() > 1 && directory_.EndsWith(u"/")) {
        directory_.DropLast(1);
    }
}

bool DataPath::IsRegularFile(const WString& fullPath) {
    struct stat info;
    return !fullPath.IsEmpty() && ::stat(fullPath.ToUtf8().c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

WString DataPath::Join(const WString& name) const {
    WString relative(name);
    relative.ReplaceUnit(u'\\', u'/');
    WString full(directory_);
    if (!full.IsEmpty() && !full.EndsWith(u"/")) {
        full += u'/';
    }
    int skip = 0;
    while (skip < relative.Length() && relative.At(skip) == u'/') {
        ++skip;
    }
    full += relative.Substring(skip, relative.Length() - skip);
    if (full.Length() >= kMaxPathUnits) {
        return WString();
    }
    return full;
}

WString DataPath::Resolve(const WString& name) const {
    WString joined = Join(name);
    if (joined.IsEmpty() || Exists(joined)) {
        return joined;
    }
    WString relative(name);
    relative.ReplaceUnit(u'\\', u'/');
    WString current(directory_);
    bool matching = true;
    int start = 0;
    while (start <= relative.Length()) {
        int slash = relative.FindAfter(u"/", start, false);
        int end = slash < 0 ? relative.Length() : slash;
        WString component = relative.Substring(start, end - start);
        start = end + 1;
        if (component.IsEmpty()) {
            continue;
        }
        WString next = current;
        if (!next.IsEmpty() && !next.EndsWith(u"/")) {
            next += u'/';
        }
        if (matching && !Exists(next + component)) {
            WString found = MatchComponent(current, component);
            if (found.IsEmpty()) {
                matching = false; // the rest cannot exist either; keep it as written
            } else {
                component = found;
            }
        }
        current = next + component;
    }
    return current.Length() >= kMaxPathUnits ? WString() : current;
}

WString DataPath::MatchComponent(const WString& directory, const WString& component) {
    std::unique_ptr<DIR, DirCloser> dir(::opendir(directory.IsEmpty() ? "." : directory.ToUtf8().c_str()));
    if (!dir) {
        return WString();
    }
    // The directory order is arbitrary; taking the smallest match keeps the choice the same on every run
    // when a folder holds names that differ only in case.
    WString best;
    while (const dirent* entry = ::readdir(dir.get())) {
        WString candidate = WString::FromUtf8(entry->d_name);
        if (candidate.EqualsNoCase(component) && (best.IsEmpty() || candidate < best)) {
            best = candidate;
        }
    }
    return best;
}
