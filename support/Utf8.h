#pragma once

#include <cstddef>
#include <string>

// UTF-8 to and from 16-bit units. Decoding never writes more units than it reads bytes, so a caller can
// size the output by the input. Invalid or truncated sequences become U+FFFD (one per maximal broken
// subpart); characters outside the basic plane become surrogate pairs.
class Utf8 {
public:
    static int Decode(const unsigned char* bytes, size_t count, char16_t* out);
    // The same, leaving out every U+000D: the result equals Decode followed by removing those units, because
    // a carriage return byte never belongs to a longer sequence.
    static int DecodeWithoutCr(const unsigned char* bytes, size_t count, char16_t* out);
    // Appends the encoding of count units to out. Lone surrogates are written as U+FFFD.
    static void Encode(const char16_t* units, int count, std::string& out);
};
