#pragma once

#include "platform/FontDescription.h"

#include <memory>
#include <string_view>
#include <vector>

// A platform font for measuring text. Measuring needs the platform's font database, which exists only
// while the application object lives; without it Create fails and every measure answers 0.
class PlatformFont {
public:
    PlatformFont();
    explicit PlatformFont(const FontDescription& fontDescription);
    ~PlatformFont();
    PlatformFont(const PlatformFont& other);
    PlatformFont& operator=(const PlatformFont& other);

    bool Create(const FontDescription& fontDescription);
    bool IsValid() const;
    const FontDescription& Spec() const { return spec_; }

    // Pixels, rounded to whole device units.
    int Ascent() const;
    int Descent() const;
    int Height() const; // ascent + descent
    int AverageCharWidth() const;
    int TextWidth(std::u16string_view text) const;
    // extents[i] = width of characters 0 .. i, measured as one run so kerning between them counts.
    void CharacterExtents(std::u16string_view text, std::vector<int>& extents) const;

private:
    struct Impl;
    FontDescription spec_;
    std::unique_ptr<Impl> impl_;
};
