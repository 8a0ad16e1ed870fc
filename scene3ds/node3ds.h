#pragma once
// Keyframe nodes: one per object node of the keyframer section. Node i
// animates mesh i of the model.
#include <array>
#include <cstdint>
#include <vector>

struct PivotPoint3ds {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    std::int32_t w = 0;
};

struct PositionKey3ds {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    std::uint32_t frame = 0;
};

// The axis is the file's axis negated; the angle is as in the file.
struct RotationKey3ds {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float angle = 0.0f;
    std::uint32_t frame = 0;
};

struct Node3ds {
    std::vector<PivotPoint3ds> pivots;
    std::vector<RotationKey3ds> rotationKeys;
    std::vector<PositionKey3ds> positionKeys;
    // Per frame: axis x, y, z and the accumulated angle.
    std::vector<std::array<float, 4>> rotationFrames;
    // Per frame: position x, y, z.
    std::vector<std::array<float, 3>> positionFrames;
    // The first pivot point; after re-basing, the scaled and negated offset.
    float pivot[3] = {0.0f, 0.0f, 0.0f};
    // The first rotation key: axis x, y, z (as stored in the key) and angle.
    float baseRotation[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};
