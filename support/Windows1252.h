#pragma once

#include <cstddef>
#include <string>

// The Windows-1252 code page, the 8-bit text of this program's files and reports. Every byte decodes
// to one unit; units the code page cannot hold encode as '?' (a surrogate pair as a single '?').
class Windows1252 {
public:
    static int Decode(const unsigned char* bytes, size_t count, char16_t* out);
    static void Encode(const char16_t* units, int count, std::string& out);
    static char16_t ToUnit(unsigned char byte);
    static bool FromUnit(char16_t unit, unsigned char& byte); // false when the unit has no byte
};
