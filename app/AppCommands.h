#pragma once

class CGridvellumApp;
class CommandRegistry;

// The application's own commands: the File menu, the program-wide switches of the Edit and View
// menus (resize handles, default tint, recording paths, the wheel mode, the tile panel, OpenGL, the
// draw time), the scenario, the global flags and the Help menu.
class AppCommands {
public:
    static void Register(CGridvellumApp& app, CommandRegistry& commands);
};
