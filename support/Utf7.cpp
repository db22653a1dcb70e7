#include "support/Utf7.h"

#include <cstdint>

namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// Characters written as themselves: the directly encoded set, the optional direct set without '\' and
// '~' (they differ in national variants of ASCII), and white space. Markup characters stay readable.
bool IsDirect(char16_t unit) {
    if (unit >= 0x80)
        return false;
    if ((unit >= 'A' && unit <= 'Z') || (unit >= 'a' && unit <= 'z') || (unit >= '0' && unit <= '9'))
        return true;
    switch (unit) {
    case '\'':
    case '(':
    case ')':
    case ',':
    case '-':
    case '.':
    case '/':
    case ':':
    case '?':
    case ' ':
    case '\t':
    case '\r':
    case '\n':
    case '!':
    case '"':
    case '#':
    case '$':
    case '%':
    case '&':
    case '*':
    case ';':
    case '<':
    case '=':
    case '>':
    case '@':
    case '[':
    case ']':
    case '^':
    case '_':
    case '`':
    case '{':
    case '|':
    case '}':
        return true;
    default:
        return false;
    }
}

} // namespace

int Utf7::Decode(const unsigned char* bytes, size_t count, char16_t* out) {
    char16_t* const start = out;
    size_t i = 0;
    while (i < count) {
        const unsigned char c = bytes[i];
        if (c != '+') {
            *out++ = c < 0x80 ? c : 0xFFFD;
            ++i;
            continue;
        }
        ++i;
        if (i < count && bytes[i] == '-') {
            *out++ = '+';
            ++i;
            continue;
        }
        // A shifted run: 6 bits per byte gathered into 16-bit units; leftover bits are padding.
        uint32_t bits = 0;
        int bitCount = 0;
        while (i < count) {
            const int value = Base64Value(bytes[i]);
            if (value < 0)
                break;
            bits = (bits << 6) | static_cast<uint32_t>(value);
            bitCount += 6;
            ++i;
            if (bitCount >= 16) {
                bitCount -= 16;
                *out++ = static_cast<char16_t>((bits >> bitCount) & 0xFFFF);
            }
            bits &= (1u << bitCount) - 1;
        }
        if (i < count && bytes[i] == '-')
            ++i; // the explicit end of a shifted run is absorbed
    }
    return static_cast<int>(out - start);
}

void Utf7::Encode(const char16_t* units, int count, std::string& out) {
    int i = 0;
    while (i < count) {
        const char16_t unit = units[i];
        if (unit == '+') {
            out += "+-";
            ++i;
            continue;
        }
        if (IsDirect(unit)) {
            out.push_back(static_cast<char>(unit));
            ++i;
            continue;
        }
        out.push_back('+');
        uint32_t bits = 0;
        int bitCount = 0;
        while (i < count && !IsDirect(units[i]) && units[i] != '+') {
            bits = (bits << 16) | units[i];
            bitCount += 16;
            while (bitCount >= 6) {
                bitCount -= 6;
                out.push_back(kBase64[(bits >> bitCount) & 0x3F]);
            }
            bits &= (1u << bitCount) - 1;
            ++i;
        }
        if (bitCount > 0)
            out.push_back(kBase64[(bits << (6 - bitCount)) & 0x3F]);
        out.push_back('-'); // always closed explicitly, so a following '-' or letter cannot be absorbed
    }
}
