#pragma once

#include <functional>
#include <map>

// What a command does and when its entry is enabled or checked. A rule left empty means always
// enabled, or never checkable.
struct CommandHandlers {
    std::function<void()> run = {};
    std::function<bool()> enabled = {};
    std::function<bool()> checked = {};
};

// The commands by identifier, registered by the part of the program that owns each one (the
// application its file and program-wide commands, the map view its camera and tools, the edit
// commands theirs). The main frame asks it and never needs to know who answers. A command that
// nobody registered is shown greyed and does nothing.
class CommandRegistry {
public:
    // A second registration of an identifier replaces the first.
    void Register(int id, CommandHandlers handlers);
    bool IsRegistered(int id) const;
    // Runs the command when it is registered and enabled; false when it did not run.
    bool Run(int id) const;
    bool IsEnabled(int id) const;
    // Whether the entry carries a check mark at all, and whether it is checked now.
    bool IsCheckable(int id) const;
    bool IsChecked(int id) const;

private:
    const CommandHandlers* Find(int id) const;

    std::map<int, CommandHandlers> handlers_;
};
