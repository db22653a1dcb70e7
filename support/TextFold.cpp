#include "support/TextFold.h"

#include <string_view>

namespace {

// Base letters of U+00C0 .. U+00FF; '*' marks the characters that stay as they are (the
// multiplication and division signs, thorn), '+' those that become two letters.
constexpr std::string_view kLatin1 = "aaaaaa+ceeeeiiii"
                                     "dnooooo*ouuuuy*+"
                                     "aaaaaa+ceeeeiiii"
                                     "dnooooo*ouuuuy*y";
// Base letters of U+0100 .. U+017F (Latin Extended-A); '+' as above.
constexpr std::string_view kLatinExtendedA = "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiii++jjkkk"
                                             "llllllllllnnnnnnnnnoooooo++rrrrrrsssssssstttttt"
                                             "uuuuuuuuuuuuwwyyyzzzzzzs";
static_assert(kLatin1.size() == 0x40);
static_assert(kLatinExtendedA.size() == 0x80);

bool IsCombiningMark(char16_t unit) {
    return unit >= 0x0300 && unit <= 0x036F;
}

// The two letters of a ligature or sharp s; null for any other character.
const char* TwoLetters(char16_t unit) {
    switch (unit) {
    case 0x00C6:
    case 0x00E6:
        return "ae";
    case 0x00DF:
        return "ss";
    case 0x0132:
    case 0x0133:
        return "ij";
    case 0x0152:
    case 0x0153:
        return "oe";
    default:
        return nullptr;
    }
}

char16_t FoldOne(char16_t unit) {
    if (unit >= u'A' && unit <= u'Z') {
        return static_cast<char16_t>(unit - u'A' + u'a');
    }
    if (unit >= 0x00C0 && unit <= 0x00FF && kLatin1[unit - 0x00C0] != '*') {
        return static_cast<char16_t>(kLatin1[unit - 0x00C0]);
    }
    if (unit >= 0x0100 && unit <= 0x017F) {
        return static_cast<char16_t>(kLatinExtendedA[unit - 0x0100]);
    }
    // Greek capitals (the gap at U+03A2 has no letter) and Cyrillic capitals.
    if (unit >= 0x0391 && unit <= 0x03A9 && unit != 0x03A2) {
        return static_cast<char16_t>(unit + 0x20);
    }
    if (unit >= 0x0410 && unit <= 0x042F) {
        return static_cast<char16_t>(unit + 0x20);
    }
    if (unit >= 0x0400 && unit <= 0x040F) {
        return static_cast<char16_t>(unit + 0x50);
    }
    return unit;
}

} // namespace

WString TextFold::Fold(const WString& text) {
    WString folded;
    for (int i = 0; i < text.Length(); ++i) {
        const char16_t unit = text.At(i);
        if (IsCombiningMark(unit)) {
            continue;
        }
        if (const char* pair = TwoLetters(unit)) {
            folded.AppendUnit(static_cast<char16_t>(pair[0]));
            folded.AppendUnit(static_cast<char16_t>(pair[1]));
            continue;
        }
        folded.AppendUnit(FoldOne(unit));
    }
    return folded;
}

bool TextFold::Contains(const WString& folded, const WString& foldedPart) {
    const std::u16string_view whole(folded.c_str(), static_cast<size_t>(folded.Length()));
    const std::u16string_view part(foldedPart.c_str(), static_cast<size_t>(foldedPart.Length()));
    return whole.find(part) != std::u16string_view::npos;
}
