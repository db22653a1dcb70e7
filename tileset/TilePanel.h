#pragma once

#include "raster/RasterCanvas.h"
#include "support/WString.h"

#include <functional>
#include <memory>
#include <vector>

class CanvasPainter;
class DcRasterCanvas;
class TileSet;

// The tile the user pressed on in the panel, waiting for the map view to take it when the mouse,
// still held, moves over the map.
struct PanelPick {
    bool dragging = false;
    int definition = -1;
    // The right half of the cell was hit: the new tile starts flipped when its definition can flip.
    bool rightHalf = false;
};

// The tile panel: the tileset's shown categories one under the other, each a 17-pixel header row
// (type button and bar with the label) and, when expanded, a grid of square cells with the tiles of
// that category. This class is the panel without any window: layout, hit tests, scrolling, tooltips
// and painting into a canvas; the widget around it feeds it sizes and mouse positions in client
// pixels (y down) and copies the painted canvas to the screen.
//
// Category states (unlocked, locked, hidden) and the expanded bits live in the tileset, so the map
// and the panel agree on them; the grid images live here because their layout depends on the panel's
// tile size and columns.
class TilePanel {
public:
    static constexpr int kHeaderHeight = 17;
    static constexpr int kScrollBarWidth = 17;
    // x at or left of this on a header hits the type button; right of it, the bar.
    static constexpr int kTypeButtonWidth = 17;
    static constexpr int kBarImageWidth = 111;
    static constexpr int kLabelX = 25;
    static constexpr int kLabelBaseline = 12; // below the header's top row
    static constexpr int kLabelCharacterHeight = 10;
    static constexpr int kLineStep = 17;
    static constexpr int kWheelStep = 51;
    static constexpr int kSmallTiles = 64;
    static constexpr int kLargeTiles = 128;
    static constexpr int kMinColumns = 1;
    static constexpr int kMaxColumns = 6;
    // A tile image keeps this many pixels free on each side of its cell (or half cell).
    static constexpr int kCellMargin = 4;
    // Count marks (cross or circle) stay this far inside the cell and are drawn this wide.
    static constexpr int kMarkInset = 20;
    static constexpr int kMarkPenWidth = 5;

    // How many copies of a definition the open map holds; the panel marks full ones.
    using UsedCount = std::function<int(int definition)>;

    enum class Part { None, TypeButton, Bar, Tile };
    struct Hit {
        Part part = Part::None;
        int category = -1;   // block in the panel, 0 = top
        int definition = -1; // for Part::Tile
        bool rightHalf = false;
    };
    enum class Click { None, StateCycled, ExpandToggled, Picked };

    // tileSize and columns are taken as given when valid (64 or 128; 1 to 6), else 128 and 6.
    TilePanel(TileSet& tileSet, int tileSize, int columns);
    ~TilePanel();
    TilePanel(const TilePanel&) = delete;
    TilePanel& operator=(const TilePanel&) = delete;

    int TileSize() const { return tileSize_; }
    int Columns() const { return columns_; }
    // Pixels the categories take across; the pane adds the scroll bar.
    int PanelWidth() const { return tileSize_ * columns_; }
    int PaneWidth() const { return PanelWidth() + kScrollBarWidth; }
    // False (and nothing happens) for a value that is not allowed or already current; otherwise the
    // grid images are remade and the layout runs again.
    bool SetTileSize(int tileSize);
    bool SetColumns(int columns);

    // Remakes every category's grid image from the tileset's current categories and tiles. Run after
    // every tileset load and after the tile size or the columns change.
    void RebuildAll();

    int CategoryCount() const { return static_cast<int>(blocks_.size()); }
    // Definition indices of the block's tiles, in definition order.
    const std::vector<int>& TilesOf(int category) const;
    int GridRows(int category) const;
    // Null for a block without tiles.
    const RasterCanvas* GridImage(int category) const;

