#include "tools/SeededRandom.h"

SeededRandom::SeededRandom(std::uint64_t seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ull) {}

std::uint32_t SeededRandom::Next() {
    // xorshift64*: fast, fixed and good enough for texture noise.
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<std::uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
}

double SeededRandom::Unit() {
    return Next() / 4294967296.0;
}

double SeededRandom::Range(double low, double high) {
    return low + (high - low) * Unit();
}

int SeededRandom::Int(int low, int highInclusive) {
    const auto span = static_cast<std::uint32_t>(highInclusive - low + 1);
    return low + static_cast<int>(Next() % span);
}

bool SeededRandom::Chance(double probability) {
    return Unit() < probability;
}
