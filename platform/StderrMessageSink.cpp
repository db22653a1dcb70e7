#include "platform/StderrMessageSink.h"

#include <cstdio>
#include <string>

void StderrMessageSink::ShowError(const WString& caption, const WString& text) {
    std::string line = caption.ToUtf8() + ": " + text.ToUtf8();
    if (line.empty() || line.back() != '\n') {
        line += '\n';
    }
    std::fputs(line.c_str(), stderr);
}
