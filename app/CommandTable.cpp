#include "app/CommandTable.h"

#include <array>
#include <cstring>

namespace {

using C = CommandTable;
using P = MenuPlace;

// Zoom identifiers by percentage / 10 - 1 (10 % first).
constexpr std::array<int, 10> kZoomIds = {32813, 32812, 32811, 32810, 32794,
                                          32809, 32808, 32807, 32806, 32793};

constexpr CommandInfo kAllCommands[] = {
    // File.
    {C::kNew, P::File, "&New\tCtrl+N", "Ctrl+N", "Create a new map\nNew", "document-new"},
    {C::kOpen, P::File, "&Open...\tCtrl+O", "Ctrl+O", "Open an existing map\nOpen", "document-open"},
    {C::kSave, P::File, "&Save\tCtrl+S", "Ctrl+S", "Save the map\nSave", "document-save"},
    {C::kSaveAs, P::File, "Save &As...", "", "Save the map under a new name\nSave As", "document-save-as"},
    {0, P::File},
    {C::kPublish, P::File, "Publish to JPEG", "", "Publish the map as a JPEG picture with its scenario page",
     ""},
    {C::kChangeTileSet, P::File, "Change TileSet", "", "Change to another tileset, keeping the map", ""},
    {C::kGenerateReport, P::File, "Generate Report", "", "Write the tile usage report and show it", ""},
    {0, P::File},
    {C::kPrint, P::File, "Print...", "Ctrl+P", "Print the map at one grid cell per inch\nPrint",
     "document-print"},
    {C::kPrintPreview, P::File, "Print Preview...", "", "Show the pages as they will print\nPrint Preview",
     "document-print-preview"},
    {C::kPrintSetup, P::File, "Print Setup...", "", "Choose the printer and the paper", ""},
    {0, P::File},
    {C::kRecentFile, P::File, "Recent File", "", "Open this map", ""},
    {0, P::File},
    {C::kExit, P::File, "E&xit", "", "Quit Gridvellum", "application-exit"},

    // Edit.
    {C::kUndo, P::Edit, "Undo\tCtrl+Z", "Ctrl+Z", "Undo the last edit\nUndo", "edit-undo"},
    {C::kRedo, P::Edit, "Redo\tCtrl+Y", "Ctrl+Y; Ctrl+Shift+Z", "Redo the edit undone last\nRedo",
     "edit-redo"},
    {0, P::Edit},
    {C::kSelectAll, P::Edit, "Select All\tCtrl+A", "Ctrl+A", "Select every tile of the map",
     "edit-select-all"},
    {C::kDeselectAll, P::Edit, "Deselect All\tCtrl+D", "Ctrl+D", "Select nothing", ""},
    {0, P::Edit},
    {C::kCut, P::Edit, "Cu&t\tCtrl+X", "Ctrl+X; Shift+Del", "Cut the selected tiles\nCut", "edit-cut"},
    {C::kCopy, P::Edit, "&Copy\tCtrl+C", "Ctrl+C; Ctrl+Ins", "Copy the selected tiles\nCopy", "edit-copy"},
    {C::kPaste, P::Edit, "&Paste\tCtrl+V", "Ctrl+V; Shift+Ins",
     "Paste the copied tiles at the middle of the view\nPaste", "edit-paste"},
    // The Delete and F keys belong to the map view, which leaves them to a text being typed.
    {C::kDelete, P::Edit, "Delete\tDel", "", "Delete the selected tiles\nDelete", "edit-delete"},
    {0, P::Edit},
    {C::kFlipTile, P::Edit, "Flip Tile\tF", "", "Show the other side of the selected tiles", ""},
    {C::kScaleTile, P::Edit, "Scale Tile", "", "Set the scale of the selected tiles", ""},
    {C::kShowResizeHandles, P::Edit, "Show Resize Handles", "", "Show the handles of every selected tile",
     ""},
    {0, P::Edit},
    {C::kSetTileSnap, P::Edit, "Set Tile Snap", "", "The selected tiles snap to the grid", ""},
    {C::kSetTileFree, P::Edit, "Set Tile Free", "", "The selected tiles are placed freely", ""},
    {0, P::Edit},
    {C::kSetTileColor, P::Edit, "Set Tile Color", "", "Tint the selected tiles", ""},
    {C::kClearTileColor, P::Edit, "Clear Tile Color", "", "Remove the tint of the selected tiles", ""},
    {C::kSetDefaultTileColor, P::Edit, "Set Default Tile Color", "", "Choose the tint of new tiles", ""},
    {C::kClearDefaultTileColor, P::Edit, "Clear Default Tile Color", "", "New tiles are not tinted", ""},
    {0, P::Edit},
    {C::kEditScenario, P::Edit, "Edit Scenario", "", "Write the scenario description of the map", ""},
    {0, P::Edit},
    {C::kRecordPaths, P::Edit, "Record Movement Paths", "", "Moving a tile records its path", ""},
    {C::kClearSelectedPaths, P::Edit, "Clear Selected Movement Paths", "",
     "Forget the paths of the selected tiles", ""},
    {C::kClearAllPaths, P::Edit, "Clear ALL Movement Paths", "", "Forget the paths of all tiles", ""},

    // View.
    {C::kZoomExtents, P::View, "&Zoom Extents", "", "Fit the whole map into the view\nZoom Extents",
     "zoom-fit-best"},
    {C::kZoomPopup, P::View, "Zoom", "", "Choose the zoom\nZoom", "zoom-in"},
    {0, P::View},
    {C::kPanTool, P::View, "&Pan Tool", "", "Drag the map around\nPan Tool", "gridvellum-pan-tool"},
    {C::kEditTool, P::View, "&Edit Tool", "", "Select, move and turn tiles\nEdit Tool",
     "gridvellum-edit-tool"},
    {C::kTextTool, P::View, "Text Tool", "", "Write text on the map\nText Tool", "gridvellum-text-tool"},
    {0, P::View},
    {C::kSuperWheel, P::View, "Advanced Mouse Wheel Zoom", "",
     "The wheel zooms toward the tile under the mouse", ""},
    {0, P::View},
    {C::kSmallTiles, P::View, "Small Tiles", "", "Small pictures in the tile panel", ""},
    {C::kLargeTiles, P::View, "Large Tiles", "", "Large pictures in the tile panel", ""},
    {0, P::View},
    {C::kOneColumn, P::View, "1 Column", "", "", ""},
    {C::kOneColumn + 1, P::View, "2 Columns", "", "", ""},
    {C::kOneColumn + 2, P::View, "3 Columns", "", "", ""},
    {C::kOneColumn + 3, P::View, "4 Columns", "", "", ""},
    {C::kOneColumn + 4, P::View, "5 Columns", "", "", ""},
    {C::kOneColumn + 5, P::View, "6 Columns", "", "", ""},
    {0, P::View},
    {C::kQuickDraw, P::View, "Quick Draw", "", "Draw faster with less smoothing", ""},
    {C::kOpenGl, P::View, "OpenGL", "", "Draw through OpenGL from the next start", ""},
    {C::kShowDrawTime, P::View, "Show Drawtime", "", "Show how long each frame takes to draw", ""},

    // The zoom entries.
    {32793, P::Zoom, "100%"},
    {32806, P::Zoom, "90%"},
    {32807, P::Zoom, "80%"},
    {32808, P::Zoom, "70%"},
    {32809, P::Zoom, "60%"},
    {32794, P::Zoom, "50%"},
    {32810, P::Zoom, "40%"},
    {32811, P::Zoom, "30%"},
    {32812, P::Zoom, "20%"},
    {32813, P::Zoom, "10%"},

    // Help.
    {C::kHelp, P::Help, "Help", "F1", "Show the help text\nHelp", "help-contents"},
    {C::kAbout, P::Help, "&About Gridvellum...", "", "Show the version and the copyright\nAbout",
     "help-about"},

    // The global flag pop-up: its button and the template the menu is made from each time it opens.
    {C::kGlobalFlagsPopup, P::None, "Global Flags", "", "Switch the global flags\nGlobal Flags",
     "gridvellum-global-flags"},
    {32881, P::GlobalFlags, "GF 0"},
    {32882, P::GlobalFlags, "GF 1"},
    {32883, P::GlobalFlags, "GF 2"},
    {32884, P::GlobalFlags, "GF 3"},
    {32885, P::GlobalFlags, "GF 4"},
    {32886, P::GlobalFlags, "GF 5"},
    {32887, P::GlobalFlags, "GF 6"},
    {32888, P::GlobalFlags, "GF 7"},
    {32889, P::GlobalFlags, "GF 8"},
    {32890, P::GlobalFlags, "GF 9"},

    {C::kNextPane, P::Keys, "Next Pane", "F6"},
    {C::kPreviousPane, P::Keys, "Previous Pane", "Shift+F6"},
};

// The eighth button pops up the zoom entries, the ninth the global flags.
constexpr int kToolBarIds[] = {
    C::kNew,
    C::kOpen,
    C::kSave,
    0,
    C::kCut,
    C::kCopy,
    C::kPaste,
    0,
    C::kZoomExtents,
    C::kZoomPopup,
    C::kGlobalFlagsPopup,
    0,
    C::kUndo,
    C::kRedo,
    0,
    C::kEditTool,
    C::kPanTool,
    C::kTextTool,
    0,
    C::kHelp,
};

// The part of a tip before or after its line feed.
std::string TipPart(const char* tip, bool second) {
    const char* feed = std::strchr(tip, '\n');
    if (feed == nullptr) {
        return second ? std::string() : std::string(tip);
    }
    return second ? std::string(feed + 1) : std::string(tip, feed);
}

} // namespace

