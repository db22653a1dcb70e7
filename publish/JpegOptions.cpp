#include "publish/JpegOptions.h"

#include "support/SettingsStore.h"

#include <algorithm>

float JpegOptions::Scale() const {
    return ScaleOfIndex(scaleIndex);
}

float JpegOptions::ScaleOfIndex(int index) {
    static constexpr float kScales[kScaleCount] = {1.0f, 0.9f, 0.8f, 0.7f, 0.6f,
                                                   0.5f, 0.4f, 0.3f, 0.2f, 0.1f};
    return index >= 0 && index < kScaleCount ? kScales[index] : 1.0f;
}

WString JpegOptions::ScaleText(int index) {
    WString text = WString::FromInt((kScaleCount - std::clamp(index, 0, kScaleCount - 1)) * 10);
    text.AppendUnit(u'%');
    return text;
}

WString JpegOptions::SizeText(double mapWidth, double mapHeight, int index) {
    const float scale = ScaleOfIndex(index);
    auto rounded = [scale](double extent) {
        return static_cast<long long>(static_cast<float>(extent) * scale + 0.5f);
    };
    WString text(u"Size = ");
    text.Append(WString::FromInt(rounded(mapWidth)));
    text.Append(u" x ");
    text.Append(WString::FromInt(rounded(mapHeight)));
    return text;
}

WString JpegOptions::QualityText(int quality) {
    WString text(u"Quality = ");
    text.Append(WString::FromInt(quality));
    return text;
}

JpegOptions JpegOptions::Load(const SettingsStore& settings) {
    JpegOptions options;
    const int index = settings.ReadInt(kScaleIndexKey, 0);
    options.scaleIndex = index >= 0 && index < kScaleCount ? index : 0;
    options.quality = std::clamp(settings.ReadInt(kQualityKey, kDefaultQuality), 1, 100);
    return options;
}

void JpegOptions::Store(SettingsStore& settings) const {
    settings.WriteInt(kScaleIndexKey, scaleIndex);
    settings.WriteInt(kQualityKey, std::clamp(quality, 1, 100));
}
