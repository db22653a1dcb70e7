#pragma once

#include "support/WString.h"

#include <string>

namespace testsupport {

// A fresh folder under the system's temporary folder that plays the program's directory (or any
// folder a test writes into), removed with everything in it when the object goes.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& prefix = "gv_test");
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return path_; }
    WString WPath() const { return WString::FromUtf8(path_); }
    std::string Join(const std::string& relative) const { return path_ + "/" + relative; }
    WString WJoin(const std::string& relative) const { return WString::FromUtf8(Join(relative)); }

    // Writes bytes to a file under the folder, creating the folders on the way.
    void Write(const std::string& relative, const std::string& bytes) const;
    // The file's bytes; empty when it cannot be read.
    std::string Read(const std::string& relative) const;
    void MakeDir(const std::string& relative) const;

private:
    std::string path_;
};

} // namespace testsupport
