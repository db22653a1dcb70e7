#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The text-safe byte encoding of the map and tileset files: six characters carrying the byte count as a
// 32-bit little-endian value, then the bytes, both as 6-bit groups over a-z, A-Z, 0-9, '-' and '+'
// without padding. Commas can never occur in it, so encoded matrices can be joined by commas.
class BytesText {
public:
    static std::string Encode(const std::uint8_t* data, std::size_t count);

private:
    static void AppendGroups(std::string& out, const std::uint8_t* data, std::size_t count);
};
