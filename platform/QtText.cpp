#include "platform/QtText.h"

QString ToQString(const WString& text) {
    return QString::fromUtf16(text.c_str(), text.Length());
}

WString FromQString(const QString& text) {
    return WString(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<int>(text.size()));
}
