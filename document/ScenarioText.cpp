#include "document/ScenarioText.h"

namespace {

// Length of the line break starting at position, 0 when there is none.
int LineBreakAt(const WString& text, int position) {
    const char16_t unit = text.At(position);
    if (unit == u'\r') {
        return text.At(position + 1) == u'\n' ? 2 : 1;
    }
    return unit == u'\n' ? 1 : 0;
}

} // namespace

WString ScenarioText::ToDialog(const WString& stored, const WString& lineBreak) {
    WString shown;
    const int length = stored.Length();
    for (int i = 0; i < length; ++i) {
        const char16_t unit = stored.At(i);
        if (unit != u'\n') {
            shown.AppendUnit(unit);
            continue;
        }
        if (stored.At(i + 1) == u'\n') {
            ++i; // a pair of line feeds shows as one blank line, as a single one does
        }
        shown.Append(lineBreak);
        shown.Append(lineBreak);
    }
    return shown;
}

WString ScenarioText::FromDialog(const WString& edited) {
    WString stored;
    const int length = edited.Length();
    for (int i = 0; i < length;) {
        const int first = LineBreakAt(edited, i);
        if (first == 0) {
            stored.AppendUnit(edited.At(i));
            ++i;
            continue;
        }
        const int second = LineBreakAt(edited, i + first);
        i += first + second;
        stored.AppendUnit(u'\n');
    }
    return stored;
}
