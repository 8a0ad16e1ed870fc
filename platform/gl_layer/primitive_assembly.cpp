#include "platform/gl_layer/primitive_assembly.h"

#include <algorithm>
#include <cmath>

namespace gl_layer {

namespace {

// The vertex part way from a to b (clip-space linear, as GL clips).
LayerVertex between(const LayerVertex& a, const LayerVertex& b, float t) {
    LayerVertex v;
    for (int i = 0; i < 4; ++i) v.position[i] = a.position[i] + t * (b.position[i] - a.position[i]);
    for (int i = 0; i < 4; ++i) v.color[i] = a.color[i] + t * (b.color[i] - a.color[i]);
    for (int i = 0; i < 4; ++i)
        v.backColor[i] = a.backColor[i] + t * (b.backColor[i] - a.backColor[i]);
    for (int i = 0; i < 3; ++i) v.texCoord[i] = a.texCoord[i] + t * (b.texCoord[i] - a.texCoord[i]);
    return v;
}

// Clips the segment to the near plane (z >= -w); false when nothing is left.
// The other planes are left to the real GL, which clips the widened quad.
bool clipToNear(LayerVertex& a, LayerVertex& b) {
    const float da = a.position[2] + a.position[3];
    const float db = b.position[2] + b.position[3];
    if (da < 0 && db < 0) return false;
    if (da < 0) a = between(a, b, da / (da - db));
    if (db < 0) b = between(b, a, db / (db - da));
    return true;
}

void copyColor(LayerVertex& to, const LayerVertex& from) {
    std::copy(std::begin(from.color), std::end(from.color), to.color);
    std::copy(std::begin(from.backColor), std::end(from.backColor), to.backColor);
}

}  // namespace

bool PrimitiveAssembler::begin(GLenum mode, const DrawState& state, GLenum shadeModel,
                               float lineWidth) {
    if (mode != GL_POINTS && mode != GL_LINES && mode != GL_TRIANGLES && mode != GL_QUADS)
        return false;
    active_ = true;
    mode_ = mode;
    state_ = state;
    flat_ = shadeModel == GL_FLAT;
    // Non-antialiased wide lines are drawn at the nearest whole width.
    lineWidth_ = std::max(1, static_cast<int>(std::lround(lineWidth)));
    if (mode == GL_POINTS) {
        state_.mode = GL_POINTS;
        state_.cullFace = false;
    } else if (mode == GL_LINES) {
        state_.mode = lineWidth_ == 1 ? GL_LINES : GL_TRIANGLES;
        state_.cullFace = false;
        state_.pointSize = 1;
    } else {
        state_.mode = GL_TRIANGLES;
        state_.pointSize = 1;
    }
    if (mode != GL_POINTS) state_.pointSize = 1;
    pending_ = 0;
    return true;
}

void PrimitiveAssembler::end() {
    active_ = false;
    pending_ = 0;
}

void PrimitiveAssembler::add(const LayerVertex& vertex, BatchRenderer& renderer) {
    vertices_[pending_++] = vertex;
    switch (mode_) {
        case GL_POINTS: {
            const BatchRenderer::Slots out = renderer.append(state_, 1, 1);
            out.vertices[0] = vertex;
            out.indices[0] = out.base;
            pending_ = 0;
            break;
        }
        case GL_LINES:
            if (pending_ == 2) {
                if (flat_) copyColor(vertices_[0], vertices_[1]);
                emitLine(renderer);
                pending_ = 0;
            }
            break;
        case GL_TRIANGLES:
            if (pending_ == 3) {
                const BatchRenderer::Slots out = renderer.append(state_, 3, 3);
                for (int i = 0; i < 3; ++i) {
                    out.vertices[i] = vertices_[i];
                    if (flat_) copyColor(out.vertices[i], vertices_[2]);
                    out.indices[i] = out.base + i;
                }
                pending_ = 0;
            }
            break;
        case GL_QUADS:
            if (pending_ == 4) {
                emitQuad(vertices_, renderer);
                pending_ = 0;
            }
            break;
        default:
            pending_ = 0;
            break;
    }
}

void PrimitiveAssembler::emitLine(BatchRenderer& renderer) {
    LayerVertex a = vertices_[0];
    LayerVertex b = vertices_[1];
    if (lineWidth_ == 1) {
        const BatchRenderer::Slots out = renderer.append(state_, 2, 2);
        out.vertices[0] = a;
        out.vertices[1] = b;
        out.indices[0] = out.base;
        out.indices[1] = out.base + 1;
        return;
    }
    if (!clipToNear(a, b)) return;
    // Window-space direction decides the major axis.
    const auto& vp = state_.viewport;
    const float ax = a.position[0] / a.position[3] * vp[2],
                ay = a.position[1] / a.position[3] * vp[3];
    const float bx = b.position[0] / b.position[3] * vp[2],
                by = b.position[1] / b.position[3] * vp[3];
    const bool xMajor = std::fabs(bx - ax) >= std::fabs(by - ay);
    if (ax == bx && ay == by) return;
    // Half the width in normalised device units along the minor axis,
    // scaled by w so that it survives the perspective divide.
    const float half = 0.5f * static_cast<float>(lineWidth_);
    const int axis = xMajor ? 1 : 0;
    const float ndcHalf = half * 2.0f / static_cast<float>(xMajor ? vp[3] : vp[2]);
    LayerVertex corners[4] = {a, b, b, a};
    corners[0].position[axis] -= ndcHalf * a.position[3];
    corners[1].position[axis] -= ndcHalf * b.position[3];
    corners[2].position[axis] += ndcHalf * b.position[3];
    corners[3].position[axis] += ndcHalf * a.position[3];
    emitQuad(corners, renderer);
}

void PrimitiveAssembler::emitQuad(LayerVertex (&corners)[4], BatchRenderer& renderer) {
    // A flat quad takes the colour of its last vertex.
    if (flat_) {
        for (int i = 0; i < 3; ++i) copyColor(corners[i], corners[3]);
    }
    const BatchRenderer::Slots out = renderer.append(state_, 4, 6);
    std::copy(corners, corners + 4, out.vertices);
    constexpr std::uint32_t order[6] = {0, 1, 2, 0, 2, 3};
    for (int i = 0; i < 6; ++i) out.indices[i] = out.base + order[i];
}

}  // namespace gl_layer
