#pragma once

// Whatever platform drawing of a canvas prepares once and keeps with the source canvas (a colour-reduced
// copy, for instance). The canvas owns it and drops it when its storage changes.
class PlatformDrawCache {
public:
    virtual ~PlatformDrawCache() = default;
};