std::span<const CommandInfo> CommandTable::All() {
    return kAllCommands;
}

const CommandInfo* CommandTable::Find(int id) {
    if (id == 0) {
        return nullptr;
    }
    for (const CommandInfo& command : kAllCommands) {
        if (command.id == id) {
            return &command;
        }
    }
    return nullptr;
}

std::vector<const CommandInfo*> CommandTable::MenuRows(MenuPlace place) {
    std::vector<const CommandInfo*> rows;
    for (const CommandInfo& command : kAllCommands) {
        if (command.place == place) {
            rows.push_back(&command);
        }
    }
    return rows;
}

std::span<const int> CommandTable::ToolBar() {
    return kToolBarIds;
}

std::string CommandTable::MenuLabel(int id) {
    const CommandInfo* command = Find(id);
    if (command == nullptr) {
        return std::string();
    }
    const char* tab = std::strchr(command->menuText, '\t');
    return tab ? std::string(command->menuText, tab) : std::string(command->menuText);
}

std::vector<std::string> CommandTable::Accelerators(int id) {
    std::vector<std::string> keys;
    const CommandInfo* command = Find(id);
    if (command == nullptr) {
        return keys;
    }
    const std::string all = command->accelerators;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find("; ", start);
        if (end == std::string::npos) {
            end = all.size();
        }
        if (end > start) {
            keys.push_back(all.substr(start, end - start));
        }
        start = end + 2;
    }
    return keys;
}

