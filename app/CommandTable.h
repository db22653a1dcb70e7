#pragma once

#include <span>
#include <string>
#include <vector>

// Where a command shows: the menu it belongs to, in the table's order, or no menu at all.
enum class MenuPlace {
    None, // toolbar buttons and menu templates that have no menu entry
    File,
    Edit,
    View,
    Zoom, // the View menu's "Zoom" submenu, which the toolbar's zoom button pops up too
    Help,
    GlobalFlags, // the template of the global flag pop-up
    Keys,        // keys of the window without an entry
};

// One command: its identifier, the exact text of its menu entry (an ampersand marks the mnemonic, a
// tab separates the key shown beside it), the keys that run it and the help texts. A row with the
// identifier 0 is a separator of its menu.
struct CommandInfo {
    int id = 0;
    MenuPlace place = MenuPlace::None;
    const char* menuText = "";
    // Key sequences in the platform's portable form ("Ctrl+N", "Shift+F6"), separated by "; ".
    const char* accelerators = "";
    // "status bar text\ntool tip"; either part may be missing.
    const char* tip = "";
    // The desktop icon theme's name for the toolbar picture; the drawn fallback has the same name.
    const char* icon = "";
};

// Every command the program knows, with its menu text, keys and help texts. The main frame builds its
// menus, toolbar and shortcuts from here; what a command does, and when it is enabled or checked,
// is registered by the part of the program that owns it (CommandRegistry). A new command is one row
// here and one registration.
class CommandTable {
public:
    // File.
    static constexpr int kNew = 57600;
    static constexpr int kOpen = 57601;
    static constexpr int kSave = 57603;
    static constexpr int kSaveAs = 57604;
    static constexpr int kChangeTileSet = 32827;
    static constexpr int kGenerateReport = 32817;
    static constexpr int kPrint = 57607;
    static constexpr int kPrintSetup = 57606;
    static constexpr int kPrintPreview = 57609;
    static constexpr int kPublish = 32779;
    static constexpr int kRecentFile = 57616;
    static constexpr int kExit = 57665;
    // Edit.
    static constexpr int kUndo = 57643;
    static constexpr int kRedo = 57644;
    static constexpr int kSelectAll = 32842;
    static constexpr int kDeselectAll = 32843;
    static constexpr int kCut = 57635;
    static constexpr int kCopy = 57634;
    static constexpr int kPaste = 57637;
    static constexpr int kDelete = 32785;
    static constexpr int kFlipTile = 32814;
    static constexpr int kScaleTile = 32857;
    static constexpr int kShowResizeHandles = 32858;
    static constexpr int kSetTileSnap = 32845;
    static constexpr int kSetTileFree = 32846;
    static constexpr int kSetTileColor = 32781;
    static constexpr int kClearTileColor = 32780;
    static constexpr int kSetDefaultTileColor = 32822;
    static constexpr int kClearDefaultTileColor = 32823;
    static constexpr int kEditScenario = 32824;
    static constexpr int kRecordPaths = 32878;
    static constexpr int kClearSelectedPaths = 32903;
    static constexpr int kClearAllPaths = 32879;
    // View.
    static constexpr int kZoomExtents = 32771;
    static constexpr int kSuperWheel = 32856;
    static constexpr int kSmallTiles = 32848;
    static constexpr int kLargeTiles = 32849;
    static constexpr int kOneColumn = 32850; // to 32855 for six columns
    static constexpr int kQuickDraw = 32790;
    static constexpr int kOpenGl = 32844;
    static constexpr int kShowDrawTime = 32841;
    static constexpr int kZoomPopup = 32796; // the "Zoom" submenu and toolbar button
    static constexpr int kPanTool = 32772;
    static constexpr int kEditTool = 32773;
    static constexpr int kTextTool = 32818;
    // Toolbar.
    static constexpr int kGlobalFlagsPopup = 32891;
    static constexpr int kFirstGlobalFlag = 32881; // to 32890 for flag 9
    static constexpr int kGlobalFlagEntries = 10;
    // Help.
    static constexpr int kHelp = 32782;
    static constexpr int kAbout = 57664;
    // Keyboard only: move the focus between the tile panel and the map view.
    static constexpr int kNextPane = 57680;
    static constexpr int kPreviousPane = 57681;

    static std::span<const CommandInfo> All();
    // Null for an unknown identifier (and for separators).
    static const CommandInfo* Find(int id);
    // The rows of one menu in order, separators included.
    static std::vector<const CommandInfo*> MenuRows(MenuPlace place);
    // The toolbar's buttons from the left; 0 stands for a separator. The zoom button is the eighth
    // button and the global flags button the ninth.
    static std::span<const int> ToolBar();

    // The menu text without its accelerator part ("&New" of "&New\tCtrl+N").
    static std::string MenuLabel(int id);
    // The accelerators of a command, first one first; empty when it has none.
    static std::vector<std::string> Accelerators(int id);
    // The two halves of the tip; the tool tip falls back to the menu label without its ampersand.
    static std::string StatusTip(int id);
    static std::string ToolTip(int id);

    // Zoom entries, "100%" at the top: the command of a percentage (10, 20 .. 100), and back; 0 when
    // there is none.
    static int ZoomCommand(int percent);
    static int ZoomPercent(int id);
    // Column entries: the command for 1 to 6 columns, and back; 0 when there is none.
    static int ColumnsCommand(int columns);
    static int ColumnsOf(int id);
    // Global flag entries: flag 0 to 9 and back; -1 when there is none.
    static int GlobalFlagCommand(int flag);
    static int GlobalFlagOf(int id);
};
