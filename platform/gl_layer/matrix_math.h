#pragma once
// 4x4 float matrices in GL's column-major order, and the products the fixed
// pipeline forms with them, in single precision as GL does.
#include <array>

namespace gl_layer {

using Mat4 = std::array<float, 16>;
using Vec4 = std::array<float, 4>;

Mat4 identityMatrix();
bool isIdentity(const Mat4& m);
// a * b (b applied first).
Mat4 multiply(const Mat4& a, const Mat4& b);
// m * (x y z w).
Vec4 transform(const Mat4& m, float x, float y, float z, float w);
// The matrices of glTranslate, glScale and glRotate (angle in degrees about
// the axis, which need not be of unit length; a zero axis gives identity).
Mat4 translationMatrix(float x, float y, float z);
Mat4 scaleMatrix(float x, float y, float z);
Mat4 rotationMatrix(float degrees, float x, float y, float z);
// The transpose of the inverse of m's upper-left 3x3, which carries normals
// into eye space (rows of 3, row-major). A singular block gives zeros.
std::array<float, 9> normalMatrix(const Mat4& m);

}  // namespace gl_layer
