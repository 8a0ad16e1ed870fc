#pragma once
// An independent reading of a 3DS scene for the renderer's tests: libassimp
// imports the file, its node tree (and, at a time, its animation channels)
// places the triangles in the scene, and the silhouettes are rasterised
// here, with the framing of the orthographic views or a camera's
// perspective worked out again from their definitions.
#include <assimp/cimport.h>
#include <assimp/scene.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace reference {

using Vec3 = std::array<double, 3>;
using Triangle = std::array<Vec3, 3>;

struct Scene {
    const aiScene* scene = nullptr;
    explicit Scene(const std::string& path) { scene = aiImportFile(path.c_str(), 0); }
    ~Scene() { aiReleaseImport(scene); }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;
};

inline aiMatrix4x4 localTransform(const aiScene* scene, const aiNode* node, double ticks) {
    if (ticks < 0 || scene->mNumAnimations == 0) return node->mTransformation;
    const aiAnimation* animation = scene->mAnimations[0];
    for (unsigned c = 0; c < animation->mNumChannels; ++c) {
        const aiNodeAnim* channel = animation->mChannels[c];
        if (channel->mNodeName != node->mName) continue;
        // Linear in position and scale, spherical in rotation, held at the ends.
        auto position = [&](double t) {
            const aiVectorKey* k = channel->mPositionKeys;
            const unsigned n = channel->mNumPositionKeys;
            if (n == 0) return aiVector3D(0, 0, 0);
            if (t <= k[0].mTime) return k[0].mValue;
            for (unsigned i = 0; i + 1 < n; ++i)
                if (t < k[i + 1].mTime) {
                    const float f =
                        static_cast<float>((t - k[i].mTime) / (k[i + 1].mTime - k[i].mTime));
                    return k[i].mValue + (k[i + 1].mValue - k[i].mValue) * f;
                }
            return k[n - 1].mValue;
        };
        auto rotation = [&](double t) {
            const aiQuatKey* k = channel->mRotationKeys;
            const unsigned n = channel->mNumRotationKeys;
            if (n == 0) return aiQuaternion();
            if (t <= k[0].mTime) return k[0].mValue;
            for (unsigned i = 0; i + 1 < n; ++i)
                if (t < k[i + 1].mTime) {
                    aiQuaternion out;
                    aiQuaternion::Interpolate(
                        out, k[i].mValue, k[i + 1].mValue,
                        static_cast<float>((t - k[i].mTime) / (k[i + 1].mTime - k[i].mTime)));
                    return out;
                }
            return k[n - 1].mValue;
        };
        aiVector3D scale(1, 1, 1);
        if (channel->mNumScalingKeys > 0) scale = channel->mScalingKeys[0].mValue;
        return aiMatrix4x4(scale, rotation(ticks), position(ticks));
    }
    return node->mTransformation;
}

// Every triangle of the scene in scene coordinates, at animation time
// `ticks` (negative: the nodes' own transforms).
inline void collect(const aiScene* scene, const aiNode* node, const aiMatrix4x4& parent,
                    double ticks, std::vector<Triangle>& out) {
    const aiMatrix4x4 world = parent * localTransform(scene, node, ticks);
    for (unsigned m = 0; m < node->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[m]];
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices != 3) continue;
            Triangle t;
            for (int c = 0; c < 3; ++c) {
                const aiVector3D p = world * mesh->mVertices[face.mIndices[c]];
                t[c] = {p.x, p.y, p.z};
            }
            out.push_back(t);
        }
    }
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        collect(scene, node->mChildren[i], world, ticks, out);
}

// assimp turns a 3DS scene from Z up to Y up in its root node's transform;
// the file's own coordinates are those below it.
inline aiMatrix4x4 undoRootTurn(const aiScene* scene) {
    aiMatrix4x4 inverse = scene->mRootNode->mTransformation;
    return inverse.Inverse();
}

inline std::vector<Triangle> triangles(const aiScene* scene, double ticks = -1) {
    std::vector<Triangle> out;
    collect(scene, scene->mRootNode, undoRootTurn(scene), ticks, out);
    return out;
}

// Whether some node with meshes hangs below another one: the loader does not
// read the keyframer's parent links, so such files are placed differently.
inline bool hasHierarchy(const aiNode* node, int depth = 0) {
    if (depth >= 2 && node->mNumMeshes > 0) return true;
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        if (hasHierarchy(node->mChildren[i], depth + 1)) return true;
    return false;
}

inline const aiNode* findNode(const aiNode* node, const aiString& name) {
    if (node->mName == name) return node;
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        if (const aiNode* found = findNode(node->mChildren[i], name)) return found;
    return nullptr;
}

