// Placement through the file's node tree, without GL: tracks between keys,
// parents, instances, hidden objects, cameras on their tracks, and the
// loader's placement where the file has no nodes.
#include "scene3ds_render/scene_placement.h"

#include <gtest/gtest.h>

#include <cmath>

#include "scene3ds/model3ds_loader.h"
#include "scene3ds_render/node_tracks.h"
#include "tests/scene3ds/chunk_writer.h"
#include "tests/scene3ds/test_loaders.h"

using namespace test3ds;

namespace {

constexpr float kPi = 3.14159265f;

Chunk triangleAt(float x) {
    Chunk mesh(0x4100);
    mesh.add(vertexList({{x, 0, 0}, {x + 1, 0, 0}, {x, 1, 0}})).add(faceList({{0, 1, 2}}));
    return mesh;
}

Chunk at(float x, float y, float z) {
    return track(0xB020, 0, {{0, {x, y, z}}});
}

struct Scene {
    Model3dsLoader loader;
    ScenePlacement placement;
    explicit Scene(const std::vector<std::uint8_t>& bytes) {
        EXPECT_TRUE(loadInto(loader, bytes));
        placement.build(loader, readSceneExtras(bytes.data(), bytes.size()));
    }
    std::array<float, 3> where(std::size_t instance, std::array<float, 3> p, std::uint32_t frame) {
        const MeshInstance& i = placement.instances().at(instance);
        return transformPoint(placement.transform(i, frame), p);
    }
};

void expectNear(const std::array<float, 3>& got, float x, float y, float z) {
    EXPECT_NEAR(got[0], x, 1e-4f);
    EXPECT_NEAR(got[1], y, 1e-4f);
    EXPECT_NEAR(got[2], z, 1e-4f);
}

TEST(NodeTracks, SplinesPassThroughTheKeysAndTwoKeysRunStraight) {
    VectorTrack two{{0, {0, 0, 0}}, {10, {10, 0, 0}}};
    EXPECT_NEAR(sampleTrack(two, 2.5, {})[0], 2.5f, 1e-5f);
    EXPECT_FLOAT_EQ(sampleTrack(two, -5, {})[0], 0.0f);   // held before the first key
    EXPECT_FLOAT_EQ(sampleTrack(two, 50, {})[0], 10.0f);  // and after the last
    // Evenly spaced keys on a line stay on it; a bend is passed through.
    VectorTrack line{{0, {0, 0, 0}}, {10, {10, 0, 0}}, {20, {20, 0, 0}}, {30, {30, 0, 0}}};
    EXPECT_NEAR(sampleTrack(line, 15, {})[0], 15.0f, 1e-4f);
    VectorTrack bend{{0, {0, 0, 0}}, {10, {10, 10, 0}}, {20, {20, 0, 0}}};
    EXPECT_FLOAT_EQ(sampleTrack(bend, 10, {})[1], 10.0f);
    EXPECT_GT(sampleTrack(bend, 5, {})[1], 5.0f);  // rounder than the straight line
    // Full tension flattens the curve at the key: no overshoot past it.
    bend[1].spline = {1, 0, 0};
    EXPECT_LE(sampleTrack(bend, 9, {})[1], 10.0f);
    FloatTrack roll{{0, 0}, {10, 90}};
    EXPECT_NEAR(sampleTrack(roll, 5, 0.0f), 45.0f, 1e-4f);
    EXPECT_FLOAT_EQ(sampleTrack(FloatTrack{}, 3, 7.0f), 7.0f);
}

TEST(NodeTracks, RotationKeysTurnOnFromTheKeyBefore) {
    // Two quarter turns about the file's -Z (GL's +Z once negated) add up.
    const auto keys = absoluteRotations({{0, {kPi / 2, {0, 0, -1}}}, {10, {kPi / 2, {0, 0, -1}}}});
    const Matrix4f first = rotationMatrix(sampleRotation(keys, 0));
    const Matrix4f second = rotationMatrix(sampleRotation(keys, 10));
    const Matrix4f middle = rotationMatrix(sampleRotation(keys, 5));
    expectNear(transformPoint(first, {1, 0, 0}), 0, 1, 0);
    expectNear(transformPoint(second, {1, 0, 0}), -1, 0, 0);
    const float h = std::sqrt(0.5f);
    expectNear(transformPoint(middle, {1, 0, 0}), -h, h, 0);
    EXPECT_FALSE(hiddenAt({10, 20}, 5));
    EXPECT_TRUE(hiddenAt({10, 20}, 10));
    EXPECT_FALSE(hiddenAt({10, 20}, 25));
}

TEST(ScenePlacement, ChildrenFollowTheirParentsAndInstancesDrawTwice) {
    // "box" is drawn by two nodes: one alone at x = 10, one below a dummy
    // that stands at y = 5 and turns a quarter about Z.
    Scene scene(
        sceneFile({namedObject("box", triangleAt(0))},
                  {keyframer({nodeWithId(0xB002, 0, {nodeHeader("box", 0xFFFF), at(10, 0, 0)}),
                              nodeWithId(0xB002, 1,
                                         {nodeHeader("$$$DUMMY", 0xFFFF), at(0, 5, 0),
                                          track(0xB021, 0, {{0, {kPi / 2, 0, 0, -1}}})}),
                              nodeWithId(0xB002, 2,
                                         {nodeHeader("box", 1), Chunk(0xB011).str("copy"),
                                          at(1, 0, 0), pivot(0, 0, 0)})})}));
    ASSERT_TRUE(scene.placement.usesNodes());
    ASSERT_EQ(scene.placement.instances().size(), 2u);
    expectNear(scene.where(0, {0, 0, 0}, 0), 10, 0, 0);
    // The copy: one along the dummy's turned X axis (+Y), from y = 5.
    expectNear(scene.where(1, {0, 0, 0}, 0), 0, 6, 0);
    expectNear(scene.where(1, {1, 0, 0}, 0), 0, 7, 0);
    const Bounds b = scene.placement.bounds(0);
    EXPECT_NEAR(b.max[0], 11, 1e-4);
    EXPECT_NEAR(b.max[1], 7, 1e-4);
}

TEST(ScenePlacement, HiddenObjectsAndHideTracks) {
    Chunk ghost(0x4000);
    ghost.str("ghost").add(triangleAt(0)).add(Chunk(0x4010));
    Scene scene(sceneFile(
        {ghost, namedObject("blink", triangleAt(3)), namedObject("off", triangleAt(6))},
        {keyframer(
            {nodeWithId(0xB002, 0, {nodeHeader("ghost", 0xFFFF)}),
             nodeWithId(0xB002, 1, {nodeHeader("blink", 0xFFFF), track(0xB029, 0, {{5, {}}})}),
             nodeWithId(0xB002, 2, {nodeHeader("off", 0xFFFF, 0x0800)})})}));
    const auto& instances = scene.placement.instances();
    ASSERT_EQ(instances.size(), 3u);
    EXPECT_FALSE(scene.placement.visible(instances[0], 0));
    EXPECT_TRUE(scene.placement.visible(instances[1], 4));
    EXPECT_FALSE(scene.placement.visible(instances[1], 5));
    EXPECT_FALSE(scene.placement.visible(instances[2], 0));
}

TEST(ScenePlacement, CamerasFollowTheirNodes) {
    Chunk camera(0x4700);
    camera.floats({0, -10, 0, 0, 0, 0, 0, 50});
    Scene scene(
        sceneFile({namedObject("box", triangleAt(0)), namedObject("cam", camera)},
                  {keyframer({nodeWithId(0xB002, 0, {nodeHeader("box", 0xFFFF), at(0, 0, 0)}),
                              nodeWithId(0xB003, 1,
                                         {nodeHeader("cam", 0xFFFF),
                                          track(0xB020, 0, {{0, {0, -10, 0}}, {10, {0, -20, 0}}}),
                                          track(0xB024, 0, {{0, {0}}, {10, {30}}}),
                                          track(0xB023, 0, {{0, {40}}, {10, {60}}})}),
                              nodeWithId(0xB004, 2, {nodeHeader("cam", 0xFFFF), at(0, 0, 5)})})}));
    const Camera3ds c = scene.placement.camera(0, 5);
    EXPECT_NEAR(c.position[1], -15.0f, 1e-4f);
    EXPECT_NEAR(c.target[2], 5.0f, 1e-4f);
    EXPECT_NEAR(c.roll, 15.0f, 1e-4f);
    EXPECT_NEAR(c.fieldOfView, 50.0f, 1e-4f);
    // Frames outside the keys hold the ends.
    EXPECT_NEAR(scene.placement.camera(0, 99).position[1], -20.0f, 1e-4f);
}

TEST(ScenePlacement, WithoutNodesTheLoadersPlacementStands) {
    Scene scene(sceneFile({namedObject("a", triangleAt(2)), namedObject("b", triangleAt(4))}));
    EXPECT_FALSE(scene.placement.usesNodes());
    ASSERT_EQ(scene.placement.instances().size(), 2u);
    expectNear(scene.where(1, {4, 0, 0}, 0), 4, 0, 0);
    EXPECT_NEAR(scene.placement.bounds(0).max[0], 5, 1e-4);
}

}  // namespace
