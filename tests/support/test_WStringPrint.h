#pragma once

#include "support/WString.h"

#include <ostream>

// Readable failure messages for wide strings (ASCII shown as is, other units as \uXXXX).
inline void PrintTo(const WString& s, std::ostream* os) {
    static const char hex[] = "0123456789ABCDEF";
    *os << '"';
    for (int i = 0; i < s.Length(); ++i) {
        const char16_t u = s.At(i);
        if (u >= 0x20 && u < 0x7F) {
            *os << static_cast<char>(u);
        } else {
            *os << "\\u" << hex[(u >> 12) & 15] << hex[(u >> 8) & 15] << hex[(u >> 4) & 15] << hex[u & 15];
        }
    }
    *os << '"';
}
