#pragma once

#include "support/Rgb8.h"
#include "support/WString.h"

// The values a tileset file sets on its root element, with the defaults every load starts from.
// Colours are red, green, blue; the two HTML colours are copied verbatim into published pages.
struct TileSetSettings {
    WString copyright;
    WString fontName = u"Arial";

    Rgb8 backColor{0, 0, 0}; // map background on screen
    Rgb8 gridColor{128, 128, 128};
    Rgb8 backPublishColor{255, 255, 255}; // map background in a published image
    Rgb8 textScreenColor{255, 255, 255};
    Rgb8 textPublishColor{0, 0, 0};
    bool publishWithGrid = false;
    WString htmlTitleColor = u"#FFFFFF";
    WString htmlTitleBkColor = u"#000000";

    // Opacity of movement-path markers, 0 to 1.
    float pathTransparency = 0.5f;

    // File names of the tile panel's type buttons (17 x 17) and category bars (111 x 17).
    WString guiExpanded = u"gui_typebutton_expanded.png";
    WString guiCollapsed = u"gui_typebutton_collapsed.png";
    WString guiHidden = u"gui_typebutton_hidden.png";
    WString guiLocked = u"gui_typebutton_locked.png";
    WString guiUnlocked = u"gui_typebutton_unlocked.png";
    Rgb8 guiTextColor{0, 0, 0};

    // World units of the snap grid and of the drawn grid; both at least 1.
    int gridSize = 64;
    int drawGridSize = 64;
};
