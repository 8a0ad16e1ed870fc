#include "platform/gl_layer/matrix_math.h"

#include <cmath>

namespace gl_layer {

Mat4 identityMatrix() {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

bool isIdentity(const Mat4& m) {
    return m == identityMatrix();
}

Mat4 multiply(const Mat4& a, const Mat4& b) {
    Mat4 r{};
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            r[col * 4 + row] = a[row] * b[col * 4] + a[4 + row] * b[col * 4 + 1] +
                               a[8 + row] * b[col * 4 + 2] + a[12 + row] * b[col * 4 + 3];
        }
    }
    return r;
}

Vec4 transform(const Mat4& m, float x, float y, float z, float w) {
    return {m[0] * x + m[4] * y + m[8] * z + m[12] * w, m[1] * x + m[5] * y + m[9] * z + m[13] * w,
            m[2] * x + m[6] * y + m[10] * z + m[14] * w,
            m[3] * x + m[7] * y + m[11] * z + m[15] * w};
}

Mat4 translationMatrix(float x, float y, float z) {
    Mat4 m = identityMatrix();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

Mat4 scaleMatrix(float x, float y, float z) {
    Mat4 m = identityMatrix();
    m[0] = x;
    m[5] = y;
    m[10] = z;
    return m;
}

Mat4 rotationMatrix(float degrees, float x, float y, float z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 1e-4f)) return identityMatrix();
    x /= length;
    y /= length;
    z /= length;
    const float radians = degrees * static_cast<float>(M_PI / 180.0);
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    const float k = 1.0f - c;
    return {x * x * k + c,
            y * x * k + z * s,
            x * z * k - y * s,
            0,
            x * y * k - z * s,
            y * y * k + c,
            y * z * k + x * s,
            0,
            x * z * k + y * s,
            y * z * k - x * s,
            z * z * k + c,
            0,
            0,
            0,
            0,
            1};
}

std::array<float, 9> normalMatrix(const Mat4& m) {
    // Upper-left block a (row, col) = m[col * 4 + row].
    const float a00 = m[0], a01 = m[4], a02 = m[8];
    const float a10 = m[1], a11 = m[5], a12 = m[9];
    const float a20 = m[2], a21 = m[6], a22 = m[10];
    const float c00 = a11 * a22 - a12 * a21, c01 = a12 * a20 - a10 * a22,
                c02 = a10 * a21 - a11 * a20;
    const float c10 = a02 * a21 - a01 * a22, c11 = a00 * a22 - a02 * a20,
                c12 = a01 * a20 - a00 * a21;
    const float c20 = a01 * a12 - a02 * a11, c21 = a02 * a10 - a00 * a12,
                c22 = a00 * a11 - a01 * a10;
    const float det = a00 * c00 + a01 * c01 + a02 * c02;
    if (det == 0.0f) return {};
    const float inv = 1.0f / det;
    // inverse(a) = transpose(cofactors) / det, so its transpose is the
    // cofactor matrix / det.
    return {c00 * inv, c01 * inv, c02 * inv, c10 * inv, c11 * inv,
            c12 * inv, c20 * inv, c21 * inv, c22 * inv};
}

}  // namespace gl_layer
