#include "document/TileContext.h"

const PlatformFont& TileContext::MeasuringFont(const WString& face, int characterHeight) {
    FontSpec fontSpec;
    fontSpec.face.assign(face.c_str(), static_cast<size_t>(face.Length()));
    fontSpec.height = -characterHeight;
    fontSpec.weight = 400;
    fontSpec.antialiased = true;
    const FontSpec& current = font_.Spec();
    // A failed font is tried again: the application object may have appeared since.
    if (!font_.IsValid() || current.face != fontSpec.face || current.height != fontSpec.height) {
        font_.Create(fontSpec);
    }
    return font_;
}
