#include "app/AppCommands.h"

#include "app/CGridvellumApp.h"
#include "app/CommandRegistry.h"
#include "app/CommandTable.h"
#include "app/MapPrinting.h"

namespace {

using C = CommandTable;

void RegisterFile(CGridvellumApp& app, CommandRegistry& commands) {
    commands.Register(C::kNew, {.run = [&app] { app.FileNew(); }});
    commands.Register(C::kOpen, {.run = [&app] { app.FileOpen(); }});
    commands.Register(C::kSave, {.run = [&app] { app.FileSave(); }});
    commands.Register(C::kSaveAs, {.run = [&app] { app.FileSaveAs(); }});
    commands.Register(C::kChangeTileSet, {.run = [&app] { app.ChangeTileSet(); }});
    commands.Register(C::kGenerateReport, {.run = [&app] { app.GenerateReport(); }});
    commands.Register(C::kPublish, {.run = [&app] { app.PublishToJpeg(); },
                                    .enabled = [&app] { return app.Document().TileCount() > 0; }});
    commands.Register(C::kPrint, {.run = [&app] { app.Printing().Print(); }});
    commands.Register(C::kPrintPreview, {.run = [&app] { app.Printing().PrintPreview(); }});
    commands.Register(C::kPrintSetup, {.run = [&app] { app.Printing().PrintSetup(); }});
}

void RegisterSwitches(CGridvellumApp& app, CommandRegistry& commands) {
    ProgramState& state = app.State();
    commands.Register(C::kShowResizeHandles, {.run = [&app] { app.ToggleShowResizeHandles(); },
                                              .checked = [&state] { return state.showResizeHandles; }});
    commands.Register(C::kRecordPaths, {.run = [&app] { app.ToggleRecordPaths(); },
                                        .checked = [&state] { return state.recordPaths; }});
    commands.Register(C::kSetDefaultTileColor, {.run = [&app] { app.SetDefaultTileColor(); }});
    commands.Register(C::kClearDefaultTileColor, {.run = [&app] { app.ClearDefaultTileColor(); },
                                                  .enabled = [&state] { return state.defaultTint.on; }});
    commands.Register(C::kEditScenario, {.run = [&app] { app.EditScenario(); }});
    commands.Register(C::kSuperWheel, {.run = [&app] { app.ToggleSuperWheel(); },
                                       .checked = [&state] { return state.superWheel; }});
    // The check shows how this run draws, not what the next start will do.
    commands.Register(C::kOpenGl, {.run = [&app] { app.ToggleOpenGl(); },
                                   .checked = [&state] { return state.openGlThisRun; }});
    commands.Register(C::kShowDrawTime, {.run = [&app] { app.ToggleShowDrawTime(); },
                                         .checked = [&state] { return state.showDrawTime; }});
}

void RegisterPanel(CGridvellumApp& app, CommandRegistry& commands) {
    for (const int size : {TilePanel::kSmallTiles, TilePanel::kLargeTiles}) {
        commands.Register(size == TilePanel::kSmallTiles ? C::kSmallTiles : C::kLargeTiles,
                          {.run = [&app, size] { app.SetPanelTileSize(size); },
                           .checked = [&app, size] { return app.Panel().TileSize() == size; }});
    }
    for (int columns = 1; columns <= 6; ++columns) {
        commands.Register(C::ColumnsCommand(columns),
                          {.run = [&app, columns] { app.SetPanelColumns(columns); },
                           .checked = [&app, columns] { return app.Panel().Columns() == columns; }});
    }
}

void RegisterGlobalFlags(CGridvellumApp& app, CommandRegistry& commands) {
    for (int flag = 0; flag < C::kGlobalFlagEntries; ++flag) {
        commands.Register(C::GlobalFlagCommand(flag),
                          {.run = [&app, flag] { app.ToggleGlobalFlag(flag); },
                           .enabled = [&app, flag] { return flag < app.Tiles().GlobalFlagCount(); },
                           .checked = [&app, flag] { return app.Tiles().GlobalFlag(flag); }});
    }
}

void RegisterHelp(CGridvellumApp& app, CommandRegistry& commands) {
    commands.Register(C::kHelp, {.run = [&app] { app.ShowProgramFile(CGridvellumApp::kHelpFile); }});
    commands.Register(C::kAbout, {.run = [&app] { app.ShowAbout(); }});
}

} // namespace

void AppCommands::Register(CGridvellumApp& app, CommandRegistry& commands) {
    RegisterFile(app, commands);
    RegisterSwitches(app, commands);
    RegisterPanel(app, commands);
    RegisterGlobalFlags(app, commands);
    RegisterHelp(app, commands);
}
