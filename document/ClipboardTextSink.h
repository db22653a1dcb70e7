#pragma once

#include "document/AttributeSink.h"

class WString;

// Writes elements as the XML writer lays them out in the clipboard form: one line per element,
// indented one level, each an empty element. Undo snapshots and the tiles' own texts go through it,
// so they come out exactly as the written file would have them.
class ClipboardTextSink : public AttributeSink {
public:
    explicit ClipboardTextSink(WString& out) : out_(out) {}
    void Element(const char16_t* name) override;
    void Attribute(const char16_t* name, const WString& value) override;
    void EndElement();

private:
    WString& out_;
};
