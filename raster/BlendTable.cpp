#include "raster/BlendTable.h"

const BlendTable& BlendTable::Get() {
    // Pure data, computed on first use; nothing ever writes to it afterwards.
    static const BlendTable table;
    return table;
}

BlendTable::BlendTable() {
    for (int weight = 0; weight < 256; ++weight) {
        const double fraction = weight / 255.0;
        for (int value = 0; value < 256; ++value) {
            entries_[weight][value] = static_cast<std::uint8_t>(fraction * value);
        }
    }
}
