#pragma once

#include "support/WString.h"

// Turns a file name from a tileset or a map into the path of a file beside the program.
//
// Names are always relative to the program's data directory, never to the file that mentions them.
// They are often written on another system, so a backslash separates like a slash, and a component
// that does not exist with its exact letter case is matched against the directory's entries without
// regard to case ("Tiles\Door.PNG" finds tiles/door.png). The data directory itself is taken as given.
class DataPath {
public:
    // Longest full path the program accepts, in units; a longer one resolves to the empty path.
    static constexpr int kMaxPathUnits = 1024;

    explicit DataPath(const WString& dataDirectory);

    const WString& Directory() const { return directory_; }

    // The data directory joined with name, with backslashes turned into slashes and every component
    // matched as described above. Components that match nothing are kept as written, so the result of
    // a missing file still names it clearly in error texts.
    WString Resolve(const WString& name) const;

    // True for an existing plain file: directories, devices and pipes are never read as tilesets or
    // images (a pipe would block the program forever).
    static bool IsRegularFile(const WString& fullPath);

    // The same join without any look-up on disk.
    WString Join(const WString& name) const;

private:
    static WString MatchComponent(const WString& directory, const WString& component);

    WString directory_;
};
