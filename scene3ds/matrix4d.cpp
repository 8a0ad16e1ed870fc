#include "scene3ds/matrix4d.h"

#include <cmath>

Matrix4d::Matrix4d() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

Matrix4d::Matrix4d(double m00, double m01, double m02, double m03, double m10, double m11,
                   double m12, double m13, double m20, double m21, double m22, double m23,
                   double m30, double m31, double m32, double m33)
    : m{m00, m01, m02, m03, m10, m11, m12, m13, m20, m21, m22, m23, m30, m31, m32, m33} {}

Matrix4d Matrix4d::scaled(double s) const {
    Matrix4d result = *this;
    for (double& v : result.m) v *= s;
    return result;
}

Point4 Matrix4d::transformPoint(const Point4& p) const {
    return Point4{at(0, 0) * p.x + at(0, 1) * p.y + at(0, 2) * p.z,
                  at(1, 0) * p.x + at(1, 1) * p.y + at(1, 2) * p.z,
                  at(2, 0) * p.x + at(2, 1) * p.y + at(2, 2) * p.z, 1};
}

void inverse3x3(const Matrix4d& source, Matrix4d& out) {
    auto s = [&source](int r, int c) { return source.at(r, c); };
    double det = s(0, 0) * (s(1, 1) * s(2, 2) - s(2, 1) * s(1, 2)) -
                 s(0, 1) * (s(2, 2) * s(1, 0) - s(1, 2) * s(2, 0)) +
                 s(0, 2) * (s(2, 1) * s(1, 0) - s(1, 1) * s(2, 0));
    if (!(std::fabs(det) >= 1e-8)) {
        out = Matrix4d::identity();  // singular (or NaN): no inverse to give
        return;
    }
    out.m[0] = s(1, 1) * s(2, 2) - s(2, 1) * s(1, 2);
    out.m[1] = s(2, 1) * s(0, 2) - s(0, 1) * s(2, 2);
    out.m[2] = s(0, 1) * s(1, 2) - s(0, 2) * s(1, 1);
    out.m[4] = s(2, 0) * s(1, 2) - s(1, 0) * s(2, 2);
    out.m[5] = s(0, 0) * s(2, 2) - s(2, 0) * s(0, 2);
    out.m[6] = s(1, 0) * s(0, 2) - s(0, 0) * s(1, 2);
    out.m[8] = s(2, 1) * s(1, 0) - s(2, 0) * s(1, 1);
    out.m[9] = s(2, 0) * s(0, 1) - s(2, 1) * s(0, 0);
    out.m[10] = s(1, 1) * s(0, 0) - s(1, 0) * s(0, 1);
    out = out.scaled(1.0 / det);
}
