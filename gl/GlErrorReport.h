#pragma once

#include "support/WString.h"

#include <functional>

// Where OpenGL errors go: the status bar in the map view. Errors are shown and drawing goes on, so a
// driver that rejects one call never leaves the map blank.
using GlErrorSink = std::function<void(const WString&)>;

class GlErrorReport {
public:
    // "had error: #(1280) invalid enumerant" for GL_INVALID_ENUM.
    static WString Describe(unsigned int code);
    // Reads the error state of the current context once and passes a non-zero code on to the sink
    // (nothing when the sink is empty). Returns the code, 0 when there was none.
    static unsigned int Check(const GlErrorSink& sink);
};
