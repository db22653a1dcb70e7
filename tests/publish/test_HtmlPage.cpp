#include "publish/HtmlPage.h"
#include "tileset/TileSetSettings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kHead = "<html><head><title>\r\nmy map\r\n</title></head><body>\r\n";
const std::string kTail = "<p><img src=\"my%20map.jpg\"></p>\r\n</body></html>";

std::string Plain(const std::string& text) {
    return "<table border=\"0\" bgcolor=\"#FFFFFF\"><tr><td><font color=\"#000000\">\r\n" + text +
           "\r\n</font></td></tr></table><p></p>\r\n";
}

std::string Page(const WString& scenario, const TileSetSettings& settings = TileSetSettings()) {
    return HtmlPage::Build(scenario, u"/maps/my map.htm", u"/maps/my map.jpg", settings);
}

TEST(HtmlPage, EveryLineStyleIsWrittenByteForByte) {
    TileSetSettings settings;
    settings.fontName = u"Liberation Serif";
    settings.htmlTitleColor = u"#F4E6C0";
    settings.htmlTitleBkColor = u"#3A2614";
    const std::string expected =
        kHead +
        "<table border=\"1\" bgcolor=\"#3A2614\" bordercolor=\"#3A2614\" bordercolorlight=\"#3A2614\" "
        "bordercolordark=\"#3A2614\"><tr><td><font face=\"Liberation Serif\" color=\"#F4E6C0\" "
        "size=\"5\"><b>\r\nThe Vault\r\n</b></font></td></tr></table><p></p>\r\n"
        "<table border=\"1\" bgcolor=\"#FFFFFF\" bordercolor=\"#000000\" bordercolorlight=\"#000000\" "
        "bordercolordark=\"#000000\"><tr><td><font face=\"Liberation Serif\" color=\"#000000\" "
        "size=\"5\"><b>\r\nFour heroes\r\n</b></font></td></tr></table><p></p>\r\n"
        "<table border=\"1\" bgcolor=\"#000000\" bordercolor=\"#000000\" bordercolorlight=\"#000000\" "
        "bordercolordark=\"#000000\"><tr><td><font face=\"Liberation Serif\" color=\"#FFFFFF\" "
        "size=\"4\"><b>\r\nGoal\r\n</b></font></td></tr></table><p></p>\r\n"
        "<table border=\"0\" bgcolor=\"#C0C0C0\"><tr><td><font color=\"#000000\">\r\nThe stair <i>ends</i>."
        "\r\n</font></td></tr></table><p></p>\r\n" +
        Plain("Find 100% of the gold.") + kTail;
    // Blanks and carriage returns around a line go; markup and percent signs stay as typed.
    EXPECT_EQ(Page(u"+[The Vault]+\r\n  -[Four heroes]-\n[Goal]\t\n\"The stair <i>ends</i>.\"\nFind 100% of "
                   u"the gold.",
                   settings),
              expected);
}

TEST(HtmlPage, EdgesOfTheBracketRules) {
    const std::string grey = "<table border=\"0\" bgcolor=\"#C0C0C0\"><tr><td><font color=\"#000000\">\r\n"
                             "\r\n</font></td></tr></table><p></p>\r\n";
    // One double quote begins and ends with itself: a grey table with nothing in it. "+[" alone ends
    // with no "]+" and is plain text.
    EXPECT_EQ(Page(u"\"\n+["), kHead + grey + Plain("+[") + kTail);
    // Empty lines between lines give empty plain tables; trailing ones give none.
    EXPECT_EQ(Page(u"one\n\n two \r\n\r\n\n\n"), kHead + Plain("one") + Plain("") + Plain("two") + kTail);
    // "[" and "]" around nothing leave an empty black box; a lone "[" is plain.
    const std::string page = Page(u"[]\n[");
    EXPECT_NE(page.find("size=\"4\"><b>\r\n\r\n</b>"), std::string::npos);
    EXPECT_NE(page.find(Plain("[")), std::string::npos);
}

TEST(HtmlPage, TextIsWrittenInWindows1252AndThePageSitsBesideThePicture) {
    // e acute is one byte; a character the code page lacks becomes a question mark; the euro sign has
    // its own byte there.
    EXPECT_EQ(Page(u"Caf\u00e9 \u4e2d \u20ac5"), kHead +
                                                     Plain("Caf\xe9 ? \x80"
                                                           "5") +
                                                     kTail);
    EXPECT_EQ(HtmlPage::PathBeside(u"/maps/my map.final.jpg").ToUtf8(), "/maps/my map.final.htm");
    EXPECT_EQ(HtmlPage::PathBeside(u"plain").ToUtf8(), "plain.htm");
}

} // namespace
