#include "support/TextFold.h"

#include <gtest/gtest.h>

namespace {

std::string Folded(const char* utf8) {
    return TextFold::Fold(WString::FromUtf8(utf8)).ToUtf8();
}

} // namespace

TEST(TextFold, CaseAndAccentsFoldAwayAndLigaturesBecomeTwoLetters) {
    EXPECT_EQ(Folded("\xC3\x89lan Wall"), "elan wall");
    EXPECT_EQ(Folded("Stra\xC3\x9F"
                     "e"),
              "strasse");
    EXPECT_EQ(Folded("\xC3\x86on \xC5\x92uvre"), "aeon oeuvre");
    // Central European letters, a combining accent and the last letters of both tables.
    EXPECT_EQ(Folded("\xC5\x81\xC3\xB3\x64\xC5\xBA"), "lodz");
    EXPECT_EQ(Folded("Cafe\xCC\x81"), "cafe");
    EXPECT_EQ(Folded("\xC3\xBF\xC5\xBF"), "ys");
    // Signs keep their place; Greek and Cyrillic capitals become small letters.
    EXPECT_EQ(Folded("2\xC3\x97"
                     "3"),
              "2\xC3\x97"
              "3");
    EXPECT_EQ(Folded("\xCE\xA9\xD0\x96\xD0\x81"), "\xCF\x89\xD0\xB6\xD1\x91");
    EXPECT_TRUE(TextFold::Contains(TextFold::Fold(u"Big Stone Floor"), TextFold::Fold(u"STONE f")));
    EXPECT_FALSE(TextFold::Contains(TextFold::Fold(u"Stone"), TextFold::Fold(u"stones")));
    EXPECT_TRUE(TextFold::Contains(TextFold::Fold(u"Stone"), WString()));
}
