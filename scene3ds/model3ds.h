#pragma once
// The in-memory model of a 3DS scene: materials, meshes, lights, cameras and
// keyframe nodes, as lists of plain records that a renderer reads directly.
#include <cstdint>
#include <vector>

#include "scene3ds/mesh3ds.h"
#include "scene3ds/named_records.h"
#include "scene3ds/node3ds.h"

class Model3ds {
  public:
    Model3ds() = default;
    Model3ds(const Model3ds&) = delete;
    Model3ds& operator=(const Model3ds&) = delete;
    // Empties meshes, lights and materials, then cameras, nodes and the
    // scratch node.
    virtual ~Model3ds();

    // Reads the file at `path` into the model; true when it was parsed.
    virtual bool load(const char* path) = 0;
    // Empties meshes, lights and materials and sets buildMode back to 2.
    // Cameras, nodes and frameCount are kept.
    virtual void reset();

    Node3ds currentNode;
    std::vector<Node3ds> nodes;
    std::uint32_t frameCount = 0;
    std::vector<Camera3ds> cameras;
    std::vector<Light3ds> lights;
    std::vector<Mesh3ds> meshes;
    std::vector<Material3ds> materials;
    // 1 normals only, 2 normals with smoothing-group split and tangent
    // frames, any other value no build.
    std::int32_t buildMode = 2;
};
