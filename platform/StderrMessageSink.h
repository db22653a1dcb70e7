#pragma once

#include "support/MessageSink.h"

// The message sink of runs without a window: each error goes to standard error as
// "<caption>: <text>", UTF-8, ending with a line feed.
class StderrMessageSink : public MessageSink {
public:
    void ShowError(const WString& caption, const WString& text) override;
};
