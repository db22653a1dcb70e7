#include "tools/ValueNoise.h"

#include <cmath>

namespace {

double Smooth(double t) {
    return t * t * (3.0 - 2.0 * t);
}

} // namespace

double ValueNoise::Lattice(int x, int y) const {
    std::uint32_t h =
        seed_ ^ (static_cast<std::uint32_t>(x) * 0x8DA6B343u) ^ (static_cast<std::uint32_t>(y) * 0xD8163841u);
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return (h & 0xFFFFFF) / 16777216.0;
}

double ValueNoise::At(double x, double y) const {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const double tx = Smooth(x - fx);
    const double ty = Smooth(y - fy);
    const double top = Lattice(ix, iy) + (Lattice(ix + 1, iy) - Lattice(ix, iy)) * tx;
    const double bottom = Lattice(ix, iy + 1) + (Lattice(ix + 1, iy + 1) - Lattice(ix, iy + 1)) * tx;
    return top + (bottom - top) * ty;
}

double ValueNoise::Fractal(double x, double y, int octaves) const {
    double sum = 0.0;
    double weight = 1.0;
    double total = 0.0;
    for (int i = 0; i < octaves; ++i) {
        sum += At(x, y) * weight;
        total += weight;
        weight *= 0.5;
        x = x * 2.0 + 17.3;
        y = y * 2.0 + 5.1;
    }
    return sum / total;
}
