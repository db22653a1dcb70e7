#include "support/XmlNode.h"

XmlNode::~XmlNode() = default;

void XmlNode::SetName(const WString& name) {
    name_ = name;
    name_.Trim(true, true);
}

void XmlNode::SetName(const char16_t* units, int count) {
    name_ = WString(units, count);
    name_.Trim(true, true);
}

void XmlNode::SetText(const WString& text) {
    SetText(text.c_str(), text.Length());
}

void XmlNode::SetText(const char16_t* units, int count) {
    int begin = 0, end = count;
    while (end > 0 && WString::IsSpace(units[end - 1]))
        --end;
    while (begin < end && WString::IsSpace(units[begin]))
        ++begin;
    WString trimmed(units + begin, end - begin);
    // Raw text that no longer belongs to the value is dropped, or the writer would bring the old text back.
    if (end - begin != count)
        rawText_ = WString(units, count);
    else
        rawText_.Clear();
    value_ = std::move(trimmed);
}

const WString& XmlNode::Text(bool preferRaw) const {
    if (preferRaw && !rawText_.IsEmpty())
        return rawText_;
    return value_;
}

void XmlNode::ClearText() {
    value_.Clear();
    rawText_.Clear();
}

void XmlNode::SetUntrimmedValue(const char16_t* units, int count) {
    value_ = WString(units, count);
    rawText_.Clear();
}
