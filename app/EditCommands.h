#pragma once

#include "app/CGridvellumApp.h"

class CGridvellumView;
class CommandRegistry;

// The Edit menu's commands on the tiles of the map: undo and redo, the selection, the clipboard,
// delete, flip, scale, snap and free placement, tint and movement paths. They act through the map
// view's edit operations, and wait while a mouse drag has its own edit open.
class EditCommands {
public:
    static void Register(CommandRegistry& commands, CGridvellumDoc& doc, CGridvellumView& view,
                         CGridvellumApp::Prompts& prompts);

    // What the scale dialog starts from: the first selected tile's scale along its two axes.
    static TileScaleValues SelectedScale(const CGridvellumDoc& doc);
};
