#pragma once
#include <cstdint>

// One frame-rate log entry: one per 0.1 s bin of demo time.
struct FrameSample {
    double time = 0.0;
    double frameRate = 0.0;
    std::int32_t aux = 0;
};
