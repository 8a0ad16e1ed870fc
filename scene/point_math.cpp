#include "scene/point_math.h"

#include <cmath>

Point4 add(const Point4& a, const Point4& b) {
    if (a.w == 0 || b.w == 0) return Point4{0.0, 0.0, 0.0, 1};
    return Point4{a.x + b.x, a.y + b.y, a.z + b.z, 1};
}

Point4 subtract(const Point4& a, const Point4& b) {
    if (a.w == 0 || b.w == 0) return Point4{0.0, 0.0, 0.0, 1};
    return Point4{a.x - b.x, a.y - b.y, a.z - b.z, 1};
}

Point4 scaled(const Point4& a, double s) {
    if (a.w == 0) return Point4{0.0, 0.0, 0.0, 1};
    return Point4{a.x * s, a.y * s, a.z * s, a.w};
}

Point4& normalize(Point4& p) {
    if (p.w != 1) return p;
    const double length = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
    p.w = 2;
    if (length < 1e-8) {
        p.x = p.y = p.z = 0.0;
    } else {
        const double inverse = 1.0 / length;
        p.x *= inverse;
        p.y *= inverse;
        p.z *= inverse;
    }
    return p;
}
