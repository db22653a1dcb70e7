#pragma once

#include <cstddef>
#include <string>

// UTF-7 (RFC 2152) to and from 16-bit units. Decoding never writes more units than it reads bytes.
class Utf7 {
public:
    static int Decode(const unsigned char* bytes, size_t count, char16_t* out);
    static void Encode(const char16_t* units, int count, std::string& out);
};
