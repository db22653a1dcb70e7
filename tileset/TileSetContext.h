#pragma once

#include "support/WString.h"

class MessageSink;
class SettingsStore;

// What a tileset needs from the program that owns it. The collaborators are not owned and must
// outlive the tileset; either may be null in tools that neither persist flags nor show errors.
struct TileSetContext {
    // The program's own directory: every file name of a tileset is relative to it.
    WString dataDirectory;
    // Global flag states are read from here when a tileset loads and written when one is toggled.
    SettingsStore* settings = nullptr;
    // Receives the collected load errors of each file, captioned with the application's name.
    MessageSink* messages = nullptr;
    // Whether images get OpenGL textures as they load. Fixed for the run.
    bool openGlDrawing = false;
};
