#pragma once

#include <cstdint>

// A small generator with a fixed algorithm, so the generated art is identical on every machine and
// every standard library (the distributions of <random> are not).
class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed);

    std::uint32_t Next();
    double Unit(); // [0, 1)
    double Range(double low, double high);
    int Int(int low, int highInclusive);
    bool Chance(double probability);

private:
    std::uint64_t state_;
};
