#pragma once

#include "support/WString.h"

// Text reduced for searching by eye: letter case and accents are dropped, so "eLAn" finds "Élan" and
// "strasse" finds "Straße". Both sides of a search go through Fold; the folded text can be longer
// than the original (ligatures become two letters), so positions in it mean nothing in the original.
class TextFold {
public:
    // Lower-case letters without their marks: Latin letters of the Western and Central European
    // alphabets lose their accents, combining marks are dropped, Greek and Cyrillic capitals become
    // small letters. Other characters are kept as they are.
    static WString Fold(const WString& text);
    // True when folded contains foldedPart; an empty part is contained in everything.
    static bool Contains(const WString& folded, const WString& foldedPart);
};
