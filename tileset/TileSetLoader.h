#pragma once

#include "support/WString.h"
#include "tileset/DataPath.h"
#include "tileset/DrawEntry.h"

#include <memory>
#include <string>
#include <vector>

class RasterCanvas;
class TileDef;
class TileSet;
class XmlDocument;
class XmlElement;
struct TileImage;

// Reads one tileset file, and first the base tilesets it names, into a TileSet. The tileset has been
// cleared and reset to its defaults by the caller; files only add to it. The error texts of each file
// are collected and shown together when that file is done, so a base tileset shows its own box.
class TileSetLoader {
public:
    // Base tilesets nest at most this deep; deeper ones are reported and skipped.
    static constexpr int kMaxNesting = 16;
    // At most this many files are read for one load, so that tilesets that name their bases many times
    // over cannot make a load take forever.
    static constexpr int kMaxFiles = 256;
    // Larger files are refused before they are read.
    static constexpr long long kMaxFileBytes = 16LL * 1024 * 1024;
    // Flag numbers run from 0 to this; a flag list grows to the highest number used.
    static constexpr int kMaxFlagIndex = 1023;

    explicit TileSetLoader(TileSet& tileSet);
    ~TileSetLoader();

    // Reads the file name (relative to the data directory) and its base tilesets. False when one of
    // those files could not be read at all, so tiles defined there are missing from the tileset.
    bool LoadFile(const WString& name);

    // True when the named tileset and every base tileset it names can be read as XML; otherwise the
    // path of the first file that cannot and the reason a load would give ("File does not exist.").
    // Reads no images, so a caller can refuse a map before it gives up the tileset it holds.
    static bool CanRead(const WString& dataDirectory, const WString& name, WString& failedPath,
                        WString& reason);
    // The names listed in a tileset's "basetilesets" attribute, separated by commas or blanks.
    static std::vector<WString> BaseNames(const XmlElement& root);

    // A tile image: a picture that does not load becomes a grey 10 x 10 square; transparent pixels take
    // the colour of their neighbours; 24-bit pictures become opaque 32-bit ones.
    void LoadTileImage(TileImage& slot, const WString& name) const;
    // Any other image, as it is in its file; the slot stays empty when it does not load.
    void LoadPlainImage(TileImage& slot, const WString& name) const;

private:
    void ParseFile(const WString& name, int depth);
    // Empty when the file was read into document, else why not.
    static WString ReadDocument(const WString& fullPath, XmlDocument& document);
    static bool CanReadChain(const DataPath& paths, const WString& name, int depth,
                             std::vector<std::string>& visited, WString& failedPath, WString& reason);
    void ParseBaseTileSets(const XmlElement& root, int depth, WString& errors);
    bool MayInclude(const WString& fullPath, int depth, WString& errors) const;
    void ApplyRootAttributes(const XmlElement& root);
    void ReplacePathImage(TileImage& slot, const WString& name) const;
    void ParseTile(const XmlElement& element, int number, const WString& tileSetName, WString& errors);
    void ParseTileChildren(const XmlElement& element, TileDef& definition, WString& errors);
    void ParseTileType(const XmlElement& element);
    void ParseGlobalFlag(const XmlElement& element, int number, WString& errors);
    DrawEntry ReadDrawEntry(const XmlElement& element) const;
    void Attach(TileImage& slot, std::unique_ptr<RasterCanvas> canvas, const WString& fullPath) const;
    void ShowErrors(const WString& errors) const;
    static std::string CanonicalPath(const WString& fullPath);

    TileSet& tileSet_;
    DataPath paths_;
    // Files being read right now, outermost first, so that a tileset naming itself is caught.
    std::vector<std::string> chain_;
    int filesRead_ = 0;
    bool everyFileRead_ = true;
};
