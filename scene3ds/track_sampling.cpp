// Turns each node's keys into dense per-frame arrays, by linear
// interpolation between consecutive keys in file order.
#include <algorithm>
#include <array>
#include <vector>

#include "scene3ds/model3ds_loader.h"

namespace {

// Writes frames f0 <= f < f1 of `frames`, going from a to b.
template <std::size_t N>
void fillStretch(std::vector<std::array<float, N>>& frames, std::uint32_t f0, std::uint32_t f1,
                 const std::array<double, N>& a, const std::array<double, N>& b) {
    for (std::uint32_t f = f0; f < f1; ++f) {
        double t = double(f - f0) / double(f1 - f0);
        for (std::size_t i = 0; i < N; ++i)
            frames[f][i] = static_cast<float>(a[i] + (b[i] - a[i]) * t);
    }
}

}  // namespace

void Model3dsLoader::sampleTracks() {
    const std::size_t paired = std::min(nodes.size(), meshes.size());
    for (std::size_t i = 0; i < paired; ++i) {
        Node3ds& node = nodes[i];
        node.rotationFrames.assign(frameCount, {0.0f, 0.0f, 0.0f, 0.0f});
        node.positionFrames.assign(frameCount, {0.0f, 0.0f, 0.0f});
        if (node.pivots.empty()) {
            node.pivot[0] = node.pivot[1] = node.pivot[2] = 0.0f;
        } else {
            node.pivot[0] = node.pivots[0].x;
            node.pivot[1] = node.pivots[0].y;
            node.pivot[2] = node.pivots[0].z;
        }

        // Rotation: the angle accumulates from key to key. After the last key
        // the rotation holds where it arrived, as the position track does.
        const auto& rotations = node.rotationKeys;
        float angleSum = 0.0f;
        for (std::size_t k = 0; k < rotations.size(); ++k) {
            const RotationKey3ds& key = rotations[k];
            const bool hasNext = k + 1 < rotations.size();
            std::uint32_t f0 = key.frame;
            std::uint32_t f1 = std::min(hasNext ? rotations[k + 1].frame : frameCount, frameCount);
            std::array<double, 4> a;
            if (k == 0) {
                node.baseRotation[0] = key.x;
                node.baseRotation[1] = key.y;
                node.baseRotation[2] = key.z;
                node.baseRotation[3] = key.angle;
                a = {0.0, 0.0, 0.0, 0.0};
            } else {
                a = {key.x, key.y, key.z, angleSum};
            }
            std::array<double, 4> b = a;
            if (hasNext) {
                const RotationKey3ds& next = rotations[k + 1];
                b = {next.x, next.y, next.z, double(angleSum + next.angle)};
                angleSum += next.angle;
            }
            fillStretch(node.rotationFrames, f0, f1, a, b);
        }

        // Position: before the first key the first position, after the last
        // key the last one.
        const auto& positions = node.positionKeys;
        if (!positions.empty()) {
            std::array<float, 3> first = {positions[0].x, positions[0].y, positions[0].z};
            std::fill(node.positionFrames.begin(), node.positionFrames.end(), first);
        }
        for (std::size_t k = 0; k < positions.size(); ++k) {
            const PositionKey3ds& key = positions[k];
            const bool hasNext = k + 1 < positions.size();
            std::uint32_t f0 = key.frame;
            std::uint32_t f1 = std::min(hasNext ? positions[k + 1].frame : frameCount, frameCount);
            std::array<double, 3> a = {key.x, key.y, key.z};
            std::array<double, 3> b = a;
            if (hasNext) b = {positions[k + 1].x, positions[k + 1].y, positions[k + 1].z};
            fillStretch(node.positionFrames, f0, f1, a, b);
        }

        std::vector<PositionKey3ds>().swap(node.positionKeys);
        std::vector<RotationKey3ds>().swap(node.rotationKeys);
    }
}
