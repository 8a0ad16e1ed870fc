#pragma once
// The value of a keyframer track at a frame: between keys along 3D
// Studio's splines (Kochanek-Bartels, with each key's tension, continuity
// and bias; straight between the two keys of a two-key track) for
// positions, scales, colours and angles, spherical for rotations; held
// before the first key and after the last. Fractional frames are allowed.
#include <array>
#include <string>
#include <vector>

#include "scene3ds/scene_nodes.h"
#include "scene3ds_render/model_pose.h"

std::array<float, 3> sampleTrack(const VectorTrack& track, double frame,
                                 const std::array<float, 3>& otherwise);
float sampleTrack(const FloatTrack& track, double frame, float otherwise);

// A unit quaternion (x, y, z, w).
using Quaternion = std::array<double, 4>;

// The rotation of each key of a rotation track: each key turns on from the
// one before it, by the file's angle about its axis negated (as 3D Studio
// stores it), right-handed as GL turns.
std::vector<TrackKey<Quaternion>> absoluteRotations(const std::vector<TrackKey<AxisAngle>>& track);
// The rotation at `frame`, spherical between keys; identity without keys.
Quaternion sampleRotation(const std::vector<TrackKey<Quaternion>>& keys, double frame);
Matrix4f rotationMatrix(const Quaternion& q);

// Whether the node is hidden at `frame`: each key of the hide track flips
// it, starting from shown.
bool hiddenAt(const std::vector<std::uint32_t>& hide, double frame);

// The name of the shape a morph track shows at `frame`: that of the last key
// at or before it, or of the first key before any; empty without keys.
const std::string* morphTargetAt(const std::vector<TrackKey<std::string>>& morph, double frame);
