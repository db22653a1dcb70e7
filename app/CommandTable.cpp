#include "app/CommandTable.h"

#include <array>
#include <cstring>

namespace {

// Zoom identifiers by percentage / 10 - 1 (10 % first).
constexpr std::array<int, 10> kZoomIds = {32813, 32812, 32811, 32810, 32794,
                                          32809, 32808, 32807, 32806, 32793};

constexpr CommandInfo kAllCommands[] = {
    {CommandTable::kNew, "&New\tCtrl+N", "Ctrl+N"},
    {CommandTable::kOpen, "&Open...\tCtrl+O", "Ctrl+O"},
    {CommandTable::kSave, "&Save\tCtrl+S", "Ctrl+S"},
    {CommandTable::kSaveAs, "Save &As...", ""},
    {CommandTable::kChangeTileSet, "Change TileSet", ""},
    {CommandTable::kPublish, "Publish to JPEG", ""},
    {CommandTable::kRecentFile, "Recent File", ""},
    {CommandTable::kExit, "E&xit", ""},
    {CommandTable::kZoomExtents, "&Zoom Extents", ""},
    {32793, "100%", ""},
    {32806, "90%", ""},
    {32807, "80%", ""},
    {32808, "70%", ""},
    {32809, "60%", ""},
    {32794, "50%", ""},
    {32810, "40%", ""},
    {32811, "30%", ""},
    {32812, "20%", ""},
    {32813, "10%", ""},
    {CommandTable::kSuperWheel, "Advanced Mouse Wheel Zoom", ""},
    {CommandTable::kSmallTiles, "Small Tiles", ""},
    {CommandTable::kLargeTiles, "Large Tiles", ""},
    {CommandTable::kOneColumn, "1 Column", ""},
    {CommandTable::kOneColumn + 1, "2 Columns", ""},
    {CommandTable::kOneColumn + 2, "3 Columns", ""},
    {CommandTable::kOneColumn + 3, "4 Columns", ""},
    {CommandTable::kOneColumn + 4, "5 Columns", ""},
    {CommandTable::kOneColumn + 5, "6 Columns", ""},
    {CommandTable::kQuickDraw, "Quick Draw", ""},
    {CommandTable::kOpenGl, "OpenGL", ""},
    {CommandTable::kShowDrawTime, "Show Drawtime", ""},
    {CommandTable::kZoomPopup, "Zoom", ""},
    {CommandTable::kPanTool, "&Pan Tool", ""},
    {CommandTable::kEditTool, "&Edit Tool", ""},
    {CommandTable::kTextTool, "Text Tool", ""},
    {CommandTable::kNextPane, "Next Pane", "F6"},
    {CommandTable::kPreviousPane, "Previous Pane", "Shift+F6"},
};

} // namespace

std::span<const CommandInfo> CommandTable::All() {
    return kAllCommands;
}

const CommandInfo* CommandTable::Find(int id) {
    for (const CommandInfo& command : kAllCommands) {
        if (command.id == id) {
            return &command;
        }
    }
    return nullptr;
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
