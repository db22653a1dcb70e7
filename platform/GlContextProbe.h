#pragma once

#include "platform/GlDescription.h"

class QSurfaceFormat;

// Whether this run can draw through OpenGL at all, and what the driver reports. The map view asks
// before it makes its OpenGL surface: on a platform without a real context (the offscreen one, an X
// server without GLX) a window holding such a surface cannot even be shown.
class GlContextProbe {
public:
    // The surface every OpenGL drawing of the program asks for: double-buffered RGBA with a depth
    // buffer, in the compatibility profile, because the frame is drawn with the fixed-function calls.
    static QSurfaceFormat Format();

    // True when a compatibility context can really be made and made current here. Needs the
    // application object of a program with a display; false without one.
    static bool CanMakeContext();

    // Version, extensions and the largest texture side of the current context; empty values when no
    // context is current.
    static GlDescription DescribeCurrent();
};
