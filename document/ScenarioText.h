#pragma once

#include "support/WString.h"

// The scenario text between the document and its dialog. The document stores line breaks as single
// line feeds; the dialog shows every stored line as a paragraph of its own, with a blank line after it.
class ScenarioText {
public:
    // Each pair of line feeds, and each single line feed left over, becomes one blank line: two line
    // breaks of the given form (carriage return and line feed for the classic edit control; a text
    // widget that works with bare line feeds passes u"\n").
    static WString ToDialog(const WString& stored, const WString& lineBreak = u"\r\n");
    // Each blank line, and then each single line break left over, becomes one line feed. Line breaks
    // may be CR LF, a bare LF or a bare CR, so text pasted from any system comes back the same.
    static WString FromDialog(const WString& edited);
};
