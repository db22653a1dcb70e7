#pragma once

#include "platform/PlatformFont.h"
#include "support/WString.h"

class TileSet;
struct ProgramState;

// What every placed tile reads besides itself: the loaded tileset (definitions, grid, colours, fonts)
// and the program-wide switches. The document owns one and hands it to each tile it makes, so the
// context outlives its tiles.
//
// Text tiles measure through a platform font; making one is far dearer than measuring with it, so
// the last font is kept and reused while face and height stay the same.
class TileContext {
public:
    TileContext(TileSet& tileSet, ProgramState& state) : tileSet_(tileSet), state_(state) {}
    TileContext(const TileContext&) = delete;
    TileContext& operator=(const TileContext&) = delete;

    TileSet& Tiles() const { return tileSet_; }
    ProgramState& State() const { return state_; }

    // A font of the face at the given character height in pixels (the platform's negative height).
    // Its measures are all 0 when no font can be made (no application object).
    const PlatformFont& MeasuringFont(const WString& face, int characterHeight);

private:
    TileSet& tileSet_;
    ProgramState& state_;
    PlatformFont font_;
};
