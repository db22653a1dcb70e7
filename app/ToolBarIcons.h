#pragma once

#include <QIcon>

class WString;

// The toolbar's pictures: the desktop icon theme's icon of a name when the theme has one, else the
// picture drawn for this program under that name, icons/toolbar/<name>-<size>.png beside it.
class ToolBarIcons {
public:
    static constexpr int kSizes[] = {16, 24, 32};

    static QIcon For(const char* name, const WString& programDirectory);
    // Only the drawn picture, whatever the theme offers.
    static QIcon Drawn(const char* name, const WString& programDirectory);
};
