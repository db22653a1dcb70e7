#pragma once

#include "support/WString.h"

// Shows a file to the user with the desktop's default application for its type (the report, the help
// text, the picture of the scenario tokens). The program does not wait for it.
class ShellOpen {
public:
    // False when the desktop could not start an application for the file.
    static bool OpenFile(const WString& path);
};
