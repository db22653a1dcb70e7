#pragma once

#include "support/WString.h"

#include <string>
#include <vector>

struct TileSetSettings;

// The web page written beside a published picture: each line of the scenario text in its own one-cell
// table, styled by brackets at both ends of the line, then the picture. Texts are copied literally
// (a line may carry its own markup) and written in Windows-1252.
//   +[title]+   the tileset's title colours and font, large and bold
//   -[text]-    black bold text on white with a black border
//   [text]      white bold text on black
//   "text"      black text on grey
//   otherwise   black text on white
class HtmlPage {
public:
    // The page's bytes for the picture at imagePath; the title is the page file's name without its
    // folder and extension.
    static std::string Build(const WString& scenario, const WString& pagePath, const WString& imagePath,
                             const TileSetSettings& settings);
    // The page beside a picture: the picture's folder and name with ".htm".
    static WString PathBeside(const WString& imagePath);
    // The lines of a scenario text: the text between line feeds, without the line feeds that end it,
    // each trimmed of white space (a carriage return before its line feed goes with it).
    static std::vector<WString> Lines(const WString& scenario);

private:
    static void AppendLine(std::u16string& page, const WString& line, const TileSetSettings& settings);
};
