#pragma once

#include "document/TileContext.h"
#include "document/TileText.h"
#include "document/UndoEntry.h"
#include "support/Rect2.h"
#include "support/Vec2.h"
#include "support/WString.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class DocumentHost;
class Matrix3;
class TextTile;
class TileRef;
class TileSet;
class XmlElement;
struct ProgramState;

// The map document: the ordered tiles of one map, its scenario text and the undo and redo histories.
// It does not own the tileset; tiles refer to definitions by index at run time and by key in files.
//
// Tile order is drawing order (later tiles lie on top), reversed hit-test order and file order.
// Operations may leave empty slots for a moment; they are compacted away before the operation ends.
// Framework duties (repainting, making sure a tileset is loaded, the window title) go through the
// host, so the editor and the command line drive the same document.
class CGridvellumDoc {
public:
    // The colour the tile colour dialog starts from: channels and strength 0 .. 1.
    struct SelectedColor {
        double red = 0.0;
        double green = 0.0;
        double blue = 0.0;
        double strength = 0.25;
    };

    // The host may be null (no view, no title, no tileset switching) and may be set later.
    CGridvellumDoc(TileSet& tileSet, ProgramState& state, DocumentHost* host = nullptr);
    ~CGridvellumDoc();
    CGridvellumDoc(const CGridvellumDoc&) = delete;
    CGridvellumDoc& operator=(const CGridvellumDoc&) = delete;

    void SetHost(DocumentHost* host) { host_ = host; }
    TileContext& Context() { return context_; }
    TileSet& Tiles() const { return context_.Tiles(); }
    ProgramState& State() const { return context_.State(); }

    // Lifecycle. Open reads the whole file and binds its tileset before it touches the document: a
    // file that cannot be read or parsed, or whose tileset cannot be read whole, leaves the open
    // document as it was and reports false. Save reports false when the file was not written; the
    // document then stays modified. After a false result FileError says why.
    bool OnNewDocument();
    bool OnOpenDocument(const WString& path);
    // Opens an autosave copy as the map it was taken from: bound to originalPath (empty for a map
    // that was never saved) and modified, since its changes were never saved there. The file at
    // originalPath is not read. False, as with Open, when the copy cannot be read.
    bool OnRecoverDocument(const WString& copyPath, const WString& originalPath);
    bool OnSaveDocument(const WString& path);
    // Why the last open or save failed: the system's or the parser's reason, or the tileset's problem.
    const WString& FileError() const { return fileError_; }
    // lead "path": reason. -- the one form of every message about a map file that failed.
    static WString FileFailureMessage(const char16_t* lead, const WString& path, const WString& reason);
    // "Untitled [<tileset>]" for a new document, "<file name> [<tileset>]" once opened or saved.
    const WString& Title() const { return title_; }
    // Empty until the document was opened from or saved to a file.
    const WString& PathName() const { return pathName_; }
    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified = true) { modified_ = modified; }
    const WString& Scenario() const { return scenario_; }
    void SetScenario(const WString& scenario) { scenario_ = scenario; }

    // Tiles. TileAt is null for an empty slot and outside the list.
    int TileCount() const { return static_cast<int>(tiles_.size()); }
    TileRef* TileAt(int index) const;
    // Compacts, then places the tile after every tile of lower or equal sort (compared unsigned).
    // A placed tile keeps its definition: the placed counts follow insertions and removals only.
    void InsertTile(std::unique_ptr<TileRef> tile);
    // A new tile of the definition at the identity, or null when the definition's maximum is reached.
    TileRef* AddTile(int definition);
    // Map tiles (not text) that use the definition; kept as tiles come and go, so asking costs nothing.
    int CountPlaced(int definition) const;
    void DeleteAllTiles();
    // Takes the tile out of its slot, leaving the slot empty until the next compaction.
    std::unique_ptr<TileRef> ReleaseTile(int index);
    void CompactTiles();
    // Deletes text tiles whose text is empty or a single blank.
    void RemoveEmptyTexts();

    // Category state of the tile's kind: 0 unlocked, 1 locked, 2 hidden.
    int CategoryState(const TileRef& tile) const;

    // Selection; each tile carries its own flag.
    void SelectAll();
    void DeselectAll();
    void DeselectUnavailable();
    void SelectInRect(const Rect2& worldRect);
    void DeselectInRect(const Rect2& worldRect);
    void SaveSelection();
    void RestoreSelection();
    int SelectedCount() const;
    TileRef* SingleSelected() const;
    bool AnySelectedSnaps() const;
    bool AnySelectedFlippable() const;

    // Topmost tiles under a world point.
    TileRef* HitTestSelectable(const Vec2& worldPt) const;
    TileRef* HitTestVisible(const Vec2& worldPt) const;
    TextTile* HitTestText(const Vec2& worldPt, int& caretIndex) const;
    // Union of the tiles' boxes (or the selected ones'); the zero box at the origin when none counts.
    // With widen and all tiles, the box grows to at least the view's client size, centred.
    Rect2 DocumentBounds(bool selectedOnly, bool widen) const;
    SelectedColor GetSelectedColor() const;

    // The map format. The clipboard form leaves out the scenario.
    void WriteXml(XmlElement& root, bool clipboardForm) const;
    // Adds the tiles of root to the document (existing tiles stay), resolved against the loaded tileset.
    void ReadXml(const XmlElement& root, bool skipScenario);
    // Appends the clipboard form as text.
    void ToText(WString& out) const;
    // The clipboard form of a map holding the given tiles, in their order.
    void TextOf(const TileTexts& tiles, WString& out) const;
    // The tiles' texts in tile order, as identities: each is written only when it is read or the tile
    // is about to change (see TileRef::ClipboardIdentity).
    void CollectTileTexts(TileTexts& out) const;
    // Writes every tile's text not written yet, so that lists sharing them can be read as text.
    void WriteTileTexts() const;
    // Makes the tiles those of the list, in its order, as reading its text would: a tile whose text
    // is in the list stays as it is, every other one is read from its text. Nothing is selected
    // afterwards.
    void ReplaceTiles(const TileTexts& tiles);
    // Reads tiles from text in the clipboard form; false (nothing happens) when it does not parse.
    bool LoadTilesFromText(const WString& text);

    // Around a tileset change: the tiles leave as text and come back resolved against the new tileset.
    void DetachForTilesetChange(WString& out);
    void ReattachAfterTilesetChange(const WString& text);

    // Histories of the tiles as they were, oldest first (see UndoEntries), and the tiles' texts taken
    // when an edit began (none outside an edit).
    UndoList& UndoHistory() { return undoHistory_; }
    UndoList& RedoHistory() { return redoHistory_; }
    std::optional<TileTexts>& PreEditSnapshot() { return preEditSnapshot_; }

