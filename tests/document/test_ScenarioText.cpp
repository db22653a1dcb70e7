#include "document/ScenarioText.h"

#include <gtest/gtest.h>

namespace {

std::u16string Text(const WString& text) {
    return std::u16string(text.c_str(), static_cast<size_t>(text.Length()));
}

TEST(ScenarioText, EachStoredLineShowsAsAParagraph) {
    EXPECT_EQ(Text(ScenarioText::ToDialog(u"A\nB")), u"A\r\n\r\nB");
    // A pair of line feeds is one blank line too, not two.
    EXPECT_EQ(Text(ScenarioText::ToDialog(u"A\n\nB")), u"A\r\n\r\nB");
    EXPECT_EQ(Text(ScenarioText::ToDialog(u"A\n\n\nB\n")), u"A\r\n\r\n\r\n\r\nB\r\n\r\n");
    EXPECT_EQ(Text(ScenarioText::ToDialog(u"A\nB", u"\n")), u"A\n\nB");
    EXPECT_EQ(Text(ScenarioText::ToDialog(u"")), u"");
}

TEST(ScenarioText, BlankLinesAndLineBreaksComeBackAsOneLineFeed) {
    EXPECT_EQ(Text(ScenarioText::FromDialog(u"A\r\n\r\nB")), u"A\nB");
    EXPECT_EQ(Text(ScenarioText::FromDialog(u"A\r\nB")), u"A\nB");
    EXPECT_EQ(Text(ScenarioText::FromDialog(u"A\r\n\r\n\r\nB")), u"A\n\nB");
    EXPECT_EQ(Text(ScenarioText::FromDialog(u"A\n\nB\nC")), u"A\nB\nC");
    EXPECT_EQ(Text(ScenarioText::FromDialog(u"A\rB\r")), u"A\nB\n");
}

TEST(ScenarioText, ConfirmingWithoutEditsKeepsTheText) {
    for (const char16_t* stored : {u"A\nB", u"Title\nLine one\nLine two\n", u"no breaks", u"\n"}) {
        EXPECT_EQ(Text(ScenarioText::FromDialog(ScenarioText::ToDialog(stored))), stored);
        EXPECT_EQ(Text(ScenarioText::FromDialog(ScenarioText::ToDialog(stored, u"\n"))), stored);
    }
}

} // namespace
