#pragma once

#include <string>

// A font as the drawing code asks for it, in device pixels.
struct FontDescription {
    // Face name; "Arial" resolves to a face with the same metrics on this platform.
    std::u16string face = u"Arial";
    // Negative: the character (em) height in pixels. Positive: the cell height (ascent plus descent).
    // Zero: the platform's default size.
    int height = 0;
    // Average character width in pixels; 0 keeps the face's own proportions, any other value stretches
    // the glyphs horizontally so that the average width becomes this.
    int width = 0;
    int weight = 400; // 100 (thin) .. 900 (black); 400 normal, 700 bold
    // Direction of the baseline in tenths of a degree, counter-clockwise on screen.
    int escapement = 0;
    bool italic = false;
    bool antialiased = true;
};
