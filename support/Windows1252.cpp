#include "support/Windows1252.h"

namespace {

// Bytes 0x80..0x9F; the five bytes the code page leaves undefined map to the C1 control of the same value.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

char16_t Windows1252::ToUnit(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

bool Windows1252::FromUnit(char16_t unit, unsigned char& byte) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        byte = static_cast<unsigned char>(unit);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == unit) {
            byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

int Windows1252::Decode(const unsigned char* bytes, size_t count, char16_t* out) {
    for (size_t i = 0; i < count; ++i)
        out[i] = ToUnit(bytes[i]);
    return static_cast<int>(count);
}

void Windows1252::Encode(const char16_t* units, int count, std::string& out) {
    out.reserve(out.size() + static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        unsigned char byte = '?';
        if (!FromUnit(units[i], byte)) {
            byte = '?';
            const bool pair = units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < count &&
                              units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
            if (pair)
                ++i;
        }
        out.push_back(static_cast<char>(byte));
    }
}
