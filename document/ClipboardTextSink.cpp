#include "document/ClipboardTextSink.h"

#include "support/WString.h"
#include "support/XmlElement.h"

void ClipboardTextSink::Element(const char16_t* name) {
    out_.Append(u"\n   <");
    out_.Append(name);
}

void ClipboardTextSink::Attribute(const char16_t* name, const WString& value) {
    out_.AppendUnit(u' ');
    out_.Append(name);
    out_.Append(u"=\"");
    XmlElement::AppendEscaped(out_, value);
    out_.AppendUnit(u'"');
}

void ClipboardTextSink::EndElement() {
    out_.Append(u"/>");
}
