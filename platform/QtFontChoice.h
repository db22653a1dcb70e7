#pragma once

#include "platform/FontDescription.h"

#include <QFont>

// A font description turned into a Qt font. GDI-style sizes (negative character height, positive cell
// height, forced average width) have no direct Qt counterpart, so the width becomes a horizontal
// scale that drawing and measuring apply themselves.
class QtFontChoice {
public:
    // False when there is no font database (no application object); the choice is then unusable.
    bool Make(const FontDescription& fontDescription);
    bool IsValid() const { return valid_; }
    const QFont& Font() const { return font_; }
    double HorizontalScale() const { return xScale_; }

private:
    QFont font_;
    double xScale_ = 1.0;
    bool valid_ = false;
};
