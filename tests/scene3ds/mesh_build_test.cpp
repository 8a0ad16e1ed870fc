// The mesh build: face and vertex normals, the smoothing-group split, the
// 16-bit limit, tangent frames and the build modes.
#include "scene3ds/mesh_build.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <vector>

#include "scene3ds/model3ds_loader.h"
#include "scene3ds/parallel_meshes.h"
#include "tests/scene3ds/chunk_writer.h"
#include "tests/scene3ds/test_loaders.h"

using namespace test3ds;

namespace {

void expectVec(const Vec3f& got, float x, float y, float z) {
    EXPECT_NEAR(got[0], x, 1e-6f);
    EXPECT_NEAR(got[1], y, 1e-6f);
    EXPECT_NEAR(got[2], z, 1e-6f);
}

// Loads one mesh from its vertices, texture coordinates, faces and groups.
const Mesh3ds& loadMesh(Model3dsLoader& loader, const std::vector<std::array<float, 3>>& points,
                        const std::vector<std::array<float, 2>>& uv,
                        const std::vector<MeshFace>& faces, std::vector<std::uint32_t> groups) {
    Chunk faceChunk = faceList(faces);
    if (!groups.empty()) faceChunk.add(smoothingGroups(groups));
    Chunk mesh(0x4100);
    mesh.add(vertexList(points));
    if (!uv.empty()) mesh.add(texCoords(uv));
    mesh.add(faceChunk);
    EXPECT_TRUE(loadInto(loader, sceneFile({namedObject("mesh", mesh)})));
    return loader.meshes.at(0);
}

TEST(MeshBuild, FlatQuad) {
    Model3dsLoader loader;
    const Mesh3ds& m = loadMesh(loader, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}},
                                {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {{0, 1, 2}, {0, 2, 3}}, {1, 1});
    ASSERT_EQ(m.positions.size(), 4u);
    for (const Vec3f& n : m.normals) expectVec(n, 0, 0, 1);
    for (const Face3ds& f : m.faces) expectVec(f.normal, 0, 0, 1);
    EXPECT_EQ(m.triangles, (std::vector<Triangle16>{{0, 1, 2}, {0, 2, 3}}));
}

// Three faces meeting at vertex 0 = (1, 1, 1), the corner of the unit cube,
// with outward normals +x, +y and +z; each face has its other corners alone.
const std::vector<std::array<float, 3>> kCorner = {{1, 1, 1}, {1, 0, 1}, {1, 1, 0}, {1, 1, 0},
                                                   {0, 1, 1}, {0, 1, 1}, {1, 0, 1}};
const std::vector<std::array<float, 2>> kCornerUv = {{0.25f, 0.75f}, {0, 0}, {1, 0}, {1, 0},
                                                     {1, 1},         {1, 1}, {0, 0}};
const std::vector<MeshFace> kCornerFaces = {{0, 1, 2}, {0, 3, 4}, {0, 5, 6}};

TEST(MeshBuild, CornerInThreeGroupsSplitsTwice) {
    Model3dsLoader loader;
    const Mesh3ds& m = loadMesh(loader, kCorner, kCornerUv, kCornerFaces, {1, 2, 4});
    ASSERT_EQ(m.positions.size(), 9u);
    for (std::size_t copy : {7u, 8u}) {
        EXPECT_EQ(m.positions[copy], m.positions[0]);
        EXPECT_EQ(m.uv[copy], m.uv[0]);
        EXPECT_EQ(m.uv2[copy], m.uv2[0]);
    }
    EXPECT_EQ(m.faces[0].a, 0);
    EXPECT_EQ(m.faces[1].a, 7);
    EXPECT_EQ(m.faces[2].a, 8);
    EXPECT_EQ(m.triangles[2], (Triangle16{8, 5, 6}));
    expectVec(m.normals[0], 1, 0, 0);
    expectVec(m.normals[7], 0, 1, 0);
    expectVec(m.normals[8], 0, 0, 1);
}

TEST(MeshBuild, GroupsAreComparedByWholeValue) {
    Model3dsLoader loader;
    const Mesh3ds& m = loadMesh(loader, kCorner, kCornerUv, kCornerFaces, {1, 1, 3});
    ASSERT_EQ(m.positions.size(), 8u);
    const float r = 1.0f / std::sqrt(2.0f);
    expectVec(m.normals[0], r, r, 0);
    expectVec(m.normals[7], 0, 0, 1);
    EXPECT_EQ(m.faces[2].a, 7);
}

TEST(MeshBuild, WithoutSmoothingTheCornerKeepsOneVertex) {
    LoaderWithMode loader(1);
    const Mesh3ds& m = loadMesh(loader, kCorner, kCornerUv, kCornerFaces, {1, 2, 4});
    ASSERT_EQ(m.positions.size(), 7u);
    const float r = 1.0f / std::sqrt(3.0f);
    expectVec(m.normals[0], r, r, r);
    // Mode 1 builds no tangent frames.
    for (const Vec3f& t : m.tangents) expectVec(t, 0, 0, 0);
    for (const Vec3f& b : m.binormals) expectVec(b, 0, 0, 0);
    EXPECT_EQ(m.triangles.size(), 3u);
}