std::string CommandTable::StatusTip(int id) {
    const CommandInfo* command = Find(id);
    return command == nullptr ? std::string() : TipPart(command->tip, false);
}

std::string CommandTable::ToolTip(int id) {
    const CommandInfo* command = Find(id);
    if (command == nullptr) {
        return std::string();
    }
    std::string tip = TipPart(command->tip, true);
    if (tip.empty()) {
        for (char c : MenuLabel(id)) {
            if (c != '&') {
                tip += c;
            }
        }
    }
    return tip;
}

int CommandTable::ZoomCommand(int percent) {
    if (percent < 10 || percent > 100 || percent % 10 != 0) {
        return 0;
    }
    return kZoomIds[percent / 10 - 1];
}

int CommandTable::ZoomPercent(int id) {
    for (size_t i = 0; i < kZoomIds.size(); ++i) {
        if (kZoomIds[i] == id) {
            return static_cast<int>(i + 1) * 10;
        }
    }
    return 0;
}

int CommandTable::ColumnsCommand(int columns) {
    return columns >= 1 && columns <= 6 ? kOneColumn + columns - 1 : 0;
}

int CommandTable::ColumnsOf(int id) {
    return id >= kOneColumn && id < kOneColumn + 6 ? id - kOneColumn + 1 : 0;
}

int CommandTable::GlobalFlagCommand(int flag) {
    return flag >= 0 && flag < kGlobalFlagEntries ? kFirstGlobalFlag + flag : 0;
}

int CommandTable::GlobalFlagOf(int id) {
    return id >= kFirstGlobalFlag && id < kFirstGlobalFlag + kGlobalFlagEntries ? id - kFirstGlobalFlag : -1;
}
