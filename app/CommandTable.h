#pragma once

#include <span>
#include <string>
#include <vector>

// One menu command: its identifier, the exact text of its menu entry (an ampersand marks the
// mnemonic, a tab separates the accelerator shown beside it) and the keys that run it.
struct CommandInfo {
    int id = 0;
    const char* menuText = "";
    // Key sequences in the platform's portable form ("Ctrl+N", "Shift+F6"), separated by "; ".
    const char* accelerators = "";
};

// Every command the main frame knows, with its menu text and accelerators. The frame builds its
// menus, toolbar and shortcuts from here and routes each command by its identifier.
class CommandTable {
public:
    // File.
    static constexpr int kNew = 57600;
    static constexpr int kOpen = 57601;
    static constexpr int kSave = 57603;
    static constexpr int kSaveAs = 57604;
    static constexpr int kChangeTileSet = 32827;
    static constexpr int kPublish = 32779;
    static constexpr int kRecentFile = 57616;
    static constexpr int kExit = 57665;
    // View.
    static constexpr int kZoomExtents = 32771;
    static constexpr int kSuperWheel = 32856;
    static constexpr int kSmallTiles = 32848;
    static constexpr int kLargeTiles = 32849;
    static constexpr int kOneColumn = 32850; // to 32855 for six columns
    static constexpr int kQuickDraw = 32790;
    static constexpr int kOpenGl = 32844;
    static constexpr int kShowDrawTime = 32841;
    static constexpr int kZoomPopup = 32796; // toolbar button with the ten zoom entries
    static constexpr int kPanTool = 32772;
    static constexpr int kEditTool = 32773;
    static constexpr int kTextTool = 32818;
    // Keyboard only: move the focus between the tile panel and the map view.
    static constexpr int kNextPane = 57680;
    static constexpr int kPreviousPane = 57681;

    static std::span<const CommandInfo> All();
    // Null for an unknown identifier.
    static const CommandInfo* Find(int id);

    // The menu text without its accelerator part ("&New" of "&New\tCtrl+N").
    static std::string MenuLabel(int id);
    // The accelerators of a command, first one first; empty when it has none.
    static std::vector<std::string> Accelerators(int id);

    // Zoom entries, "100%" at the top: the command of a percentage (10, 20 .. 100), and back; 0 when
    // there is none.
    static int ZoomCommand(int percent);
    static int ZoomPercent(int id);
    // Column entries: the command for 1 to 6 columns, and back; 0 when there is none.
    static int ColumnsCommand(int columns);
    static int ColumnsOf(int id);
};
