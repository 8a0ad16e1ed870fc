#pragma once
// Small curves of scene time shared by the scene's layers.
#include <cmath>

namespace scenemath {
inline constexpr double kPi = 3.14159265358979323846;
}

// v limited to [0, 1]; a NaN gives 0.
inline double clamp01(double v) {
    return v > 0.0 ? (v < 1.0 ? v : 1.0) : 0.0;
}

// 0 before `start`, rising linearly at `rate` per second, 1 from start + 1/rate.
inline double ramp(double t, double start, double rate) {
    return clamp01((t - start) * rate);
}

// ramp smoothed at both ends: sin(ramp * pi/2) squared.
inline double easedRamp(double t, double start, double rate) {
    const double s = std::sin(ramp(t, start, rate) * scenemath::kPi / 2.0);
    return s * s;
}

// Brightness of a falling particle at phase f: rises over the first 13 % of
// its fall, full in the middle, falls over the last 13 %.
inline double pulse(double f) {
    return clamp01(2.5 * std::sin(scenemath::kPi * clamp01(f)));
}

// x minus its truncation toward zero.
inline double frac(double x) {
    return x - std::trunc(x);
}
