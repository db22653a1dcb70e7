#pragma once

#include "support/WString.h"

class SettingsStore;

// What the JPEG options dialog shows and returns, and the rules behind its texts and limits, kept
// apart from the widgets so the command line and the tests share them.
struct JpegOptions {
    static constexpr int kScaleCount = 10;
    static constexpr int kDefaultQuality = 50;
    static constexpr const char16_t* kScaleIndexKey = u"LastScaleIndex";
    static constexpr const char16_t* kQualityKey = u"LastQualityValue";

    int scaleIndex = 0; // 0 is "100%", 9 is "10%"
    int quality = kDefaultQuality;

    // 1.0, 0.9 .. 0.1 for the entries "100%" .. "10%"; an index outside them gives 1.0.
    float Scale() const;
    static float ScaleOfIndex(int index);
    // "100%" .. "10%".
    static WString ScaleText(int index);
    // "Size = W x H": the map's size at the entry's scale, each rounded half up.
    static WString SizeText(double mapWidth, double mapHeight, int index);
    // "Quality = Q".
    static WString QualityText(int quality);

    // The last confirmed choice: an index of 10 or more (or below 0) becomes 0, a quality below 1
    // becomes 1 and one above 100 becomes 100.
    static JpegOptions Load(const SettingsStore& settings);
    // Writes both values as OK confirms them.
    void Store(SettingsStore& settings) const;
};
