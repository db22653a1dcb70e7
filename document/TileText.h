#pragma once

#include <memory>
#include <vector>

class WString;

// The clipboard-form element of one placed tile (see TileRef::ClipboardIdentity for when its words are
// written). A tile keeps handing out the same object until it changes, and undo steps share the
// objects with the tiles, so two lists of tiles are compared by address, one pointer per tile, and a
// step holds only the texts that differ.
using TileText = std::shared_ptr<const WString>;
// The texts of a map's tiles in tile order.
using TileTexts = std::vector<TileText>;
