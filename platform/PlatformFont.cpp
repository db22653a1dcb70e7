#include "platform/PlatformFont.h"

#include "platform/QtFontChoice.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QString>

#include <cmath>

struct PlatformFont::Impl {
    QtFontChoice choice;
};

namespace {
QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

PlatformFont::PlatformFont() = default;

PlatformFont::PlatformFont(const FontDescription& fontDescription) {
    Create(fontDescription);
}

PlatformFont::~PlatformFont() = default;

PlatformFont::PlatformFont(const PlatformFont& other) : spec_(other.spec_) {
    if (other.impl_) {
        impl_ = std::make_unique<Impl>(*other.impl_);
    }
}

PlatformFont& PlatformFont::operator=(const PlatformFont& other) {
    if (this != &other) {
        spec_ = other.spec_;
        impl_ = other.impl_ ? std::make_unique<Impl>(*other.impl_) : nullptr;
    }
    return *this;
}

bool PlatformFont::Create(const FontDescription& fontDescription) {
    spec_ = fontDescription;
    auto impl = std::make_unique<Impl>();
    if (!impl->choice.Make(fontDescription)) {
        impl_.reset();
        return false;
    }
    impl_ = std::move(impl);
    return true;
}

bool PlatformFont::IsValid() const {
    return impl_ != nullptr;
}

int PlatformFont::Ascent() const {
    return impl_ ? QFontMetrics(impl_->choice.Font()).ascent() : 0;
}

int PlatformFont::Descent() const {
    return impl_ ? QFontMetrics(impl_->choice.Font()).descent() : 0;
}

int PlatformFont::Height() const {
    return Ascent() + Descent();
}

int PlatformFont::AverageCharWidth() const {
    if (!impl_) {
        return 0;
    }
    const double width =
        QFontMetricsF(impl_->choice.Font()).averageCharWidth() * impl_->choice.HorizontalScale();
    return static_cast<int>(std::lround(width));
}

int PlatformFont::TextWidth(std::u16string_view text) const {
    if (!impl_ || text.empty()) {
        return 0;
    }
    const double width = QFontMetricsF(impl_->choice.Font()).horizontalAdvance(ToQString(text)) *
                         impl_->choice.HorizontalScale();
    return static_cast<int>(std::lround(width));
}

void PlatformFont::CharacterExtents(std::u16string_view text, std::vector<int>& extents) const {
    extents.assign(text.size(), 0);
    if (!impl_) {
        return;
    }
    const QFontMetricsF metrics(impl_->choice.Font());
    const QString whole = ToQString(text);
    const double scale = impl_->choice.HorizontalScale();
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Each prefix is measured whole, so kerning inside it counts as it does when drawn.
        const double width = metrics.horizontalAdvance(whole.left(static_cast<qsizetype>(i + 1))) * scale;
        extents[i] = static_cast<int>(std::lround(width));
    }
}
