#include "scene3ds_render/scene_placement.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::uint16_t kNodeHidden = 0x0800;  // node header flag
constexpr std::size_t kMaxCachedBounds = 4096;

Matrix4f identity() {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Matrix4f translation(const std::array<float, 3>& t) {
    Matrix4f m = identity();
    m[12] = t[0];
    m[13] = t[1];
    m[14] = t[2];
    return m;
}

Matrix4f scaling(const std::array<float, 3>& s) {
    Matrix4f m = identity();
    m[0] = s[0];
    m[5] = s[1];
    m[10] = s[2];
    return m;
}

// A camera's axes: X to the picture's right, Y up, Z back from the line
// of sight, the up direction being +Z (or +Y when looking straight along
// Z) turned by the roll (degrees) about the line of sight.
Matrix4f cameraAxes(const std::array<float, 3>& eye, const std::array<float, 3>& target,
                    float rollDegrees) {
    std::array<double, 3> f{target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]};
    double length = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    if (!(length > 0) || !std::isfinite(length)) return identity();
    for (double& c : f) c /= length;
    std::array<double, 3> worldUp{0, 0, 1};
    if (std::abs(f[2]) > 0.999) worldUp = {0, 1, 0};
    std::array<double, 3> r{f[1] * worldUp[2] - f[2] * worldUp[1],
                            f[2] * worldUp[0] - f[0] * worldUp[2],
                            f[0] * worldUp[1] - f[1] * worldUp[0]};
    length = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
    for (double& c : r) c /= length;
    std::array<double, 3> u{r[1] * f[2] - r[2] * f[1], r[2] * f[0] - r[0] * f[2],
                            r[0] * f[1] - r[1] * f[0]};
    const double roll = std::isfinite(rollDegrees) ? rollDegrees * 3.14159265358979323846 / 180 : 0;
    const double c = std::cos(roll), sn = std::sin(roll);
    // Up and right turned about the line of sight.
    std::array<double, 3> up, right;
    for (int k = 0; k < 3; ++k) {
        up[k] = u[k] * c - r[k] * sn;
        right[k] = r[k] * c + u[k] * sn;
    }
    return {static_cast<float>(right[0]),
            static_cast<float>(right[1]),
            static_cast<float>(right[2]),
            0,
            static_cast<float>(up[0]),
            static_cast<float>(up[1]),
            static_cast<float>(up[2]),
            0,
            static_cast<float>(-f[0]),
            static_cast<float>(-f[1]),
            static_cast<float>(-f[2]),
            0,
            0,
            0,
            0,
            1};
}

bool finiteMatrix(const Matrix4f& m) {
    return std::all_of(m.begin(), m.end(), [](float v) { return std::isfinite(v); });
}

// The mesh's local axes as a GL matrix: its rows (X, Y, Z axis, origin)
// are the matrix's columns.
Matrix4f localAxes(const Mesh3ds& mesh) {
    Matrix4f m;
    std::copy(mesh.matrix, mesh.matrix + 16, m.begin());
    m[3] = m[7] = m[11] = 0;
    m[15] = 1;
    return m;
}

double determinant3(const Matrix4f& m) {
    return m[0] * (double{m[5]} * m[10] - double{m[6]} * m[9]) -
           m[4] * (double{m[1]} * m[10] - double{m[2]} * m[9]) +
           m[8] * (double{m[1]} * m[6] - double{m[2]} * m[5]);
}

}  // namespace