    // Recomputes the content height for a client area of the given height and keeps the scroll
    // position inside the content.
    void Layout(int clientHeight);
    int ContentHeight() const { return contentHeight_; }
    int ClientHeight() const { return clientHeight_; }
    int ScrollPosition() const { return scrollPosition_; }
    // The largest scroll position: the content's end at the client's bottom.
    int MaxScroll() const;
    bool ScrollBarEnabled() const { return contentHeight_ >= clientHeight_ && contentHeight_ > 0; }
    // Scrolling happens only while the content is taller than the client area; positions are kept
    // between 0 and MaxScroll(). True when the position changed.
    bool ScrollBy(int delta);
    bool ScrollTo(int position);
    bool ScrollLine(bool down) { return ScrollBy(down ? kLineStep : -kLineStep); }
    bool ScrollPage(bool down) { return ScrollBy(down ? clientHeight_ : -clientHeight_); }
    // One wheel message: a positive delta scrolls toward the start, zero or negative toward the end.
    bool Wheel(int delta);

    Hit HitTest(int clientX, int clientY) const;
    // A press at a client point. Any earlier pick is dropped first. A header press cycles the state
    // (type button) or expands and collapses (bar); a press on a tile of an unlocked category picks
    // it. The caller deselects what became unavailable and repaints after StateCycled.
    Click MouseDown(int clientX, int clientY);
    // Releasing the button over the panel ends the drag, so only a drag that leaves the panel with
    // the button held reaches the map.
    void MouseUp() { pick_.dragging = false; }
    const PanelPick& Pick() const { return pick_; }
    // The map view took the pick (or it was abandoned).
    void ClearPick() { pick_.dragging = false; }

    // Shows only the tiles whose name contains text, letter case and accents ignored: every category
    // keeps its header, the ones with matches are shown expanded and the others collapsed, and the
    // panel scrolls to the top. The categories' own expanded bits are left alone, so an empty text
    // gives back the full panel as it was, at the scroll position it had before the search began.
    // Any pick is dropped.
    void SetFilter(const WString& text);
    bool IsFiltered() const { return !filter_.IsEmpty(); }
    // The folded search text; empty when the full panel shows.
    const WString& Filter() const { return filter_; }
    // Tiles shown over all categories while a search is on.
    int MatchCount() const { return matchCount_; }

    // Empty where there is nothing to explain.
    WString Tooltip(int clientX, int clientY, const UsedCount& used) const;

    // Paints the visible part of the panel into target, whose size is the panel's client area
    // without the scroll bar.
    void Paint(DcRasterCanvas& target, const UsedCount& used) const;

private:
    struct Block {
        int position = 0; // the tileset's category position
        std::vector<int> tiles;
        // What the panel shows: all tiles, or the matches of the search. shownCells holds, for each
        // shown tile, its cell number in the grid image, which always holds every tile.
        std::vector<int> shown;
        std::vector<int> shownCells;
        // Expanded while a search is on; the tileset's bit holds when none is.
        bool filterExpanded = false;
        std::unique_ptr<RasterCanvas> grid;
    };

    static bool IsValidTileSize(int tileSize);
    static bool IsValidColumns(int columns);
    void BuildGrid(Block& block);
    void DrawTileIntoCell(RasterCanvas& grid, int definition, int cellLeft, int cellTop);
    void DrawScaled(RasterCanvas& source, RasterCanvas& grid, double scale, double centreX, double centreY);
    bool IsExpanded(const Block& block) const;
    int StateOf(const Block& block) const;
    WString LabelOf(const Block& block) const;
    int GridHeight(const Block& block) const;
    int ShownRows(const Block& block) const;
    void ApplyFilter();
    void ShowAll(Block& block);
    void CopyShownCells(CanvasPainter& painter, const Block& block, int top, int clientHeight) const;
    void PaintHeader(DcRasterCanvas& target, const Block& block, int top) const;
    void PaintGrid(DcRasterCanvas& target, const Block& block, int top, const UsedCount& used) const;
    void PaintCountMark(DcRasterCanvas& target, int status, int cellLeft, int cellTop) const;

    TileSet& tileSet_;
    int tileSize_;
    int columns_;
    std::vector<Block> blocks_;
    int contentHeight_ = 0;
    int clientHeight_ = 0;
    int scrollPosition_ = 0;
    PanelPick pick_;
    const std::vector<int> noTiles_;
    WString filter_;
    int matchCount_ = 0;
    // The scroll position when the search began, given back when it ends.
    int scrollBeforeFilter_ = 0;
    // Each definition's name, folded once per tileset load so a keystroke only compares.
    std::vector<WString> foldedNames_;
};
