#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// The bytes of a PNG of 8-bit RGB (3 channels) or RGBA (4 channels) pixels, top row first, written
// by hand so that the tests need no image library of their own.
std::string EncodePng(int width, int height, int channels, const std::vector<std::uint8_t>& pixels);

// A width x height RGB PNG of one colour.
std::string SolidPng(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b);
// The same with the colour given as 0xRRGGBB.
inline std::string SolidPng(int width, int height, unsigned rgb) {
    return SolidPng(width, height, std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb));
}

} // namespace testsupport
