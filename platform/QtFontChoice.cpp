#include "platform/QtFontChoice.h"

#include <QFontMetricsF>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kDefaultPixelSize = 16; // 12 points at 96 dots per inch
constexpr int kMaxPixelSize = 16384;  // beyond that the font engine only wastes memory
} // namespace

bool QtFontChoice::Make(const FontDescription& fontDescription) {
    valid_ = false;
    xScale_ = 1.0;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return false;
    }
    QFont font(
        QString::fromUtf16(fontDescription.face.data(), static_cast<qsizetype>(fontDescription.face.size())));
    font.setWeight(static_cast<QFont::Weight>(
        std::clamp(fontDescription.weight <= 0 ? 400 : fontDescription.weight, 1, 1000)));
    font.setItalic(fontDescription.italic);
    font.setStyleStrategy(fontDescription.antialiased ? QFont::PreferAntialias : QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferNoHinting);

    int pixelSize = kDefaultPixelSize;
    if (fontDescription.height < 0) {
        pixelSize = -fontDescription.height;
    } else if (fontDescription.height > 0) {
        // A cell height counts ascent plus descent; find the em size that gives it.
        font.setPixelSize(1000);
        const QFontMetricsF reference(font);
        const double cellPerEm = reference.height() / 1000.0;
        pixelSize = cellPerEm > 0 ? static_cast<int>(std::lround(fontDescription.height / cellPerEm))
                                  : fontDescription.height;
    }
    font.setPixelSize(std::clamp(pixelSize, 1, kMaxPixelSize));

    if (fontDescription.width > 0) {
        const double natural = QFontMetricsF(font).averageCharWidth();
        if (natural > 0) {
            xScale_ = fontDescription.width / natural;
        }
    }
    font_ = font;
    valid_ = true;
    return true;
}
