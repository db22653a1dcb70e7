#include "tools/BytesText.h"

namespace {

char Digit(unsigned value) {
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-+";
    return alphabet[value & 63];
}

} // namespace

void BytesText::AppendGroups(std::string& out, const std::uint8_t* data, std::size_t count) {
    for (std::size_t i = 0; i < count; i += 3) {
        const std::size_t left = count - i;
        const unsigned b0 = data[i];
        const unsigned b1 = left > 1 ? data[i + 1] : 0;
        const unsigned b2 = left > 2 ? data[i + 2] : 0;
        const unsigned bits = (b0 << 16) | (b1 << 8) | b2;
        out += Digit(bits >> 18);
        out += Digit(bits >> 12);
        if (left > 1)
            out += Digit(bits >> 6);
        if (left > 2)
            out += Digit(bits);
    }
}

std::string BytesText::Encode(const std::uint8_t* data, std::size_t count) {
    const auto n = static_cast<std::uint32_t>(count);
    const std::uint8_t countBytes[4] = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                        static_cast<std::uint8_t>(n >> 16),
                                        static_cast<std::uint8_t>(n >> 24)};
    std::string out;
    AppendGroups(out, countBytes, 4);
    AppendGroups(out, data, count);
    return out;
}
