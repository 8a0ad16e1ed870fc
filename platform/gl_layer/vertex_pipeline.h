#pragma once
// Per-vertex work of the fixed pipeline, done on the CPU so that
// consecutive primitives under different matrices still share one draw:
// the position into clip space, the colour (lit or current) and the
// texture coordinate through the texture matrix.
#include <array>

#include "platform/gl_layer/fixed_state.h"
#include "platform/gl_layer/matrix_math.h"

namespace gl_layer {

// What one vertex hands the real GL: clip position, colour, (s t q).
struct LayerVertex {
    float position[4];
    float color[4];
    float texCoord[3];
};

// The matrix products a vertex needs, formed once per matrix change.
struct VertexTransforms {
    Mat4 modelview;
    Mat4 modelviewProjection;
    std::array<float, 9> normal;  // inverse transpose of the modelview
    Mat4 texture;
    bool textureIsIdentity = true;
};

VertexTransforms makeVertexTransforms(const Mat4& modelview, const Mat4& projection,
                                      const Mat4& texture);

// The lit colour of a vertex at eye-space `eye` with object normal `normal`,
// by GL's lighting equation with the front material (one-sided lighting,
// viewer at infinity), clamped to [0, 1].
Color4 lightVertex(const FixedState& state, const VertexTransforms& transforms, const Vec4& eye,
                   const std::array<float, 3>& normal);

// The whole per-vertex stage for object position (x y z w).
LayerVertex processVertex(const FixedState& state, const VertexTransforms& transforms, float x,
                          float y, float z, float w);

}  // namespace gl_layer
