// The scene extras reader: what the loader does not keep, read from
// written files, and damaged files read safely.
#include "scene3ds/scene_extras.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/scene3ds/chunk_writer.h"

using namespace test3ds;

namespace {

Chunk withPercent(std::uint16_t id, Chunk percent) {
    Chunk c(id);
    c.add(std::move(percent));
    return c;
}

SceneExtras read(const std::vector<std::uint8_t>& bytes) {
    return readSceneExtras(bytes.data(), bytes.size());
}

TEST(SceneExtras, MaterialPropertiesTheLoaderSkips) {
    Chunk shiny = material("shiny");
    shiny.add(withPercent(0xA084, percentInt(40)))
        .add(withPercent(0xA041, percentFloat(0.25f)))
        .add(Chunk(0xA081))
        .add(Chunk(0xA087).f32(3.0f));
    Chunk map1(0xA200);
    map1.add(Chunk(0xA300).str("wood.jpg")).add(Chunk(0xA351).u16(0x0002));
    Chunk bump(0xA230);
    bump.add(Chunk(0xA351).u16(0x0010));
    shiny.add(std::move(map1)).add(std::move(bump));
    Chunk wire = material("wire");
    wire.add(Chunk(0xA085));
    const SceneExtras extras = read(sceneFile({shiny, wire}));
    ASSERT_EQ(extras.materials.size(), 2u);
    const MaterialExtras* m = extras.material("shiny");
    ASSERT_NE(m, nullptr);
    EXPECT_FLOAT_EQ(m->selfIllumination, 0.4f);
    EXPECT_FLOAT_EQ(m->shininessStrength, 0.25f);
    EXPECT_TRUE(m->twoSided);
    EXPECT_FALSE(m->wire);
    EXPECT_FLOAT_EQ(m->wireSize, 3.0f);
    EXPECT_EQ(m->mapTiling[0], map_tiling::kMirror);
    EXPECT_EQ(m->mapTiling[4], map_tiling::kNoTile);
    EXPECT_TRUE(extras.material("wire")->wire);
    EXPECT_EQ(extras.material("none"), nullptr);
}

TEST(SceneExtras, HiddenObjectsAndTheAmbientLight) {
    Chunk hidden(0x4000);
    hidden.str("ghost").add(Chunk(0x4010)).add(Chunk(0x4100));
    Chunk ambient(0x2100);
    ambient.add(colorFloat(0.1f, 0.2f, 0.3f));
    const SceneExtras extras =
        read(sceneFile({ambient, hidden, namedObject("plain", Chunk(0x4100))}));
    EXPECT_TRUE(extras.objectHidden("ghost"));
    EXPECT_FALSE(extras.objectHidden("plain"));
    ASSERT_TRUE(extras.hasAmbientLight);
    EXPECT_FLOAT_EQ(extras.ambientLight[2], 0.3f);
}

TEST(SceneExtras, NodesLinkToParentsByIdAndLoopsAreOpened) {
    const SceneExtras extras = read(sceneFile(
        {},
        {keyframer({keyframerSegment(5, 90),
                    nodeWithId(0xB002, 7,
                               {nodeHeader("child", 3), Chunk(0xB011).str("c1"), pivot(1, 2, 3)}),
                    nodeWithId(0xB002, 3, {nodeHeader("$$$DUMMY", 0xFFFF)}),
                    nodeWithId(0xB002, 8, {nodeHeader("orphan", 42)}),
                    nodeWithId(0xB002, 10, {nodeHeader("a", 11)}),
                    nodeWithId(0xB002, 11, {nodeHeader("b", 10)}),
                    nodeWithId(0xB003, 12, {nodeHeader("Camera01", 0xFFFF, 0x0800)}),
                    nodeWithId(0xB004, 13, {nodeHeader("Camera01", 0xFFFF)})})}));
    ASSERT_EQ(extras.nodes.size(), 7u);
    EXPECT_TRUE(extras.hasSegment);
    EXPECT_EQ(extras.segmentEnd, 90u);
    const SceneNode& child = extras.nodes[0];
    EXPECT_EQ(child.id, 7u);
    EXPECT_EQ(child.parent, 1);  // the node with id 3, which comes later
    EXPECT_EQ(child.instance, "c1");
    EXPECT_FLOAT_EQ(child.pivot[2], 3.0f);
    EXPECT_EQ(extras.nodes[1].parent, -1);
    EXPECT_EQ(extras.nodes[2].parent, -1);  // no node has id 42
    // a -> b -> a: one link is dropped, and no chain runs forever.
    EXPECT_TRUE(extras.nodes[3].parent == -1 || extras.nodes[4].parent == -1);
    EXPECT_EQ(extras.nodes[5].kind, SceneNodeKind::Camera);
    EXPECT_EQ(extras.nodes[5].flags, 0x0800);
    EXPECT_EQ(extras.nodes[6].kind, SceneNodeKind::CameraTarget);
}

TEST(SceneExtras, TracksKeepSplineParametersSortAndDropDamage) {
    // Key at frame 20 with tension, continuity and bias and an ease (flags
    // 0x0F): the writer puts 99 for each, which the reader clamps to 1.
    std::vector<Key> keys = {{20, {2, 2, 2}, 0x000F},
                             {0, {0, 0, 0}},
                             {0x80000005u, {9, 9, 9}},
                             {10, {1, 1, 1}},
                             {10, {5, 5, 5}}};
    Chunk scale = track(0xB022, 0, {{0, {2, 0, 3}}});
    Chunk hide = track(0xB029, 0, {{30, {}}, {10, {}}});
    Chunk morph(0xB026);
    morph.u16(0).u32(0).u32(0).u32(1).u32(4).u16(0).str("other");
    const SceneExtras extras = read(sceneFile(
        {}, {keyframer(
                {nodeWithId(0xB002, 0,
                            {nodeHeader("box", 0xFFFF), track(0xB020, 0, keys), scale,
                             track(0xB021, 0, {{0, {1.5f, 0, 0, 1}}}), hide, morph,
                             track(0xB024, 0, {{0, {-30}}}), track(0xB023, 0, {{0, {60}}})})})}));
    ASSERT_EQ(extras.nodes.size(), 1u);
    const SceneNode& n = extras.nodes[0];
    // In frame order, one key a frame (the later of two wins), the frame
    // with its top bit set dropped.
    ASSERT_EQ(n.position.size(), 3u);
    EXPECT_EQ(n.position[0].frame, 0u);
    EXPECT_EQ(n.position[1].frame, 10u);
    EXPECT_FLOAT_EQ(n.position[1].value[0], 5.0f);
    EXPECT_EQ(n.position[2].frame, 20u);
    EXPECT_FLOAT_EQ(n.position[2].value[1], 2.0f);  // read after the four parameters
    EXPECT_FLOAT_EQ(n.position[2].spline[0], 1.0f);
    // A scale of 0 on an axis means 1.
    EXPECT_FLOAT_EQ(n.scale.at(0).value[1], 1.0f);
    EXPECT_FLOAT_EQ(n.scale.at(0).value[2], 3.0f);
    EXPECT_FLOAT_EQ(n.rotation.at(0).value.angle, 1.5f);
    EXPECT_FLOAT_EQ(n.rotation.at(0).value.axis[2], 1.0f);  // as in the file
    EXPECT_EQ(n.hide, (std::vector<std::uint32_t>{10, 30}));
    ASSERT_EQ(n.morph.size(), 1u);
    EXPECT_EQ(n.morph[0].value, "other");
    EXPECT_FLOAT_EQ(n.roll.at(0).value, -30.0f);
    EXPECT_FLOAT_EQ(n.fieldOfView.at(0).value, 60.0f);
}

TEST(SceneExtras, TheFilesLastValueIsRead) {
    // A file that ends with a node's last key, as real files do.
    Chunk main(0x4D4D);
    main.add(Chunk(0x3D3D))
        .add(keyframer({nodeWithId(
            0xB002, 0, {nodeHeader("box", 0xFFFF), track(0xB020, 0, {{0, {1, 2, 3}}})})}));
    const SceneExtras extras = read(main.bytes());
    ASSERT_EQ(extras.nodes.size(), 1u);
    ASSERT_EQ(extras.nodes[0].position.size(), 1u);
    EXPECT_FLOAT_EQ(extras.nodes[0].position[0].value[2], 3.0f);
}

TEST(SceneExtras, DamagedFilesGiveWhatCanBeRead) {
    EXPECT_TRUE(read({}).nodes.empty());
    EXPECT_TRUE(read({1, 2, 3}).materials.empty());
    std::vector<Key> many(50, Key{1, {1, 2, 3}});
    const std::vector<std::uint8_t> whole =
        sceneFile({material("m"), namedObject("o", Chunk(0x4100))},
                  {keyframer({nodeWithId(0xB002, 0, {nodeHeader("o", 0), track(0xB020, 0, many)}),
                              nodeWithId(0xB007, 1, {nodeHeader("spot", 0)})})});
    // Every cut of the file reads without fault and never finds more than
    // the whole file holds.
    for (std::size_t size = 0; size <= whole.size(); ++size) {
        const SceneExtras extras = readSceneExtras(whole.data(), size);
        EXPECT_LE(extras.nodes.size(), 2u);
        for (const SceneNode& n : extras.nodes) EXPECT_LE(n.position.size(), 1u);
    }
    // A key count far beyond what the track holds.
    std::vector<std::uint8_t> bytes = whole;
    for (std::size_t i = 0; i + 4 < bytes.size(); ++i)
        if (bytes[i] == 50 && bytes[i + 1] == 0 && bytes[i + 2] == 0 && bytes[i + 3] == 0) {
            bytes[i + 3] = 0x7F;
            break;
        }
    EXPECT_EQ(read(bytes).nodes.at(0).position.size(), 1u);
}

}  // namespace

TEST(SceneExtras, FilesAreReadWholeOnlyWhenTheyStartAsA3dsFile) {
    // The read runs beside the loader, before it has taken the file: the
    // head is checked first, and a 3DS file must pass that check.
    Chunk hidden(0x4000);
    hidden.str("ghost").add(Chunk(0x4010)).add(Chunk(0x4100));
    std::vector<std::uint8_t> bytes = sceneFile({hidden});
    const std::string path = ::testing::TempDir() + "extras_head.3ds";
    auto write = [&](const std::vector<std::uint8_t>& b) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(b.data(), 1, b.size(), f);
        std::fclose(f);
    };
    write(bytes);
    EXPECT_TRUE(readSceneExtrasFile(path.c_str()).objectHidden("ghost"));
    bytes[0] ^= 0xFF;  // no longer a main chunk
    write(bytes);
    EXPECT_FALSE(readSceneExtrasFile(path.c_str()).objectHidden("ghost"));
    write({0x4D});  // shorter than a chunk id
    EXPECT_TRUE(readSceneExtrasFile(path.c_str()).hiddenObjects.empty());
    std::remove(path.c_str());
}