private:
    void ForgetEditState();
    void SetDocumentTitle(const WString& title);
    WString TitleFor(const WString& path) const;
    void Repaint() const;
    bool MayPlace(std::uint32_t definition, int used) const;
    void CountPlacement(const TileRef& tile, int change);
    // The map text around the tiles' own: the declaration and the root element's start, then its end.
    void AppendTextStart(WString& out, bool anyTile) const;
    void AppendTextEnd(WString& out, bool anyTile) const;
    // Reads the tile elements of a clipboard text; a slot stays empty for an element that is not a tile
    // of the loaded tileset.
    std::vector<std::unique_ptr<TileRef>> ReadTileElements(const WString& text);
    // Reads the texts at the given places of the list; one that does not parse leaves its slot empty.
    void ReadTilesInto(const TileTexts& texts, const std::vector<size_t>& slots,
                       std::vector<std::unique_ptr<TileRef>>& into);
    template <typename Accept> TileRef* HitTestTopmost(const Vec2& worldPt, Accept accept) const;

    TileContext context_;
    DocumentHost* host_ = nullptr;
    WString scenario_;
    std::vector<std::unique_ptr<TileRef>> tiles_;
    // Set while some slot may be empty, so that compaction costs nothing in the usual case.
    bool hasEmptySlots_ = false;
    // Map tiles placed per definition index.
    std::vector<int> placed_;
    std::vector<bool> selectionSnapshot_;
    UndoList undoHistory_;
    UndoList redoHistory_;
    std::optional<TileTexts> preEditSnapshot_;
    WString title_;
    WString pathName_;
    WString fileError_;
    bool modified_ = false;
};