void ScenePlacement::build(const Model3ds& model, SceneExtras extras) {
    model_ = &model;
    extras_ = std::move(extras);
    boundsCache_.clear();
    const std::size_t meshCount = model.meshes.size();

    // The loader re-based mesh i when it had a node i: its vertices became
    // S Inv(A) (p - origin), A the local axes and S their lengths; the
    // others are where the editor put them.
    storedToLocal_.assign(meshCount, identity());
    localKnown_.assign(meshCount, 0);
    mirrored_.assign(meshCount, 0);
    usedVertices_.assign(meshCount, {});
    for (std::size_t i = 0; i < meshCount; ++i) {
        const Mesh3ds& mesh = model.meshes[i];
        const Matrix4f axes = localAxes(mesh);
        const double det = determinant3(axes);
        mirrored_[i] = det < 0;
        if (det != 0 && std::isfinite(det)) {
            const Matrix4f inverse = inverseAffine(axes);
            if (i < model.nodes.size()) {
                // Undo the lengths S; where the loader found the axes too
                // small to invert (|det| below 1e-8) it only moved the
                // vertices by the origin, so that is undone before the
                // inverse taken here.
                Matrix4f unscale = identity();
                for (int a = 0; a < 3; ++a) {
                    const double length = std::sqrt(double{axes[4 * a]} * axes[4 * a] +
                                                    double{axes[4 * a + 1]} * axes[4 * a + 1] +
                                                    double{axes[4 * a + 2]} * axes[4 * a + 2]);
                    unscale[5 * a] = static_cast<float>(1.0 / length);
                }
                storedToLocal_[i] =
                    std::abs(det) >= 1e-8
                        ? unscale
                        : multiply(inverse,
                                   multiply(translation({axes[12], axes[13], axes[14]}), unscale));
            } else {
                storedToLocal_[i] = inverse;
            }
            localKnown_[i] = finiteMatrix(storedToLocal_[i]);
        }
        std::vector<char> used(mesh.positions.size(), 0);
        for (const Face3ds& f : mesh.faces)
            for (std::uint16_t v : {f.a, f.b, f.c})
                if (v < used.size()) used[v] = 1;
        for (std::size_t v = 0; v < used.size(); ++v)
            if (used[v]) usedVertices_[i].push_back(static_cast<std::uint16_t>(v));
    }

    rotations_.clear();
    for (const SceneNode& node : extras_.nodes)
        rotations_.push_back(absoluteRotations(node.rotation));

    auto meshNamed = [&](const std::string& name) -> int {
        for (std::size_t i = 0; i < meshCount; ++i)
            if (model.meshes[i].name == name) return static_cast<int>(i);
        return -1;
    };
    instances_.clear();
    std::vector<char> placed(meshCount, 0);
    for (std::size_t n = 0; n < extras_.nodes.size(); ++n) {
        const SceneNode& node = extras_.nodes[n];
        if (node.kind != SceneNodeKind::Object) continue;
        const int mesh = meshNamed(node.name);
        if (mesh < 0) continue;
        instances_.push_back({static_cast<std::size_t>(mesh), static_cast<int>(n)});
        placed[static_cast<std::size_t>(mesh)] = 1;
    }
    usesNodes_ = !instances_.empty();
    for (std::size_t i = 0; i < meshCount; ++i)
        if (!placed[i]) instances_.push_back({i, -1});
    // File order of the meshes, each mesh's instances together.
    std::stable_sort(instances_.begin(), instances_.end(),
                     [](const MeshInstance& a, const MeshInstance& b) { return a.mesh < b.mesh; });

    targetNodeOf_.assign(extras_.nodes.size(), -1);
    cameraOf_.assign(extras_.nodes.size(), -1);
    for (std::size_t n = 0; n < extras_.nodes.size(); ++n) {
        if (extras_.nodes[n].kind != SceneNodeKind::Camera) continue;
        targetNodeOf_[n] = findNode(SceneNodeKind::CameraTarget, extras_.nodes[n].name);
        for (std::size_t c = 0; c < model.cameras.size(); ++c)
            if (model.cameras[c].name == extras_.nodes[n].name) {
                cameraOf_[n] = static_cast<int>(c);
                break;
            }
    }
    cameraNodes_.clear();
    cameraTargets_.clear();
    for (const Camera3ds& camera : model.cameras) {
        cameraNodes_.push_back(findNode(SceneNodeKind::Camera, camera.name));
        cameraTargets_.push_back(findNode(SceneNodeKind::CameraTarget, camera.name));
    }
    lightNodes_.clear();
    lightTargets_.clear();
    for (const Light3ds& light : model.lights) {
        int node = findNode(SceneNodeKind::Spotlight, light.name);
        if (node < 0) node = findNode(SceneNodeKind::Light, light.name);
        lightNodes_.push_back(node);
        lightTargets_.push_back(findNode(SceneNodeKind::SpotTarget, light.name));
    }
}

int ScenePlacement::findNode(SceneNodeKind kind, const std::string& name) const {
    for (std::size_t i = 0; i < extras_.nodes.size(); ++i)
        if (extras_.nodes[i].kind == kind && extras_.nodes[i].name == name)
            return static_cast<int>(i);
    return -1;
}

Matrix4f ScenePlacement::localMatrix(int index, double frame) const {
    const std::size_t n = static_cast<std::size_t>(index);
    const SceneNode& node = extras_.nodes[n];
    const std::array<float, 3> position = sampleTrack(node.position, frame, {0, 0, 0});
    Matrix4f local = translation(position);
    if (node.kind == SceneNodeKind::Camera) {
        // Objects linked to a camera follow where it looks and its roll.
        std::array<float, 3> target{0, 0, 0};
        float roll = 0;
        if (cameraOf_[n] >= 0) {
            const Camera3ds& camera = model_->cameras[static_cast<std::size_t>(cameraOf_[n])];
            target = {camera.target[0], camera.target[1], camera.target[2]};
            roll = camera.roll;
        }
        if (targetNodeOf_[n] >= 0)
            target = sampleTrack(extras_.nodes[static_cast<std::size_t>(targetNodeOf_[n])].position,
                                 frame, target);
        return multiply(local, cameraAxes(position, target, sampleTrack(node.roll, frame, roll)));
    }
    local = multiply(local, rotationMatrix(sampleRotation(rotations_[n], frame)));
    return multiply(local, scaling(sampleTrack(node.scale, frame, {1, 1, 1})));
}

