#pragma once

#include <cstdint>

// A colour of the tileset settings: red, green, blue, one byte each. Black by default.
struct Rgb8 {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    constexpr Rgb8() = default;
    constexpr Rgb8(std::uint8_t red, std::uint8_t green, std::uint8_t blue) : r(red), g(green), b(blue) {}

    constexpr void Set(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        r = red;
        g = green;
        b = blue;
    }
    constexpr bool operator==(const Rgb8& o) const { return r == o.r && g == o.g && b == o.b; }
};
