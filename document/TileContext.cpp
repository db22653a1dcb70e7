#include "document/TileContext.h"

const PlatformFont& TileContext::MeasuringFont(const WString& face, int characterHeight) {
    FontDescription fontDescription;
    fontDescription.face.assign(face.c_str(), static_cast<size_t>(face.Length()));
    fontDescription.height = -characterHeight;
    fontDescription.weight = 400;
    fontDescription.antialiased = true;
    const FontDescription& current = font_.Spec();
    // A failed font is tried again: the application object may have appeared since.
    if (!font_.IsValid() || current.face != fontDescription.face ||
        current.height != fontDescription.height) {
        font_.Create(fontDescription);
    }
    return font_;
}
