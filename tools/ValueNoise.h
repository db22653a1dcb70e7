#pragma once

#include <cstdint>

// Smooth lattice noise in 0 ... 1 for stone, wood and dust textures. Positions are in lattice cells;
// the seed picks an independent pattern so neighbouring tiles do not repeat each other.
class ValueNoise {
public:
    explicit ValueNoise(std::uint32_t seed) : seed_(seed) {}

    double At(double x, double y) const;
    double Fractal(double x, double y, int octaves) const; // sum of halving octaves, still 0 ... 1

private:
    double Lattice(int x, int y) const;

    std::uint32_t seed_;
};
