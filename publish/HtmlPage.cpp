#include "publish/HtmlPage.h"

#include "support/Windows1252.h"
#include "tileset/TileSetSettings.h"

#include <string_view>
#include <vector>

namespace {

std::u16string_view View(const WString& text) {
    return std::u16string_view(text.c_str(), static_cast<size_t>(text.Length()));
}

// The text between `lead` at the front and `tail` at the end; false when the line lacks either.
bool Enclosed(const WString& line, std::u16string_view lead, std::u16string_view tail, WString& inner) {
    const std::u16string_view text = View(line);
    if (!text.starts_with(lead) || !text.ends_with(tail)) {
        return false;
    }
    // A line of one double quote begins and ends with it and keeps nothing between.
    const size_t cut = lead.size() + tail.size();
    inner = text.size() > cut ? WString(text.data() + lead.size(), static_cast<int>(text.size() - cut))
                              : WString();
    return true;
}

void Append(std::u16string& page, std::u16string_view text) {
    page.append(text);
}

void AppendText(std::u16string& page, const WString& text) {
    page.append(View(text));
}

void AppendTable(std::u16string& page, std::u16string_view open, const WString& text,
                 std::u16string_view close) {
    Append(page, open);
    AppendText(page, text);
    Append(page, close);
}

} // namespace

std::vector<WString> HtmlPage::Lines(const WString& scenario) {
    const std::u16string_view text = View(scenario);
    // Line feeds at the very end (with the carriage returns between them) start no line.
    size_t end = text.size();
    while (end > 0 && (text[end - 1] == u'\n' || text[end - 1] == u'\r')) {
        --end;
    }
    std::vector<WString> lines;
    size_t start = 0;
    while (true) {
        const size_t feed = text.find(u'\n', start);
        const size_t stop = feed == std::u16string_view::npos || feed > end ? end : feed;
        WString line(text.data() + start, static_cast<int>(stop - start));
        line.Trim();
        lines.push_back(line);
        if (stop >= end) {
            break;
        }
        start = stop + 1;
    }
    return lines;
}

void HtmlPage::AppendLine(std::u16string& page, const WString& line, const TileSetSettings& settings) {
    WString inner;
    if (Enclosed(line, u"+[", u"]+", inner)) {
        const WString& back = settings.htmlTitleBkColor;
        Append(page, u"<table border=\"1\" bgcolor=\"");
        AppendText(page, back);
        Append(page, u"\" bordercolor=\"");
        AppendText(page, back);
        Append(page, u"\" bordercolorlight=\"");
        AppendText(page, back);
        Append(page, u"\" bordercolordark=\"");
        AppendText(page, back);
        Append(page, u"\"><tr><td><font face=\"");
        AppendText(page, settings.fontName);
        Append(page, u"\" color=\"");
        AppendText(page, settings.htmlTitleColor);
        AppendTable(page, u"\" size=\"5\"><b>\r\n", inner, u"\r\n</b></font></td></tr></table><p></p>\r\n");
    } else if (Enclosed(line, u"-[", u"]-", inner)) {
        Append(page, u"<table border=\"1\" bgcolor=\"#FFFFFF\" bordercolor=\"#000000\" "
                     u"bordercolorlight=\"#000000\" bordercolordark=\"#000000\"><tr><td><font face=\"");
        AppendText(page, settings.fontName);
        AppendTable(page, u"\" color=\"#000000\" size=\"5\"><b>\r\n", inner,
                    u"\r\n</b></font></td></tr></table><p></p>\r\n");
    } else if (Enclosed(line, u"[", u"]", inner)) {
        Append(page, u"<table border=\"1\" bgcolor=\"#000000\" bordercolor=\"#000000\" "
                     u"bordercolorlight=\"#000000\" bordercolordark=\"#000000\"><tr><td><font face=\"");
        AppendText(page, settings.fontName);
        AppendTable(page, u"\" color=\"#FFFFFF\" size=\"4\"><b>\r\n", inner,
                    u"\r\n</b></font></td></tr></table><p></p>\r\n");
    } else if (Enclosed(line, u"\"", u"\"", inner)) {
        AppendTable(page, u"<table border=\"0\" bgcolor=\"#C0C0C0\"><tr><td><font color=\"#000000\">\r\n",
                    inner, u"\r\n</font></td></tr></table><p></p>\r\n");
    } else {
        AppendTable(page, u"<table border=\"0\" bgcolor=\"#FFFFFF\"><tr><td><font color=\"#000000\">\r\n",
                    line, u"\r\n</font></td></tr></table><p></p>\r\n");
    }
}

std::string HtmlPage::Build(const WString& scenario, const WString& pagePath, const WString& imagePath,
                            const TileSetSettings& settings) {
    std::u16string page;
    Append(page, u"<html><head><title>\r\n");
    AppendText(page, pagePath.NameOf());
    Append(page, u"\r\n</title></head><body>\r\n");
    for (const WString& line : Lines(scenario)) {
        AppendLine(page, line, settings);
    }
    Append(page, u"<p><img src=\"");
    for (char16_t unit : View(imagePath.NameAndExtensionOf())) {
        if (unit == u' ') {
            page.append(u"%20");
        } else {
            page.push_back(unit);
        }
    }
    Append(page, u"\"></p>\r\n");
    Append(page, u"</body></html>");
    std::string bytes;
    Windows1252::Encode(page.data(), static_cast<int>(page.size()), bytes);
    return bytes;
}

WString HtmlPage::PathBeside(const WString& imagePath) {
    WString path = imagePath.DirectoryOf();
    path.Append(imagePath.NameOf());
    path.Append(u".htm");
    return path;
}
