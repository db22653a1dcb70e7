#pragma once

#include "support/WString.h"

// What the editor's small dialogs take and give back: plain values, so that the application can ask
// through its prompts and tests can answer without any window.

// "Tile Scale": the two scales as the user typed them.
struct TileScaleValues {
    WString x = u"1.0";
    WString y = u"1.0";
};

// "Tile Color": channels and tint strength (alpha), each 0 .. 1.
struct TileColorValues {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double alpha = 0.25;
};

// "About Gridvellum": the tileset's copyright and, when OpenGL draws in this run, what it reports.
struct AboutValues {
    WString copyright;
    bool openGlInUse = false;
    WString openGlVersion;
    WString openGlExtensions; // separated by blanks, as OpenGL gives them
    int maxTextureSize = 0;
};
