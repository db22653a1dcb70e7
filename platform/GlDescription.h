#pragma once

#include "support/WString.h"

// What the OpenGL driver of this run says about itself, for the About box.
struct GlDescription {
    WString version;
    // Separated by blanks, as OpenGL gives them.
    WString extensions;
    int maxTextureSize = 0;
};
