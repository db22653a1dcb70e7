#include "app/CommandRegistry.h"

void CommandRegistry::Register(int id, CommandHandlers handlers) {
    handlers_[id] = std::move(handlers);
}

const CommandHandlers* CommandRegistry::Find(int id) const {
    const auto found = handlers_.find(id);
    return found == handlers_.end() ? nullptr : &found->second;
}

bool CommandRegistry::IsRegistered(int id) const {
    return Find(id) != nullptr;
}

bool CommandRegistry::Run(int id) const {
    const CommandHandlers* handlers = Find(id);
    if (handlers == nullptr || !handlers->run || !IsEnabled(id)) {
        return false;
    }
    // A copy: the command may register again (a new document) while it runs.
    const std::function<void()> run = handlers->run;
    run();
    return true;
}

bool CommandRegistry::IsEnabled(int id) const {
    const CommandHandlers* handlers = Find(id);
    return handlers != nullptr && (!handlers->enabled || handlers->enabled());
}

bool CommandRegistry::IsCheckable(int id) const {
    const CommandHandlers* handlers = Find(id);
    return handlers != nullptr && static_cast<bool>(handlers->checked);
}

bool CommandRegistry::IsChecked(int id) const {
    const CommandHandlers* handlers = Find(id);
    return handlers != nullptr && handlers->checked && handlers->checked();
}
