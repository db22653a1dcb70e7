#include "support/XmlNode.h"

#include "support/XmlArena.h"

XmlNode::~XmlNode() = default;

void XmlNode::StoreName(const char16_t* units, int count) {
    if (sharedNames_) {
        name_ = arena_->Names().Intern(units, count);
        return;
    }
    WString copy(units, count); // the units may be our own name
    if (!ownName_)
        ownName_ = std::make_unique<WString>();
    *ownName_ = std::move(copy);
    name_ = ownName_.get();
}

// Same result as assigning WString(units, count), without the temporary: parsing sets every name and value
// once on a fresh node, where the string can take the units directly.
void XmlNode::AssignUnits(WString& target, const char16_t* units, int count) {
    if (count > 0 && target.IsEmpty() && target.Spare() == 0)
        target.Append(units, count);
    else
        target = WString(units, count);
}

void XmlNode::SetName(const WString& name) {
    SetName(name.c_str(), name.Length());
}

void XmlNode::SetName(const char16_t* units, int count) {
    int begin = 0, end = count;
    while (end > 0 && WString::IsSpace(units[end - 1]))
        --end;
    while (begin < end && WString::IsSpace(units[begin]))
        ++begin;
    StoreName(units + begin, end - begin);
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
    // Raw text that no longer belongs to the value is dropped, or the writer would bring the old text back.
    // Both strings are replaced only after the new texts are copied: the units may be our own text.
    std::unique_ptr<WString> raw;
    if (end - begin != count)
        raw = std::make_unique<WString>(units, count);
    AssignUnits(value_, units + begin, end - begin);
    rawText_ = std::move(raw);
}

const WString& XmlNode::Text(bool preferRaw) const {
    if (preferRaw && rawText_ && !rawText_->IsEmpty())
        return *rawText_;
    return value_;
}

const WString& XmlNode::RawText() const {
    return rawText_ ? *rawText_ : NoText();
}

void XmlNode::ClearText() {
    value_.Clear();
    rawText_.reset();
}

void XmlNode::TakeTrimmedText(char16_t* units, int count, bool terminatorFits) {
    if (!sharedNames_) {
        SetText(units, count);
        return;
    }
    int begin = 0, end = count;
    while (end > 0 && WString::IsSpace(units[end - 1]))
        --end;
    while (begin < end && WString::IsSpace(units[begin]))
        ++begin;
    // Raw text is rare (outer white space), so it is copied, before a terminator may land inside it.
    if (end - begin != count)
        rawText_ = std::make_unique<WString>(units, count);
    else
        rawText_.reset();
    if (begin == end) {
        value_.Clear();
        return;
    }
    // Trailing white space leaves room for the terminator inside the text itself.
    if (end == count && !terminatorFits) {
        AssignUnits(value_, units + begin, end - begin);
        return;
    }
    units[end] = 0;
    value_.Borrow(units + begin, end - begin);
}

void XmlNode::TakeParsedComment(char16_t* units, int count) {
    rawText_.reset();
    if (!sharedNames_ || count == 0) {
        SetUntrimmedValue(units, count);
        return;
    }
    units[count] = 0;
    value_.Borrow(units, count);
}

void XmlNode::SetUntrimmedValue(const char16_t* units, int count) {
    value_ = WString(units, count);
    rawText_.reset();
}
