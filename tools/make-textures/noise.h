#pragma once
// Deterministic randomness for the pictures: a small fixed-seed generator
// and tileable value noise, so every build draws the same images.
#include <cstdint>

class Rng {
  public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    // splitmix64
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    float uniform() { return static_cast<float>(next() >> 40) / static_cast<float>(1ull << 24); }
    float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }

  private:
    std::uint64_t state_;
};

// Value noise on a lattice of `period` cells that repeats every `period`
// cells, so noise(x + period, y) == noise(x, y). Result in [0, 1].
float tiledValueNoise(float x, float y, int period, std::uint32_t seed);

// Sum of `octaves` tileable noise layers, each of twice the frequency and
// half the weight of the one before, normalised to [0, 1]. x and y are in
// units of the whole tile (0..1 covers it once).
float tiledFbm(float x, float y, int basePeriod, int octaves, std::uint32_t seed);
