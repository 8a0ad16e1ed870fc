#include "noise.h"

#include <cmath>

namespace {

std::uint32_t hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    std::uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h;
}

float lattice(int x, int y, int period, std::uint32_t seed) {
    int wx = ((x % period) + period) % period;
    int wy = ((y % period) + period) % period;
    return static_cast<float>(hash(wx, wy, seed) & 0xFFFFFF) / static_cast<float>(0xFFFFFF);
}

float fade(float t) {
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

}  // namespace

float tiledValueNoise(float x, float y, int period, std::uint32_t seed) {
    int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    float fx = fade(x - x0), fy = fade(y - y0);
    float a = lattice(x0, y0, period, seed), b = lattice(x0 + 1, y0, period, seed);
    float c = lattice(x0, y0 + 1, period, seed), d = lattice(x0 + 1, y0 + 1, period, seed);
    float top = a + (b - a) * fx, bottom = c + (d - c) * fx;
    return top + (bottom - top) * fy;
}

float tiledFbm(float x, float y, int basePeriod, int octaves, std::uint32_t seed) {
    float sum = 0, weight = 1, total = 0;
    int period = basePeriod;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * tiledValueNoise(x * period, y * period, period, seed + 101u * i);
        total += weight;
        weight *= 0.5f;
        period *= 2;
    }
    return sum / total;
}
