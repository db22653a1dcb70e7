#pragma once

#include <QIcon>

class WString;

// The editor's window icon: the application icon's pictures that lie beside the program as
// icons/gridvellum-<N>.png, the same drawings the desktop's icon theme gets. Reading them from the
// program's folder keeps the icon right wherever the program runs from, the build folder included.
class WindowIcon {
public:
    static constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};

    // Every size found in programDirectory (which ends in '/'); a null icon when none is there.
    static QIcon FromDirectory(const WString& programDirectory);
};
