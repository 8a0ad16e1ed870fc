#pragma once
// Per-vertex work of the fixed pipeline, done on the CPU so that
// consecutive primitives under different matrices still share one draw:
// the position into clip space, the colour (lit or current) and the
// texture coordinate through the texture matrix.
#include <array>

#include "platform/gl_layer/fixed_state.h"
#include "platform/gl_layer/matrix_math.h"

namespace gl_layer {

// What one vertex hands the real GL: clip position, colour, (s t q), and
// the colour its back faces show (the colour itself unless two-sided
// lighting lit the back side apart).
struct LayerVertex {
    float position[4];
    float color[4];
    float texCoord[3];
    float backColor[4];
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
// by GL's lighting equation with `material` (viewer at infinity; positional
// lights attenuated, spot lights within their cones), clamped to [0, 1].
// Two-sided lighting lights the back side with the back material and the
// normal reversed.
Color4 lightVertex(const FixedState& state, const VertexTransforms& transforms, const Vec4& eye,
                   const std::array<float, 3>& normal, const Material& material);

// The whole per-vertex stage for object position (x y z w).
LayerVertex processVertex(const FixedState& state, const VertexTransforms& transforms, float x,
                          float y, float z, float w);

}  // namespace gl_layer
