#include "scene/demo_random.h"

namespace {
DemoRandom generator;
constexpr double kInverseRange = 1.0 / 32767.0;
}  // namespace

DemoRandom& demoRandom() {
    return generator;
}

void seedRandom(std::uint32_t seed) {
    generator.state = seed;
}

std::int32_t nextRandom() {
    generator.state = generator.state * 214013u + 2531011u;
    return static_cast<std::int32_t>((generator.state >> 16) & 0x7fffu);
}

double random01() {
    return nextRandom() * kInverseRange;
}
