#pragma once
// The demo's own pseudo-random generator. Every placement in the scene comes
// from its exact sequence after a fixed seed, so it never defers to the C
// library's rand(), whose sequence differs between platforms.
#include <cstdint>

// One process-wide generator with a single 32-bit state.
struct DemoRandom {
    std::uint32_t state = 0;
};

DemoRandom& demoRandom();

// state = seed.
void seedRandom(std::uint32_t seed);
// Advances the state (times 214013 plus 2531011, modulo 2^32) and returns
// bits 16 to 30 of the new state: 0 .. 32767.
std::int32_t nextRandom();
// nextRandom() / 32767: a double in [0, 1], both ends included.
double random01();
