#pragma once

#include "tools/ImageWriter.h"
#include "tools/SampleMatrix.h"
#include "tools/SampleXml.h"

#include <QImage>

#include <map>
#include <string>
#include <utility>
#include <vector>

// One generated tileset file: its tiles are written as pictures and as Tile elements, and what the
// sample map and the preview need to know about each tile is kept by name.
class SampleTileset {
public:
    struct Flag {
        int index;
        bool defaultState;
        std::string label;
    };
    struct DrawEntry {
        bool post;          // PostDrawTile rather than PreDrawTile
        std::string target; // name of a tile defined earlier
        SampleMatrix matrix;
        int condition;
        int flag;
    };
    struct Tile {
        std::string name;
        int type = 0;
        QImage image;
        ImageWriter::Format format = ImageWriter::Format::Rgba;
        QImage flipImage;                                        // null when the tile has none
        std::vector<std::pair<std::string, std::string>> extras; // further attributes, in file order
        std::vector<Flag> localFlags;
        std::vector<DrawEntry> entries;
        bool freePlacement = false;
        int sort = -1; // -1: the same as type
    };

    SampleTileset(std::string fileName, std::string imageFolder, ImageWriter& images);

    const std::string& FileName() const { return fileName_; }
    SampleXml& Root() { return root_; }

    void AddTileType(int type, const std::string& label, bool shown, int defaultState);
    void AddGlobalFlag(int index, bool defaultState, const std::string& label);
    // Writes the tile's pictures and its element; false when a picture could not be written or an
    // entry names a tile that is not defined before it.
    bool AddTile(Tile tile);
    bool Save() const;

    const Tile* Find(const std::string& name) const; // this set first, then its base set
    std::string Key(const std::string& name) const;  // the key a map uses for the tile
    void SetBase(const SampleTileset* base) { base_ = base; }
    const std::vector<std::string>& TileNames() const { return order_; }

private:
    std::string ImagePath(const std::string& name, const char* suffix, ImageWriter::Format format) const;

    std::string fileName_;
    std::string imageFolder_;
    ImageWriter& images_;
    SampleXml root_;
    std::map<std::string, Tile> tiles_;
    std::vector<std::string> order_;
    const SampleTileset* base_ = nullptr;
};
