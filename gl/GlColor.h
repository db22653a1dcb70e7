#pragma once

#include "support/Rgb8.h"

#include <GL/gl.h>

// The current colour of immediate-mode drawing.
inline void SetGlColor(const Rgb8& color, float alpha) {
    glColor4f(color.r / 255.0f, color.g / 255.0f, color.b / 255.0f, alpha);
}

// What every drawing step leaves behind, so the next one starts from a known colour.
inline void SetGlOpaqueBlack() {
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
}
