#pragma once

#include "support/WString.h"

// Where error texts go that the user must read: the editor shows a message box over its main window,
// headless runs print to standard error. Loaders collect their errors and hand them over in one call.
class MessageSink {
public:
    virtual ~MessageSink() = default;

    virtual void ShowError(const WString& caption, const WString& text) = 0;
};
