// Keyframes: reading nodes and tracks, the frame-count rule, sampling into
// per-frame arrays, and re-basing meshes into their local frames.
#include <gtest/gtest.h>

#include <array>

#include "scene3ds/model3ds_loader.h"
#include "tests/scene3ds/chunk_writer.h"
#include "tests/scene3ds/test_loaders.h"

using namespace test3ds;

namespace {

// A one-triangle mesh, optionally with local axes (12 floats).
Chunk triangle(std::vector<float> axes = {}) {
    Chunk mesh(0x4100);
    mesh.add(vertexList({{1, 2, 3}, {6, 2, 3}, {1, 7, 3}})).add(faceList({{0, 1, 2}}));
    if (!axes.empty()) {
        Chunk m(0x4160);
        for (float v : axes) m.f32(v);
        mesh.add(m);
    }
    return mesh;
}

// Loads one mesh "box" with one node made of `nodeChildren` (after its header).
Model3dsLoader& loadAnimated(Model3dsLoader& loader, std::vector<Chunk> nodeChildren,
                             std::vector<float> axes = {}) {
    std::vector<Chunk> children = {nodeHeader("box")};
    for (Chunk& c : nodeChildren) children.push_back(std::move(c));
    EXPECT_TRUE(loadInto(loader, sceneFile({namedObject("box", triangle(axes))},
                                           {keyframer({objectNode(children)})})));
    return loader;
}

void expectFrame(const std::array<float, 3>& got, float x, float y, float z) {
    EXPECT_FLOAT_EQ(got[0], x);
    EXPECT_FLOAT_EQ(got[1], y);
    EXPECT_FLOAT_EQ(got[2], z);
}

TEST(Keyframes, PositionsInterpolateAndHoldAfterTheLastKey) {
    Model3dsLoader loader;
    loadAnimated(loader, {track(0xB020, 100, {{0, {0, 0, 0}}, {10, {10, 0, 0}}})});
    ASSERT_EQ(loader.frameCount, 100u);
    ASSERT_EQ(loader.nodes.size(), 1u);
    const auto& frames = loader.nodes[0].positionFrames;
    ASSERT_EQ(frames.size(), 100u);
    for (int f = 0; f < 10; ++f) expectFrame(frames[f], float(f), 0, 0);
    for (int f = 10; f < 100; ++f) expectFrame(frames[f], 10, 0, 0);
    EXPECT_TRUE(loader.nodes[0].positionKeys.empty());  // keys are released after the parse
}

TEST(Keyframes, SingleKeyFillsEveryFrame) {
    Model3dsLoader loader;
    loadAnimated(loader, {track(0xB020, 100, {{20, {4, 5, 6}}})});
    const auto& frames = loader.nodes.at(0).positionFrames;
    ASSERT_EQ(frames.size(), 100u);
    expectFrame(frames[0], 4, 5, 6);
    expectFrame(frames[99], 4, 5, 6);
}

TEST(Keyframes, StretchPastTheLastFrameIsCompressed) {
    Model3dsLoader loader;
    loadAnimated(loader, {track(0xB020, 100, {{0, {0, 0, 0}}, {200, {200, 0, 0}}})});
    const auto& frames = loader.nodes.at(0).positionFrames;
    expectFrame(frames[50], 100, 0, 0);
    expectFrame(frames[99], 198, 0, 0);
}

TEST(Keyframes, KeysOutOfOrderWriteNothingForTheirStretch) {
    Model3dsLoader loader;
    loadAnimated(loader, {track(0xB020, 30, {{10, {1, 0, 0}}, {5, {2, 0, 0}}, {20, {3, 0, 0}}})});
    const auto& frames = loader.nodes.at(0).positionFrames;
    expectFrame(frames[0], 1, 0, 0);           // before any stretch: the first key
    expectFrame(frames[7], 2.1333333f, 0, 0);  // key 5 -> key 20 over frames 5..19
    expectFrame(frames[12], 2.4666667f, 0, 0);
    expectFrame(frames[25], 3, 0, 0);
}

TEST(Keyframes, RotationInterpolatesFromZeroAndAccumulatesAngles) {
    Model3dsLoader loader;
    // Rotation keys hold angle, then the axis; the file's axis is negated.
    loadAnimated(
        loader,
        {track(0xB020, 100, {{0, {0, 0, 0}}}),
         track(0xB021, 0, {{0, {0.3f, 1, 0, 0}}, {10, {1.0f, 0, 0, 1}}, {20, {2.0f, 0, 1, 0}}})});
    const Node3ds& node = loader.nodes.at(0);
    EXPECT_FLOAT_EQ(node.baseRotation[0], -1.0f);
    EXPECT_FLOAT_EQ(node.baseRotation[3], 0.3f);
    const auto& r = node.rotationFrames;
    ASSERT_EQ(r.size(), 100u);
    EXPECT_EQ(r[0], (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_EQ(r[5], (std::array<float, 4>{0, 0, -0.5f, 0.5f}));
    EXPECT_EQ(r[10], (std::array<float, 4>{0, 0, -1, 1}));
    EXPECT_EQ(r[15], (std::array<float, 4>{0, -0.5f, -0.5f, 2}));  // the sum runs on: 1 + 2
    // After the last key the rotation holds where it arrived.
    EXPECT_EQ(r[20], (std::array<float, 4>{0, -1, 0, 3}));
    EXPECT_EQ(r[99], (std::array<float, 4>{0, -1, 0, 3}));
}

TEST(Keyframes, SingleRotationKeyLeavesTheFramesZero) {
    Model3dsLoader loader;
    loadAnimated(loader, {track(0xB020, 20, {}), track(0xB021, 0, {{5, {0.7f, 0, 0, 1}}})});
    const Node3ds& node = loader.nodes.at(0);
    EXPECT_FLOAT_EQ(node.baseRotation[2], -1.0f);
    for (const auto& entry : node.rotationFrames) EXPECT_EQ(entry, (std::array<float, 4>{}));
}

TEST(Keyframes, FrameCountRule) {
    struct Case {
        std::vector<std::uint32_t> asked;
        std::uint32_t expected;
    };
    for (const Case& c :
         {Case{{50, 80}, 80}, Case{{80, 50}, 80}, Case{{0}, 1}, Case{{0x80000005u}, 1},
          Case{{10'000'000}, Model3dsLoader::kMaxFrameCount}}) {
        std::vector<Chunk> objects, nodes;
        for (std::size_t i = 0; i < c.asked.size(); ++i) {
            std::string name = "m" + std::to_string(i);
            objects.push_back(namedObject(name, triangle()));
            nodes.push_back(objectNode({nodeHeader(name), track(0xB020, c.asked[i], {})}));
        }
        Model3dsLoader loader;
        ASSERT_TRUE(loadInto(loader, sceneFile(objects, {keyframer(nodes)})));
        EXPECT_EQ(loader.frameCount, c.expected) << c.asked[0];
        for (const Node3ds& n : loader.nodes) EXPECT_EQ(n.positionFrames.size(), c.expected);
    }
}

// 3ds Max asks for 0 frames in the position track and states the length in
// the keyframer's header; the animation must still reach the arrays.
TEST(Keyframes, FrameCountCoversTheAnimationTheFileStates) {
    const std::vector<Key> turning = {{0, {0, 0, 0, 1}}, {90, {1, 0, 0, 1}}, {181, {1, 0, 0, 1}}};
    struct Case {
        const char* what;
        std::vector<Chunk> header;  // keyframer chunks before the node
        std::uint32_t asked;
        std::uint32_t expected;
    };
    for (const Case& c : {
             Case{"header length 300", {keyframerHeader(300)}, 0, 301},
             Case{"segment to 250", {keyframerSegment(0, 250)}, 0, 251},
             Case{"header and longer segment",
                  {keyframerHeader(100), keyframerSegment(0, 200)},
                  0,
                  201},
             Case{"no stated length: the last key", {}, 0, 182},
             Case{"damaged header length: the last key", {keyframerHeader(0x80000010u)}, 0, 182},
             Case{"the track asks for more", {keyframerHeader(100)}, 500, 500},
             Case{"the track asks for less: its word", {}, 50, 50},
         }) {
        std::vector<Chunk> children = c.header;
        children.push_back(objectNode({nodeHeader("box"), track(0xB020, c.asked, {{0, {1, 2, 3}}}),
                                       track(0xB021, 0, turning)}));
        Model3dsLoader loader;
        ASSERT_TRUE(
            loadInto(loader, sceneFile({namedObject("box", triangle())}, {keyframer(children)})));
        EXPECT_EQ(loader.frameCount, c.expected) << c.what;
        const Node3ds& node = loader.nodes.at(0);
        ASSERT_EQ(node.rotationFrames.size(), c.expected) << c.what;
        EXPECT_EQ(node.positionFrames.size(), c.expected) << c.what;
        if (c.expected > 181) {
            EXPECT_EQ(node.rotationFrames[45], (std::array<float, 4>{0, 0, -0.5f, 0.5f})) << c.what;
            EXPECT_EQ(node.rotationFrames[181], (std::array<float, 4>{0, 0, -1, 2})) << c.what;
        }
    }
}

TEST(Keyframes, SplineFlagsSkipTheirFloats) {
    Model3dsLoader loader;
    Key flagged{10, {10, 0, 0}, 0x0003};
    loadAnimated(loader,
                 {track(0xB020, 20, {{0, {0, 0, 0}, 0x0010}, flagged, {12, {10, 6, 0}, 0x001F}})});
    const auto& frames = loader.nodes.at(0).positionFrames;
    expectFrame(frames[5], 5, 0, 0);
    expectFrame(frames[11], 10, 3, 0);
    expectFrame(frames[19], 10, 6, 0);
}

TEST(Keyframes, NodesPairWithMeshesByPosition) {
    // Node 0 names no mesh, node 1 names "b"; mesh "c" has no node at all.
    std::vector<float> moved = {1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 0, 0};
    auto bytes = sceneFile(
        {namedObject("a", triangle(moved)), namedObject("b", triangle(moved)),
         namedObject("c", triangle(moved))},
        {keyframer(
            {objectNode({nodeHeader("nobody"), track(0xB020, 500, {{0, {1, 1, 1}}})}),
             objectNode({nodeHeader("b"), pivot(1, 2, 3), track(0xB020, 10, {{0, {7, 7, 7}}})})})});
    Model3dsLoader loader;
    ASSERT_TRUE(loadInto(loader, bytes));
    ASSERT_EQ(loader.nodes.size(), 2u);
    EXPECT_EQ(loader.frameCount, 10u);  // the unmatched node's track was not read
    EXPECT_EQ(loader.nodes[0].positionFrames.size(), 10u);
    expectFrame(loader.nodes[0].positionFrames[3], 0, 0, 0);
    expectFrame(loader.nodes[1].positionFrames[3], 7, 7, 7);
    EXPECT_EQ(loader.nodes[1].pivot[1], -2.0f);
    EXPECT_TRUE(loader.nodes[1].pivots.empty());
    // Meshes 0 and 1 have nodes and are re-based; mesh 2 is left as read.
    EXPECT_EQ(loader.meshes[0].positions[0], (Vec3f{-4, 2, 3}));
    EXPECT_EQ(loader.meshes[1].positions[0], (Vec3f{-4, 2, 3}));
    EXPECT_EQ(loader.meshes[2].positions[0], (Vec3f{1, 2, 3}));
}

TEST(Keyframes, RebasingIntoTheLocalFrame) {
    struct Case {
        const char* what;
        std::vector<float> axes;
        Vec3f first;  // where vertex (1, 2, 3) lands
        float pivot;  // where pivot (1, 1, 1) lands, per component
    };
    for (const Case& c : {
             Case{"translated", {1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 0, 0}, {-4, 2, 3}, -1},
             Case{"scaled by 2", {2, 0, 0, 0, 2, 0, 0, 0, 2, 5, 0, 0}, {-4, 2, 3}, -2},
             Case{"rotated", {0, 1, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0}, {2, -1, 3}, -1},
             Case{"singular", {1, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 1}, {1, 2, 2}, -1},
         }) {
        Model3dsLoader loader;
        loadAnimated(loader, {pivot(1, 1, 1)}, c.axes);
        const Mesh3ds& mesh = loader.meshes.at(0);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(mesh.positions[0][i], c.first[i], 1e-6) << c.what;
        for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(loader.nodes[0].pivot[i], c.pivot) << c.what;
    }
}

TEST(Keyframes, MissingKeyframerLeavesMeshesAlone) {
    Model3dsLoader loader;
    ASSERT_TRUE(loadInto(
        loader, sceneFile({namedObject("box", triangle({1, 0, 0, 0, 1, 0, 0, 0, 1, 9, 9, 9}))})));
    EXPECT_TRUE(loader.nodes.empty());
    EXPECT_EQ(loader.frameCount, 0u);
    EXPECT_EQ(loader.meshes.at(0).positions[0], (Vec3f{1, 2, 3}));
}

TEST(Keyframes, HugeKeyCountsEndWithTheFile) {
    Chunk positions(0xB020);
    positions.u16(0).u32(0).u32(10).u32(0xFFFFFFFFu);  // claims four billion keys
    positions.u32(0).u16(0).floats({1, 2, 3});
    Model3dsLoader loader;
    loadAnimated(loader, {positions});
    expectFrame(loader.nodes.at(0).positionFrames[9], 1, 2, 3);
}

}  // namespace
