#include "document/TileContext.h"

const PlatformFont& TileContext::MeasuringFont(const WString& face, int characterHeight) {
    FontSpec spec;
    spec.face.assign(face.c_str(), static_cast<size_t>(face.Length()));
    spec.height = -characterHeight;
    spec.weight = 400;
    spec.antialiased = true;
    const FontSpec& current = font_.Spec();
    // A failed font is tried again: the application object may have appeared since.
    if (!font_.IsValid() || current.face != spec.face || current.height != spec.height) {
        font_.Create(spec);
    }
    return font_;
}