TEST(MeshBuild, OtherModesBuildNothing) {
    LoaderWithMode loader(7);
    const Mesh3ds& m = loadMesh(loader, kCorner, kCornerUv, kCornerFaces, {1, 2, 4});
    EXPECT_EQ(m.positions.size(), 7u);
    for (const Vec3f& n : m.normals) expectVec(n, 0, 0, 0);
    for (const Triangle16& t : m.triangles) EXPECT_EQ(t, (Triangle16{0, 0, 0}));
}

TEST(MeshBuild, FacesUsingAVertexTwiceAndUnusedVertices) {
    Model3dsLoader loader;
    // Face 1 repeats vertex 0 (zero area); vertex 3 is used by no face.
    const Mesh3ds& m = loadMesh(loader, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}}, {},
                                {{0, 1, 2}, {0, 0, 1}}, {1, 2});
    expectVec(m.faces[1].normal, 0, 0, 0);
    expectVec(m.normals[3], 0, 0, 0);
    // Vertex 0 carries groups 1 and 2: face 1 gets a copy in both its corners.
    ASSERT_EQ(m.positions.size(), 6u);
    EXPECT_EQ(m.faces[1].a, m.faces[1].b);
    expectVec(m.normals[m.faces[1].a], 0, 0, 0);
    expectVec(m.normals[0], 0, 0, 1);
}

TEST(MeshBuild, TangentFrameFollowsTheTextureAxes) {
    Model3dsLoader loader;
    // u = x and v = y on the plane z = 0.
    const Mesh3ds& m = loadMesh(loader, {{0, 0, 0}, {2, 0, 0}, {2, 3, 0}}, {{0, 0}, {2, 0}, {2, 3}},
                                {{0, 1, 2}}, {});
    expectVec(m.faces[0].tangent, 1, 0, 0);
    expectVec(m.faces[0].binormal, 0, 1, 0);
    for (std::size_t v = 0; v < 3; ++v) {
        expectVec(m.tangents[v], 1, 0, 0);
        expectVec(m.normals[v], 0, 0, 1);
        expectVec(m.binormals[v], 0, -1, 0);
    }
}

TEST(MeshBuild, DegenerateTextureCoordinatesGiveNaNNotACrash) {
    Model3dsLoader loader;
    const Mesh3ds& m = loadMesh(loader, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 0}, {0, 0}, {0, 0}},
                                {{0, 1, 2}}, {});
    EXPECT_FALSE(std::isfinite(m.faces[0].tangent[0]));
    expectVec(m.normals[0], 0, 0, 1);
}

TEST(MeshBuild, SplittingStopsAtTheSixteenBitLimit) {
    // 40,000 vertices, every one used by two faces of different groups: a
    // full split would need 80,000 vertices.
    const int vertexCount = 39999;
    std::vector<std::array<float, 3>> points;
    for (int i = 0; i < vertexCount; ++i)
        points.push_back({float(i % 200), float(i / 200), float((i % 3) * (i % 7))});
    std::vector<MeshFace> faces;
    std::vector<std::uint32_t> groups;
    for (int i = 0; i + 2 < vertexCount; i += 3) {
        auto a = static_cast<std::uint16_t>(i);
        faces.push_back({a, static_cast<std::uint16_t>(a + 1), static_cast<std::uint16_t>(a + 2)});
        faces.push_back({a, static_cast<std::uint16_t>(a + 2), static_cast<std::uint16_t>(a + 1)});
        groups.push_back(1);
        groups.push_back(2);
    }
    Model3dsLoader loader;
    const Mesh3ds& m = loadMesh(loader, points, {}, faces, groups);
    EXPECT_EQ(m.positions.size(), kMaxMeshVertices);
    EXPECT_EQ(m.normals.size(), kMaxMeshVertices);
    EXPECT_EQ(m.tangents.size(), kMaxMeshVertices);
    ASSERT_EQ(m.triangles.size(), faces.size());
    std::size_t highest = 0;
    for (std::size_t j = 0; j < m.faces.size(); ++j) {
        const Face3ds& f = m.faces[j];
        EXPECT_EQ(m.triangles[j], (Triangle16{f.a, f.b, f.c}));
        // Every corner still sits where the file put it.
        EXPECT_EQ(m.positions[f.a], (Vec3f{points[faces[j].a]}));
        EXPECT_EQ(m.positions[f.c], (Vec3f{points[faces[j].c]}));
        highest = std::max<std::size_t>(highest, std::max({f.a, f.b, f.c}));
    }
    EXPECT_EQ(highest, kMaxMeshVertices - 1);  // index 65535 is used, nothing wrapped
}

TEST(MeshBuild, NormalizeKeepsZero) {
    expectVec(normalize3f({0, 0, 0}), 0, 0, 0);
    expectVec(normalize3f({0, 3, 4}), 0, 0.6f, 0.8f);
}

}  // namespace

TEST(ParallelMeshes, EveryPieceOfWorkRunsOnceWhateverTheCount) {
    for (std::size_t count : {0u, 1u, 2u, 3u, 17u, 5000u}) {
        std::vector<std::atomic<int>> runs(count);
        forEachInParallel(count, [&](std::size_t i) { runs[i]++; });
        for (std::size_t i = 0; i < count; ++i)
            EXPECT_EQ(runs[i].load(), 1) << i << " of " << count;
    }
}
