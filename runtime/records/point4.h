#pragma once
#include <cstdint>

// A point or vector of three doubles with a marker: w = 1 a plain point,
// 2 a vector already made unit length, 0 a null operand.
struct Point4 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    std::int32_t w = 1;
};

// A view: where the eye is, what it looks at, which way is up.
struct CameraFrame {
    Point4 eye;
    Point4 center;
    Point4 up;
};