inline aiMatrix4x4 worldOf(const aiScene* scene, const aiNode* node) {
    aiMatrix4x4 m;
    for (; node != nullptr; node = node->mParent) m = localTransform(scene, node, -1) * m;
    return undoRootTurn(scene) * m;
}

// A picture's pixels projected from the scene: x right, y down.
struct Projection {
    // Returns false for a point behind a perspective camera.
    virtual bool project(const Vec3& p, double& x, double& y) const = 0;
    virtual ~Projection() = default;
};

inline double dot(const Vec3& a, const Vec3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline Vec3 unit(const Vec3& a) {
    const double l = std::sqrt(dot(a, a));
    return {a[0] / l, a[1] / l, a[2] / l};
}

// The front view (right +X, up +Z) or the top view (right +X, up +Y): the
// box of all vertices centred, its larger extent 90 % of the smaller side.
struct AxisProjection : Projection {
    Vec3 right, up, centre{};
    double scale = 1;
    int width, height;
    AxisProjection(bool top, const std::vector<Triangle>& tris, int w, int h)
        : right{1, 0, 0}, up{0, 0, 1}, width(w), height(h) {
        if (top) up = {0, 1, 0};
        Vec3 lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
        for (const Triangle& t : tris)
            for (const Vec3& p : t)
                for (int i = 0; i < 3; ++i) {
                    lo[i] = std::min(lo[i], p[i]);
                    hi[i] = std::max(hi[i], p[i]);
                }
        for (int i = 0; i < 3; ++i) centre[i] = (lo[i] + hi[i]) / 2;
        const Vec3 size{hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]};
        const double extent = std::max(std::abs(dot(size, right)), std::abs(dot(size, up)));
        scale = 0.9 * std::min(w, h) / extent;
    }
    bool project(const Vec3& p, double& x, double& y) const override {
        const Vec3 d{p[0] - centre[0], p[1] - centre[1], p[2] - centre[2]};
        x = width / 2.0 + dot(d, right) * scale;
        y = height / 2.0 - dot(d, up) * scale;
        return true;
    }
};

// A pinhole camera: eye, unit forward and up, horizontal field of view.
struct CameraProjection : Projection {
    Vec3 eye, forward, up, right;
    double focal;
    int width, height;
    CameraProjection(const Vec3& e, const Vec3& f, const Vec3& u, double horizontalFov, int w,
                     int h)
        : eye(e), forward(unit(f)), width(w), height(h) {
        right = unit(cross(forward, u));
        up = cross(right, forward);
        focal = (w / 2.0) / std::tan(horizontalFov / 2);
    }
    bool project(const Vec3& p, double& x, double& y) const override {
        const Vec3 d{p[0] - eye[0], p[1] - eye[1], p[2] - eye[2]};
        const double z = dot(d, forward);
        if (z <= 1e-9) return false;
        x = width / 2.0 + focal * dot(d, right) / z;
        y = height / 2.0 - focal * dot(d, up) / z;
        return true;
    }
};

// The pixels whose centres some triangle covers.
inline std::vector<char> silhouette(const std::vector<Triangle>& tris, const Projection& projection,
                                    int width, int height) {
    std::vector<char> mask(static_cast<size_t>(width) * height, 0);
    for (const Triangle& t : tris) {
        double x[3], y[3];
        bool visible = true;
        for (int c = 0; c < 3; ++c) visible = visible && projection.project(t[c], x[c], y[c]);
        if (!visible) continue;
        const double area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
        if (area == 0) continue;
        const int x0 = std::max(0, static_cast<int>(std::floor(std::min({x[0], x[1], x[2]}))));
        const int x1 =
            std::min(width - 1, static_cast<int>(std::ceil(std::max({x[0], x[1], x[2]}))));
        const int y0 = std::max(0, static_cast<int>(std::floor(std::min({y[0], y[1], y[2]}))));
        const int y1 =
            std::min(height - 1, static_cast<int>(std::ceil(std::max({y[0], y[1], y[2]}))));
        for (int py = y0; py <= y1; ++py)
            for (int px = x0; px <= x1; ++px) {
                const double cx = px + 0.5, cy = py + 0.5;
                double w[3];
                for (int e = 0; e < 3; ++e) {
                    const int a = (e + 1) % 3, b = (e + 2) % 3;
                    w[e] = ((x[b] - x[a]) * (cy - y[a]) - (y[b] - y[a]) * (cx - x[a])) / area;
                }
                if (w[0] >= 0 && w[1] >= 0 && w[2] >= 0)
                    mask[static_cast<size_t>(py) * width + px] = 1;
            }
    }
    return mask;
}

inline double intersectionOverUnion(const std::vector<char>& a, const std::vector<char>& b) {
    size_t both = 0, either = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        both += a[i] && b[i];
        either += a[i] || b[i];
    }
    return either == 0 ? 1.0 : static_cast<double>(both) / either;
}

}  // namespace reference
