#pragma once

#include "support/WString.h"

#include <functional>
#include <vector>

class CGridvellumDoc;
class DocumentHost;
class TileSet;

// Which tileset is loaded: the choice at start, the "Change TileSet" command that keeps the open map
// and re-resolves its tiles by name against the new definitions, and switching by name when a map
// names its tileset. Tileset names are file names relative to the program's directory.
class TileSetChange {
public:
    static constexpr const char16_t* kLastTileSetKey = u"LastTileSet";
    static constexpr const char16_t* kMissingTilesHeading =
        u"Can't change tilesets due to\nthe following missing tiles:\n---------------------------\n";
    // The open-file dialog's filter and default extension for choosing a tileset.
    static constexpr const char16_t* kFileFilter = u"TileSet Files (*.set)|*.set|All Files (*.*)|*.*||";
    static constexpr const char16_t* kDefaultExtension = u".set";
    // Base tilesets nest at most this deep in the missing-tile check; a tileset that names itself is
    // read once.
    static constexpr int kMaxNesting = 16;

    // Whatever file the user picks, only its name and extension count: tilesets are always read from
    // the program's directory.
    static WString NameFromPickedFile(const WString& pickedPath);

    // Loads name unless it is the loaded tileset (letter case ignored) and remembers it as the last
    // used one. True when a load ran; the caller then lays out the tile panel and repaints.
    static bool SetTileSetByName(TileSet& tileSet, const WString& name);

    // True when a map may be opened over the tileset name from dataDirectory: the file and every base
    // tileset it names can be read. Otherwise problem says which file and why, as a sentence that
    // follows "Could not open "map": " (its tileset "x.set" is not in /dir/.).
    static bool CanOpenMapsWith(const WString& dataDirectory, const WString& name, WString& problem);
    // The problem of a tileset that passed that check but then did not load whole (it changed on the
    // disk in between; the loader has said which file and why).
    static WString NotWholeProblem(const WString& name);

    // At start: nothing when a tileset is loaded; else the last used one, while its file still exists;
    // else the first "*.set" of the program's directory (by name, so every start picks the same one);
    // else whatever ask returns (a picked path, or empty when the user cancelled). True when a tileset
    // is loaded afterwards.
    static bool ChooseAtStart(TileSet& tileSet, const std::function<WString()>& ask);

    // The "name" of every Tile element of the tileset file and, recursively, of its base tilesets,
    // read directly from the files in dataDirectory.
    static std::vector<WString> TileNamesOf(const WString& dataDirectory, const WString& setName);
    // The placed map tiles whose tile name the tileset setName does not define, letter case ignored;
    // a tile placed three times is listed three times. Empty when the change may go ahead; otherwise
    // the message to show, listing each missing placement on a line of its own.
    static WString MissingTilesMessage(const CGridvellumDoc& doc, const WString& setName);

    // The "Change TileSet" command after the user picked a file. Refused (false, message set) when the
    // map uses tiles the new tileset lacks: the tileset, the map and its undo history stay as they
    // were. Otherwise the map goes to memory, the tileset is switched (through the host when there is
    // one, so that it lays out its panel), the map comes back resolved by name and is marked modified;
    // the undo history is gone. The caller sets the window title again.
    static bool ChangeTileSet(CGridvellumDoc& doc, DocumentHost* host, const WString& pickedPath,
                              WString& message);

private:
    static void CollectTileNames(const WString& dataDirectory, const WString& setName, int depth,
                                 std::vector<WString>& visited, std::vector<WString>& names);
    static WString FirstTileSetIn(const WString& dataDirectory);
};
