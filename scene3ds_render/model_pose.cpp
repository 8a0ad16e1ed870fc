#include "scene3ds_render/model_pose.h"

#include <algorithm>
#include <cmath>

namespace {

Matrix4f identity() {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Matrix4f translation(float x, float y, float z) {
    Matrix4f m = identity();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

// The editor's placement of a re-based mesh: vertex v was stored as
// S Inv(A) (p - origin), with A the local axes and S their lengths, so
// p = origin + sum of v_k / s_k times axis k.
Matrix4f editorPlacement(const Mesh3ds& mesh) {
    const float* M = mesh.matrix;
    Matrix4f m = identity();
    for (int axis = 0; axis < 3; ++axis) {
        const float x = M[4 * axis], y = M[4 * axis + 1], z = M[4 * axis + 2];
        const float length = std::sqrt(x * x + y * y + z * z);
        const float inverse = length > 0.0f ? 1.0f / length : 0.0f;
        m[4 * axis] = x * inverse;
        m[4 * axis + 1] = y * inverse;
        m[4 * axis + 2] = z * inverse;
    }
    m[12] = M[12];
    m[13] = M[13];
    m[14] = M[14];
    return m;
}

}  // namespace

std::uint32_t frameAtTime(const Model3ds& model, double seconds) {
    if (model.frameCount <= 1 || !std::isfinite(seconds)) return 0;
    double frame = std::floor(seconds * kFramesPerSecond);
    frame = std::fmod(frame, static_cast<double>(model.frameCount));
    if (frame < 0) frame += model.frameCount;
    return std::min(static_cast<std::uint32_t>(frame), model.frameCount - 1);
}

bool meshIsKeyed(const Model3ds& model, std::size_t index) {
    if (index >= model.nodes.size() || index >= model.meshes.size()) return false;
    const Node3ds& node = model.nodes[index];
    if (node.positionFrames.empty()) return false;
    auto zero = [](const auto& values) {
        return std::all_of(std::begin(values), std::end(values), [](float v) { return v == 0; });
    };
    // A node without keys was sampled to all zeros, pivot and base rotation
    // included; any key makes some value non-zero, except a key that places
    // the object exactly at the origin unrotated, which draws the same.
    if (!zero(node.pivot) || !zero(node.baseRotation)) return true;
    for (const auto& p : node.positionFrames)
        if (!zero(p)) return true;
    for (const auto& r : node.rotationFrames)
        if (!zero(r)) return true;
    return false;
}

Matrix4f rotationMatrix(float x, float y, float z, float radians) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0.0f) || !std::isfinite(length)) return identity();
    x /= length;
    y /= length;
    z /= length;
    const float c = std::cos(radians), s = std::sin(radians), t = 1.0f - c;
    return {t * x * x + c,
            t * x * y + s * z,
            t * x * z - s * y,
            0,
            t * x * y - s * z,
            t * y * y + c,
            t * y * z + s * x,
            0,
            t * x * z + s * y,
            t * y * z - s * x,
            t * z * z + c,
            0,
            0,
            0,
            0,
            1};
}

Matrix4f multiply(const Matrix4f& a, const Matrix4f& b) {
    Matrix4f m{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a[4 * k + row] * b[4 * col + k];
            m[4 * col + row] = sum;
        }
    return m;
}

Matrix4f inverseAffine(const Matrix4f& m) {
    const double det = m[0] * (double{m[5]} * m[10] - double{m[6]} * m[9]) -
                       m[4] * (double{m[1]} * m[10] - double{m[2]} * m[9]) +
                       m[8] * (double{m[1]} * m[6] - double{m[2]} * m[5]);
    if (det == 0 || !std::isfinite(det)) return identity();
    Matrix4f r = identity();
    const double inv = 1.0 / det;
    r[0] = static_cast<float>((double{m[5]} * m[10] - double{m[6]} * m[9]) * inv);
    r[1] = static_cast<float>((double{m[2]} * m[9] - double{m[1]} * m[10]) * inv);
    r[2] = static_cast<float>((double{m[1]} * m[6] - double{m[2]} * m[5]) * inv);
    r[4] = static_cast<float>((double{m[6]} * m[8] - double{m[4]} * m[10]) * inv);
    r[5] = static_cast<float>((double{m[0]} * m[10] - double{m[2]} * m[8]) * inv);
    r[6] = static_cast<float>((double{m[2]} * m[4] - double{m[0]} * m[6]) * inv);
    r[8] = static_cast<float>((double{m[4]} * m[9] - double{m[5]} * m[8]) * inv);
    r[9] = static_cast<float>((double{m[1]} * m[8] - double{m[0]} * m[9]) * inv);
    r[10] = static_cast<float>((double{m[0]} * m[5] - double{m[1]} * m[4]) * inv);
    for (int row = 0; row < 3; ++row)
        r[12 + row] = -(r[row] * m[12] + r[4 + row] * m[13] + r[8 + row] * m[14]);
    return r;
}

std::array<float, 3> transformPoint(const Matrix4f& m, const std::array<float, 3>& p) {
    return {m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12],
            m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13],
            m[2] * p[0] + m[6] * p[1] + m[10] * p[2] + m[14]};
}

Matrix4f meshTransform(const Model3ds& model, std::size_t index, std::uint32_t frame) {
    if (index >= model.meshes.size() || index >= model.nodes.size()) return identity();
    if (!meshIsKeyed(model, index)) return editorPlacement(model.meshes[index]);
    const Node3ds& node = model.nodes[index];
    frame =
        std::min<std::uint32_t>(frame, static_cast<std::uint32_t>(node.positionFrames.size() - 1));
    const auto& p = node.positionFrames[frame];
    Matrix4f m = translation(p[0], p[1], p[2]);
    if (frame < node.rotationFrames.size()) {
        const auto& r = node.rotationFrames[frame];
        m = multiply(m, rotationMatrix(r[0], r[1], r[2], r[3]));
    }
    const float* base = node.baseRotation;
    m = multiply(m, rotationMatrix(base[0], base[1], base[2], base[3]));
    return multiply(m, translation(node.pivot[0], node.pivot[1], node.pivot[2]));
}

void Bounds::add(const std::array<float, 3>& p) {
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) return;
    for (int i = 0; i < 3; ++i) {
        if (empty || p[i] < min[i]) min[i] = p[i];
        if (empty || p[i] > max[i]) max[i] = p[i];
    }
    empty = false;
}

std::array<double, 3> Bounds::centre() const {
    return {(min[0] + max[0]) / 2, (min[1] + max[1]) / 2, (min[2] + max[2]) / 2};
}

double Bounds::radius() const {
    if (empty) return 0.0;
    const double dx = max[0] - min[0], dy = max[1] - min[1], dz = max[2] - min[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz) / 2;
}

Bounds sceneBounds(const Model3ds& model, std::uint32_t frame) {
    Bounds bounds;
    std::vector<char> used;
    for (std::size_t i = 0; i < model.meshes.size(); ++i) {
        const Mesh3ds& mesh = model.meshes[i];
        const Matrix4f m = meshTransform(model, i, frame);
        used.assign(mesh.positions.size(), 0);
        for (const Face3ds& f : mesh.faces)
            for (std::uint16_t v : {f.a, f.b, f.c})
                if (v < used.size()) used[v] = 1;
        for (std::size_t v = 0; v < used.size(); ++v)
            if (used[v]) bounds.add(transformPoint(m, mesh.positions[v]));
    }
    return bounds;
}
