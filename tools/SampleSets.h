#pragma once

#include "tools/ImageWriter.h"
#include "tools/SampleTileset.h"
#include "tools/TileArt.h"

#include <memory>

// The content of the bundled tilesets: a dungeon set and a small extension that builds on it.
class SampleSets {
public:
    explicit SampleSets(ImageWriter& images) : images_(images) {}

    bool Build();
    const SampleTileset& Main() const { return *main_; }
    const SampleTileset& Extra() const { return *extra_; }

private:
    bool BuildMainRoot();
    bool BuildMapTiles();
    bool BuildOverlays();
    bool BuildObjects();
    bool BuildItems();
    bool BuildFigures();
    bool BuildMarkers();
    bool BuildExtra();
    bool Add(SampleTileset& set, SampleTileset::Tile tile);

    ImageWriter& images_;
    TileArt art_;
    std::unique_ptr<SampleTileset> main_;
    std::unique_ptr<SampleTileset> extra_;
};
