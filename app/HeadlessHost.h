#pragma once

#include "document/DocumentHost.h"
#include "support/WString.h"

class TileSet;

// The document's host when the program runs without a window: there is no view to repaint and no
// one to ask for a tileset, and tilesets load from the data directory like the editor's do. A map
// whose tileset is missing or unreadable is refused, so the caller fails loudly instead of saving a
// map whose tiles were all dropped or fell back to the first definition.
class HeadlessHost : public DocumentHost {
public:
    HeadlessHost(TileSet& tileSet, const WString& dataDirectory);

    void RepaintMap() override {}
    ClientSize ViewClientSize() const override { return ClientSize{}; }
    // The loaded tileset, else the first ".set" file of the data directory in name order.
    bool EnsureTileSet() override;
    bool SetTileSetByName(const WString& name, WString& problem) override;
    void SetTitle(const WString& title) override { title_ = title; }

    const WString& Title() const { return title_; }

private:
    TileSet& tileSet_;
    WString dataDirectory_;
    WString title_;
};
