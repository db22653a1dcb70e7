#pragma once

#include "support/WString.h"

#include <functional>

// Shows a file to the user with the desktop's default application for its type (the report, the help
// text, the picture of the scenario tokens) through the desktop's opener, "xdg-open" found on PATH.
// The program never waits for it.
class ShellOpen {
public:
    // Gets the path and the reason when nothing could show the file.
    using FailureHandler = std::function<void(const WString& path, const WString& reason)>;

    // Starts the opener and returns at once: false (after onFailure ran) when the file is missing or
    // no opener could be found. When the opener starts but then reports that no application could
    // show the file, onFailure runs later, from the event loop.
    static bool Open(const WString& path, FailureHandler onFailure);
    static bool OpenFile(const WString& path) { return Open(path, nullptr); }

    // Why the opener gave up, from its exit status.
    static WString ExitReason(int exitStatus);
};
