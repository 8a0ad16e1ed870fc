#pragma once
// Where the meshes of a loaded model stand at a frame of its animation, and
// the frame a moment of time shows.
#include <array>
#include <cstddef>
#include <cstdint>

#include "scene3ds/model3ds.h"

// A 4x4 matrix in GL's order: column after column.
using Matrix4f = std::array<float, 16>;

// 3DS files state no frame rate; 3D Studio animates at 30 frames a second.
constexpr double kFramesPerSecond = 30.0;

// The frame shown `seconds` into the animation, which loops; frame 0 for a
// model without animation or a time that is not finite.
std::uint32_t frameAtTime(const Model3ds& model, double seconds);

// Whether mesh `index` is placed by a keyframe node: it has one, and the
// node carries keys (a node that matched no mesh name holds none, and its
// mesh then stands where the editor put it).
bool meshIsKeyed(const Model3ds& model, std::size_t index);

// The matrix that takes mesh `index`'s stored vertices to the scene at
// `frame`. A keyed mesh: the frame's position, then its rotation (the
// accumulated rotation after the first key's), then the pivot offset. A
// mesh whose vertices were re-based but whose node has no keys: back through
// its local axes to where the editor placed it. A mesh without a node: the
// identity (its vertices were never moved).
Matrix4f meshTransform(const Model3ds& model, std::size_t index, std::uint32_t frame);

// Rotation by `radians` about (x, y, z) (normalised here; a zero axis gives
// the identity), right-handed, column-major.
Matrix4f rotationMatrix(float x, float y, float z, float radians);
Matrix4f multiply(const Matrix4f& a, const Matrix4f& b);
// The inverse of an affine matrix; the identity when its 3x3 part is
// singular or not finite.
Matrix4f inverseAffine(const Matrix4f& m);
std::array<float, 3> transformPoint(const Matrix4f& m, const std::array<float, 3>& p);

// The axis-aligned box around a set of points.
struct Bounds {
    std::array<double, 3> min{0, 0, 0};
    std::array<double, 3> max{0, 0, 0};
    bool empty = true;
    void add(const std::array<float, 3>& p);
    std::array<double, 3> centre() const;
    // Half the length of the diagonal; 0 when empty.
    double radius() const;
};

// Every vertex of every mesh at `frame` (the faces' vertices; vertices no
// face uses are left out).
Bounds sceneBounds(const Model3ds& model, std::uint32_t frame);
