#pragma once
// A 4x4 matrix of doubles, row-major (entry r, c is element 4r + c), with
// the few operations the mesh re-basing needs.
#include "runtime/records/point4.h"

struct Matrix4d {
    double m[16];

    // The identity.
    Matrix4d();
    // From 16 values in row order.
    Matrix4d(double m00, double m01, double m02, double m03, double m10, double m11, double m12,
             double m13, double m20, double m21, double m22, double m23, double m30, double m31,
             double m32, double m33);

    static Matrix4d identity() { return Matrix4d(); }
    double at(int row, int column) const { return m[4 * row + column]; }

    // Every entry multiplied by s.
    Matrix4d scaled(double s) const;
    // The upper-left 3x3 part applied to p; w of the result is 1.
    Point4 transformPoint(const Point4& p) const;
};

// Writes the inverse of the upper-left 3x3 part of `source` into `out` (by
// cofactors divided by the determinant; the whole of `out` is scaled).
// `out` must be the identity on entry; when |det| < 1e-8 it stays so.
void inverse3x3(const Matrix4d& source, Matrix4d& out);
