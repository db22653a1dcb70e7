#pragma once

#include "support/WString.h"

// Size of the map view's client area in pixels; {0, 0} when no view exists.
struct ClientSize {
    int width = 0;
    int height = 0;

    bool IsEmpty() const { return width <= 0 && height <= 0; }
};

// What a map document needs from whoever shows it. The editor implements it with its frame and map
// view, the command line with a window-less stand-in, so both drive the same document.
class DocumentHost {
public:
    virtual ~DocumentHost() = default;

    // Redraws the map view when there is one.
    virtual void RepaintMap() = 0;
    virtual ClientSize ViewClientSize() const = 0;
    // Makes sure a tileset is loaded: the one used last, else the first found, else one the user picks.
    // False when the program is left without one.
    virtual bool EnsureTileSet() = 0;
    // Loads the named tileset unless it is the loaded one (letter case ignored) and remembers it. A map
    // is read only over a whole tileset: false, with problem saying why (a sentence that follows
    // "Could not open "map": "), when the tileset cannot be read and nothing took its place; the
    // tileset loaded before stays loaded then.
    virtual bool SetTileSetByName(const WString& name, WString& problem) = 0;
    // Shows the document's title, for example in the main window's caption.
    virtual void SetTitle(const WString& title) = 0;
};
