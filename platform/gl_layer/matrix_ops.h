#pragma once
#include "platform/gl_layer/matrix_math.h"

namespace gl_layer {

// Multiplies the current stack's top matrix by m on the right, as
// glMultMatrix does; used by the matrix entry points and GLU.
void multiplyCurrentMatrix(const Mat4& m);

}  // namespace gl_layer
