#pragma once

#include <QImage>

#include <string>
#include <vector>

// The toolbar's own pictures, drawn here for desktops whose icon theme lacks them: simple dark
// outlines with one accent colour on a 24-unit square, named as the icon theme names them.
class ToolBarArt {
public:
    static std::vector<std::string> Names();
    // The picture at size x size pixels, transparent around it; a null image for an unknown name.
    static QImage Draw(const std::string& name, int size);
};
