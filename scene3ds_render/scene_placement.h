#pragma once
// Where everything in a scene stands at a frame. When the keyframer's
// nodes name the file's meshes, each object node draws its mesh (so a mesh
// named by several nodes is drawn once per instance) through its chain of
// parents, with position, rotation and scale tracks, its pivot, its hide
// track and its morph track; cameras and lights follow their nodes' tracks.
// Without such nodes, or for a mesh whose placement cannot be undone, the
// loader's own per-frame placement is used.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "scene3ds/model3ds.h"
#include "scene3ds/scene_extras.h"
#include "scene3ds_render/model_pose.h"
#include "scene3ds_render/node_tracks.h"

// One mesh drawn once: by the node at `node` of the extras, or, with node
// -1, where the loader placed it.
struct MeshInstance {
    std::size_t mesh = 0;
    int node = -1;
};

class ScenePlacement {
  public:
    // `model` must outlive the placement.
    void build(const Model3ds& model, SceneExtras extras);

    // Whether the file's node tree places the meshes.
    bool usesNodes() const { return usesNodes_; }
    const std::vector<MeshInstance>& instances() const { return instances_; }
    const SceneExtras& extras() const { return extras_; }

    // The mesh the instance shows at `frame` (another one while its morph
    // track names one), and the matrix from that mesh's stored vertices to
    // the scene.
    std::size_t meshAt(const MeshInstance& instance, std::uint32_t frame) const;
    Matrix4f transform(const MeshInstance& instance, std::uint32_t frame) const;
    // False while the object is hidden: in the editor, by its node's flag or
    // by its hide track.
    bool visible(const MeshInstance& instance, std::uint32_t frame) const;

    // The file's camera or light `index` as it stands at `frame`.
    Camera3ds camera(std::size_t index, std::uint32_t frame) const;
    Light3ds light(std::size_t index, std::uint32_t frame) const;

    // Every vertex used by a face of every visible instance at `frame`
    // (kept once worked out).
    Bounds bounds(std::uint32_t frame) const;

  private:
    // The node's matrix in the scene: its parents', then its position,
    // rotation and scale.
    Matrix4f nodeMatrix(int node, double frame) const;
    // The node's own matrix: position, rotation and scale; a camera node's
    // turned to look at its target with its roll.
    Matrix4f localMatrix(int node, double frame) const;
    // Moves `point` (3 floats) to where node `index`'s position track puts
    // it at `frame`, below its parents; leaves it for -1 or no track.
    void placeByNode(int index, std::uint32_t frame, float* point) const;
    // The first node of `kind` named `name`, or -1.
    int findNode(SceneNodeKind kind, const std::string& name) const;

    const Model3ds* model_ = nullptr;
    SceneExtras extras_;
    bool usesNodes_ = false;
    std::vector<MeshInstance> instances_;
    std::vector<std::vector<TrackKey<Quaternion>>> rotations_;  // per node
    // Per mesh: from stored vertices to the mesh's own frame (its local
    // axes), and whether that could be undone.
    std::vector<Matrix4f> storedToLocal_;
    std::vector<char> localKnown_;
    // Per mesh: whether its local axes are mirrored (negative determinant).
    std::vector<char> mirrored_;
    // Per mesh: the vertices its faces use.
    std::vector<std::vector<std::uint16_t>> usedVertices_;
    std::vector<int> cameraNodes_, cameraTargets_, lightNodes_, lightTargets_;
    // Per node: for a camera node, its target node (or -1) and the file's
    // camera of its name (or -1).
    std::vector<int> targetNodeOf_, cameraOf_;
    mutable std::map<std::uint32_t, Bounds> boundsCache_;
};