Matrix4f ScenePlacement::nodeMatrix(int index, double frame) const {
    Matrix4f m = identity();
    // From the node up to its root; parent links never form a loop.
    for (int at = index; at >= 0; at = extras_.nodes[static_cast<std::size_t>(at)].parent)
        m = multiply(localMatrix(at, frame), m);
    return m;
}

std::size_t ScenePlacement::meshAt(const MeshInstance& instance, std::uint32_t frame) const {
    if (instance.node < 0) return instance.mesh;
    const SceneNode& node = extras_.nodes[static_cast<std::size_t>(instance.node)];
    if (const std::string* target = morphTargetAt(node.morph, frame))
        for (std::size_t i = 0; i < model_->meshes.size(); ++i)
            if (model_->meshes[i].name == *target) return localKnown_[i] ? i : instance.mesh;
    return instance.mesh;
}

Matrix4f ScenePlacement::transform(const MeshInstance& instance, std::uint32_t frame) const {
    const std::size_t mesh = meshAt(instance, frame);
    if (!usesNodes_ || !localKnown_[mesh]) return meshTransform(*model_, mesh, frame);
    if (instance.node < 0) {
        // Not animated: where the editor put it.
        return multiply(localAxes(model_->meshes[mesh]), storedToLocal_[mesh]);
    }
    const SceneNode& node = extras_.nodes[static_cast<std::size_t>(instance.node)];
    Matrix4f m = nodeMatrix(instance.node, frame);
    m = multiply(m, translation({-node.pivot[0], -node.pivot[1], -node.pivot[2]}));
    // A mirrored object's node tracks turn and scale it unmirrored: its own
    // coordinates are taken with X turned round, as 3D Studio mirrors.
    if (mirrored_[mesh]) m = multiply(m, scaling({-1, 1, 1}));
    m = multiply(m, storedToLocal_[mesh]);
    return finiteMatrix(m) ? m : meshTransform(*model_, mesh, frame);
}

bool ScenePlacement::visible(const MeshInstance& instance, std::uint32_t frame) const {
    if (extras_.objectHidden(model_->meshes[instance.mesh].name)) return false;
    if (instance.node < 0) return true;
    const SceneNode& node = extras_.nodes[static_cast<std::size_t>(instance.node)];
    return !(node.flags & kNodeHidden) && !hiddenAt(node.hide, frame);
}

void ScenePlacement::placeByNode(int index, std::uint32_t frame, float* point) const {
    if (index < 0) return;
    const SceneNode& node = extras_.nodes[static_cast<std::size_t>(index)];
    if (node.position.empty()) return;
    std::array<float, 3> p = sampleTrack(node.position, frame, {point[0], point[1], point[2]});
    if (node.parent >= 0) p = transformPoint(nodeMatrix(node.parent, frame), p);
    std::copy(p.begin(), p.end(), point);
}

Camera3ds ScenePlacement::camera(std::size_t index, std::uint32_t frame) const {
    Camera3ds camera = model_->cameras.at(index);
    if (index < cameraNodes_.size()) {
        placeByNode(cameraNodes_[index], frame, camera.position);
        placeByNode(cameraTargets_[index], frame, camera.target);
        if (cameraNodes_[index] >= 0) {
            const SceneNode& node = extras_.nodes[static_cast<std::size_t>(cameraNodes_[index])];
            camera.fieldOfView = sampleTrack(node.fieldOfView, frame, camera.fieldOfView);
            camera.roll = sampleTrack(node.roll, frame, camera.roll);
        }
    }
    return camera;
}

Light3ds ScenePlacement::light(std::size_t index, std::uint32_t frame) const {
    Light3ds light = model_->lights.at(index);
    if (index < lightNodes_.size()) {
        placeByNode(lightNodes_[index], frame, light.position);
        placeByNode(lightTargets_[index], frame, light.spotTarget);
        if (lightNodes_[index] >= 0) {
            const SceneNode& node = extras_.nodes[static_cast<std::size_t>(lightNodes_[index])];
            const auto colour =
                sampleTrack(node.color, frame, {light.color[0], light.color[1], light.color[2]});
            std::copy(colour.begin(), colour.end(), light.color);
            light.hotspot = sampleTrack(node.hotspot, frame, light.hotspot);
            light.falloff = sampleTrack(node.falloff, frame, light.falloff);
        }
    }
    return light;
}

Bounds ScenePlacement::bounds(std::uint32_t frame) const {
    if (auto known = boundsCache_.find(frame); known != boundsCache_.end()) return known->second;
    Bounds bounds;
    for (const MeshInstance& instance : instances_) {
        if (!visible(instance, frame)) continue;
        const std::size_t mesh = meshAt(instance, frame);
        const Matrix4f m = transform(instance, frame);
        const std::vector<Vec3f>& positions = model_->meshes[mesh].positions;
        for (std::uint16_t v : usedVertices_[mesh]) bounds.add(transformPoint(m, positions[v]));
    }
    if (boundsCache_.size() >= kMaxCachedBounds) boundsCache_.clear();
    boundsCache_.emplace(frame, bounds);
    return bounds;
}
