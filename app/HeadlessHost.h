#pragma once

#include "document/DocumentHost.h"
#include "support/WString.h"

#include <vector>

class TileSet;

// The document's host when the program runs without a window: there is no view to repaint and no
// one to ask for a tileset, and tilesets load from the data directory like the editor's do. A
// tileset a map names that does not exist is remembered, so the caller can fail loudly instead of
// saving a map whose tiles all fell back to the first definition.
class HeadlessHost : public DocumentHost {
public:
    HeadlessHost(TileSet& tileSet, const WString& dataDirectory);

    void RepaintMap() override {}
    ClientSize ViewClientSize() const override { return ClientSize{}; }
    // The loaded tileset, else the first ".set" file of the data directory in name order.
    bool EnsureTileSet() override;
    void SetTileSetByName(const WString& name) override;
    void SetTitle(const WString& title) override { title_ = title; }

    const WString& Title() const { return title_; }
    // Tileset names that were asked for and could not be read.
    const std::vector<WString>& MissingTileSets() const { return missing_; }

private:
    TileSet& tileSet_;
    WString dataDirectory_;
    WString title_;
    std::vector<WString> missing_;
};
