#pragma once

#include "support/WString.h"

// Where a tile writes its element: into an XML tree for files, or straight into text for the undo
// snapshots, which are taken on every edit and must stay cheap for large maps. Both receive the same
// calls in the same order, so the two forms cannot drift apart.
class AttributeSink {
public:
    virtual ~AttributeSink() = default;

    // Starts the element; attributes follow in writing order.
    virtual void Element(const char16_t* name) = 0;
    virtual void Attribute(const char16_t* name, const WString& value) = 0;
};
