// The loader over files built in memory: one case per chunk the loader
// knows, the failure rules, and the faults it mends.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "scene3ds/model3ds_loader.h"
#include "tests/scene3ds/chunk_writer.h"
#include "tests/scene3ds/sample_scenes.h"
#include "tests/scene3ds/test_loaders.h"

using namespace test3ds;

namespace {

Chunk triangleMesh(std::vector<Chunk> children) {
    Chunk mesh(0x4100);
    for (Chunk& c : children) mesh.add(std::move(c));
    return mesh;
}

Chunk unitQuad() {
    return triangleMesh({vertexList({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}),
                         faceList({{0, 1, 2}, {0, 2, 3}})});
}

std::vector<std::uint8_t> simpleScene() {
    return sceneFile({material("Red"), namedObject("quad", unitQuad()),
                      namedObject("lamp", Chunk(0x4600).floats({1, 2, 3}))});
}

// --- File structure ----------------------------------------------------------

TEST(Loader3ds, LoadsASimpleScene) {
    Model3dsLoader loader;
    ASSERT_TRUE(loadInto(loader, simpleScene()));
    ASSERT_EQ(loader.materials.size(), 1u);
    ASSERT_EQ(loader.meshes.size(), 1u);
    ASSERT_EQ(loader.lights.size(), 1u);
    EXPECT_EQ(loader.meshes[0].name, "quad");
    EXPECT_EQ(loader.meshes[0].faces.size(), 2u);
    EXPECT_EQ(loader.lights[0].name, "lamp");
    EXPECT_EQ(loader.fileData, nullptr);  // the buffer lives only during a load
    EXPECT_EQ(loader.fileSize, 0u);
    EXPECT_EQ(loader.cursor, 0u);
    EXPECT_STREQ(loader.objectName, "");
}

TEST(Loader3ds, EditorChunkFirstFailsAndEmptiesTheModel) {
    Model3dsLoader loader;
    ASSERT_TRUE(loadInto(loader, simpleScene()));
    Chunk editor(0x3D3D);
    editor.add(material("Red")).add(namedObject("quad", unitQuad()));
    EXPECT_FALSE(loadInto(loader, editor.bytes()));
    EXPECT_TRUE(loader.meshes.empty());
    EXPECT_TRUE(loader.lights.empty());
    EXPECT_TRUE(loader.materials.empty());
}

TEST(Loader3ds, MainChunkWithoutEditorDataFails) {
    Model3dsLoader loader;
    Chunk main(0x4D4D);
    main.add(Chunk(0x0002).u32(3)).add(Chunk(0xB000));
    auto bytes = main.bytes();
    bytes.push_back(0);
    EXPECT_FALSE(loadInto(loader, bytes));
}

TEST(Loader3ds, LoadsFromAFileAndReportsUnreadableOnes) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("scene3ds_loader_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    auto bytes = simpleScene();
    std::ofstream(dir / "scene.3ds", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    std::ofstream(dir / "empty.3ds", std::ios::binary);

    Model3dsLoader loader;
    EXPECT_TRUE(loader.load((dir / "scene.3ds").c_str()));
    EXPECT_EQ(loader.meshes.size(), 1u);
    // A file that cannot be opened, or is empty, leaves the model unchanged.
    EXPECT_FALSE(loader.load((dir / "missing.3ds").c_str()));
    EXPECT_FALSE(loader.load((dir / "empty.3ds").c_str()));
    EXPECT_FALSE(loader.load(dir.c_str()));  // a folder is no file
    EXPECT_EQ(loader.meshes.size(), 1u);
    EXPECT_EQ(loader.fileData, nullptr);
    fs::remove_all(dir);
}

TEST(Loader3ds, NamedObjectOfAnotherKindStoresNothing) {
    Model3dsLoader loader;
    ASSERT_TRUE(loadInto(
        loader, sceneFile({namedObject("hidden", Chunk(0x4010)), namedObject("box", unitQuad())})));
    ASSERT_EQ(loader.meshes.size(), 1u);
    EXPECT_EQ(loader.meshes[0].name, "box");
    EXPECT_TRUE(loader.lights.empty());
    EXPECT_TRUE(loader.cameras.empty());
}

TEST(Loader3ds, ObjectNamesKeepNinetyEightCharacters) {
    Model3dsLoader loader;
    std::string longName(120, 'n');
    ASSERT_TRUE(loadInto(loader, sceneFile({namedObject(longName, unitQuad())})));
    ASSERT_EQ(loader.meshes.size(), 1u);
    EXPECT_EQ(loader.meshes[0].name, std::string(98, 'n'));
    EXPECT_EQ(loader.meshes[0].faces.size(), 2u);  // the rest of the name was skipped
}

// --- Materials ---------------------------------------------------------------

TEST(Loader3ds, MaterialPropertiesDecode) {
    Chunk m = material(std::string(40, 'm'));
    m.add(Chunk(0xA010).add(color24(255, 128, 0)));
    m.add(Chunk(0xA020).add(colorFloat(0.1f, 0.2f, 0.3f)));
    m.add(Chunk(0xA030).add(percentInt(40)));  // not a colour: black
    m.add(Chunk(0xA040).add(percentInt(150)));
    m.add(Chunk(0xA050).add(percentFloat(-0.5f)));
    m.add(Chunk(0xA100).u16(7));
    Model3dsLoader loader;
    ASSERT_TRUE(loadInto(loader, sceneFile({m})));
    ASSERT_EQ(loader.materials.size(), 1u);
    const Material3ds& mat = loader.materials[0];
    EXPECT_EQ(mat.name, std::string(29, 'm'));
    EXPECT_FLOAT_EQ(mat.ambient[0], 1.0f);
    EXPECT_FLOAT_EQ(mat.ambient[1], 0.5019608f);
    EXPECT_FLOAT_EQ(mat.ambient[2], 0.0f);
    EXPECT_FLOAT_EQ(mat.diffuse[2], 0.3f);
    EXPECT_EQ(mat.specular[0], 0.0f);
    EXPECT_EQ(mat.shininess, 1.0f);
    EXPECT_EQ(mat.transparency, 0.0f);
    EXPECT_EQ(mat.shading, 2);
}

TEST(Loader3ds, ShadingChunks) {
    Model3dsLoader loader;
    ASSERT_TRUE(loadInto(loader, sceneFile({material("phong").add(Chunk(0xA100).u16(3)),
                                            material("wire").add(Chunk(0xA085)),
                                            material("negative").add(Chunk(0xA100).u16(0xFFFF))})));
    ASSERT_EQ(loader.materials.size(), 3u);
    EXPECT_EQ(loader.materials[0].shading, 3);
    EXPECT_EQ(loader.materials[1].shading, 0);
    EXPECT_EQ(loader.materials[2].shading, 2);
}

TEST(Loader3ds, ClampingSettersKeepNaN) {
    Material3ds m;
    m.setShininess(std::nanf(""));
    EXPECT_TRUE(std::isnan(m.shininess));
    m.setTransparency(0.25f);
    EXPECT_EQ(m.transparency, 0.25f);
}

TEST(Loader3ds, TextureMapsGoToTheirSlots) {
    struct Slot {
        std::uint16_t id;
        int slot;
    };
    for (Slot s :
         {Slot{0xA200, 0}, Slot{0xA33A, 1}, Slot{0xA210, 2}, Slot{0xA230, 4}, Slot{0xA204, 5}}) {
        Chunk map(s.id);
        map.add(percentInt(75)).add(percentFloat(0.1f));  // the float form is skipped
        map.add(Chunk(0xA300).str(std::string(25, 'f')));
        map.add(Chunk(0xA354).f32(2.0f)).add(Chunk(0xA356).f32(3.0f));
        map.add(Chunk(0xA358).f32(0.25f)).add(Chunk(0xA35A).f32(0.5f));
        map.add(Chunk(0xA35C).f32(45.0f));
        Model3dsLoader loader;
        ASSERT_TRUE(loadInto(loader, sceneFile({material("textured").add(map)})));
        ASSERT_EQ(loader.materials.size(), 1u);
        const TextureMap3ds& t = loader.materials[0].maps[s.slot];
        EXPECT_FLOAT_EQ(t.strength, 0.75f) << s.id;
        EXPECT_EQ(std::string(t.fileName), std::string(19, 'f'));
        EXPECT_EQ(t.uScale, 2.0f);
        EXPECT_EQ(t.vScale, 3.0f);
        EXPECT_EQ(t.uOffset, 0.25f);
        EXPECT_EQ(t.vOffset, 0.5f);
        EXPECT_EQ(t.rotation, 45.0f);
        for (int other = 0; other < 6; ++other) {
            if (other != s.slot) {
                EXPECT_EQ(loader.materials[0].maps[other].uScale, 1.0f);
            }
        }
    }
}

TEST(Loader3ds, ReflectionMapRule) {
    Chunk automatic = material("auto");
    automatic.add(Chunk(0xA220).add(percentInt(30)).add(Chunk(0xA300).str("")));
    Chunk bitmap = material("bitmap");
    bitmap.add(Chunk(0xA220).add(percentInt(60)).add(Chunk(0xA300).str("sky.jpg")));
    Chunk dropped = material("dropped");
    dropped.add(Chunk(0xA220).add(percentInt(60)).add(Chunk(0xA351).u16(0)));
    Model3dsLoader loader;
    ASSERT_TRUE(loadInto(loader, sceneFile({automatic, dropped, bitmap})));
    ASSERT_EQ(loader.materials.size(), 2u);
    EXPECT_EQ(loader.materials[0].name, "auto");
    EXPECT_STREQ(loader.materials[0].maps[3].fileName, "auto");
    EXPECT_FLOAT_EQ(loader.materials[0].maps[3].strength, 0.3f);
    EXPECT_EQ(loader.materials[1].name, "bitmap");
    EXPECT_EQ(loader.materials[1].index, 1);
    EXPECT_STREQ(loader.materials[1].maps[3].fileName, "");
    EXPECT_FLOAT_EQ(loader.materials[1].maps[3].strength, 0.6f);
}

TEST(Loader3ds, MaterialGroupsMarkFacesAndFindLaterMaterials) {
    Chunk mesh = triangleMesh({vertexList({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}),
                               faceList({{0, 1, 2}, {0, 2, 3}, {1, 2, 3}})
                                   .add(materialGroup("green", {0, 2}))
                                   .add(materialGroup("blue", {1}))});
    Model3dsLoader loader;
    // The mesh comes first in the file; materials are still read before it.
    ASSERT_TRUE(loadInto(loader, sceneFile({namedObject("m", mesh), material("red"),
                                            material("green"), material("blue")})));
    ASSERT_EQ(loader.materials.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(loader.materials[i].index, i);
    const Mesh3ds& m = loader.meshes.at(0);
    EXPECT_EQ(m.groupMaterials, (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(m.faces[0].materialIndex, 1);
    EXPECT_EQ(m.faces[1].materialIndex, 2);
    EXPECT_EQ(m.faces[2].materialIndex, 1);
}

// --- Meshes ------------------------------------------------------------------

TEST(Loader3ds, MeshChunksFillTheLists) {
    Chunk faces = faceList({{0, 1, 2}, {2, 1, 3}});
    faces.add(smoothingGroups({4, 0x80000001u}));
    Chunk mesh = triangleMesh({vertexList({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}), faces,
                               texCoords({{0, 0}, {1, 0}, {0, 1}, {1, 1}, {9, 9}}),
                               Chunk(0x4160).floats({2, 0, 0, 0, 3, 0, 0, 0, 4, 5, 6, 7})});
    LoaderWithMode loader(0);  // the lists as read, without the mesh build
    ASSERT_TRUE(loadInto(loader, sceneFile({namedObject("m", mesh)})));
    const Mesh3ds& m = loader.meshes.at(0);
    ASSERT_EQ(m.positions.size(), 4u);
    EXPECT_EQ(m.positions[3], (Vec3f{1, 1, 0}));
    for (const auto* list : {&m.normals, &m.binormals, &m.tangents}) EXPECT_EQ(list->size(), 4u);
    EXPECT_EQ(m.uv.size(), 4u);  // the fifth pair was read and dropped
    EXPECT_EQ(m.uv[3], (Vec2f{1, 1}));
    EXPECT_EQ(m.uv2, m.uv);
    ASSERT_EQ(m.faces.size(), 2u);
    EXPECT_EQ(m.triangles.size(), 2u);
    EXPECT_EQ(m.faces[1].a, 2);
    EXPECT_EQ(m.faces[1].c, 3);
    EXPECT_EQ(m.faces[0].smoothingGroup, 4u);
    EXPECT_EQ(m.faces[1].smoothingGroup, 0x80000001u);
    const float expected[16] = {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 5, 6, 7, 1};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m.matrix[i], expected[i]) << i;
}

TEST(Loader3ds, MeshDefaults) {
    Model3dsLoader loader;
    ASSERT_TRUE(loadInto(loader, sceneFile({namedObject("quad", unitQuad())})));
    const Mesh3ds& m = loader.meshes.at(0);
    for (const Face3ds& f : m.faces) EXPECT_EQ(f.smoothingGroup, 1u);
    for (const Face3ds& f : m.faces) EXPECT_EQ(f.materialIndex, 0);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m.matrix[i], identity[i]);
}

TEST(Loader3ds, TextureCoordinatesBeforeTheVertexList) {
    Chunk mesh =
        triangleMesh({texCoords({{0.5f, 0.25f}, {1, 1}}),
                      vertexList({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}), faceList({{0, 1, 2}})});
    Model3dsLoader loader;
    ASSERT_TRUE(loadInto(loader, sceneFile({namedObject("m", mesh)})));
    const Mesh3ds& m = loader.meshes.at(0);
    ASSERT_EQ(m.positions.size(), 3u);  // sized by the coordinates, then resized
    EXPECT_EQ(m.uv.size(), 3u);
    EXPECT_EQ(m.uv[0], (Vec2f{0.5f, 0.25f}));
    EXPECT_EQ(m.uv[2], (Vec2f{0, 0}));
    EXPECT_EQ(m.positions[2], (Vec3f{7, 8, 9}));
    EXPECT_EQ(m.faces.size(), 1u);
}

// --- Lights and cameras ------------------------------------------------------

TEST(Loader3ds, LightDefaultsAndChunks) {
    Chunk plain = Chunk(0x4600).floats({1, 2, 3});
    Chunk spot = Chunk(0x4600).floats({4, 5, 6});
    spot.add(colorFloat(0.5f, 0.5f, 0.5f)).add(color24(255, 0, 0));  // the last one wins
    spot.add(Chunk(0x4610).floats({7, 8, 9, 30, 45}));
    spot.add(Chunk(0x4659).f32(5)).add(Chunk(0x465A).f32(50));
    Model3dsLoader loader;
    ASSERT_TRUE(
        loadInto(loader, sceneFile({namedObject("plain", plain), namedObject("spot", spot)})));
    ASSERT_EQ(loader.lights.size(), 2u);
    const Light3ds& a = loader.lights[0];
    EXPECT_EQ(a.position[2], 3.0f);
    EXPECT_EQ(a.color[0], 0.0f);
    EXPECT_EQ(a.innerRange, 100.0f);
    EXPECT_EQ(a.outerRange, 1000.0f);
    const Light3ds& b = loader.lights[1];
    EXPECT_EQ(b.name, "spot");
    EXPECT_EQ(b.color[0], 1.0f);
    EXPECT_EQ(b.color[1], 0.0f);
    EXPECT_EQ(b.spotTarget[2], 9.0f);
    EXPECT_EQ(b.hotspot, 30.0f);
    EXPECT_EQ(b.falloff, 45.0f);
    EXPECT_EQ(b.innerRange, 5.0f);
    EXPECT_EQ(b.outerRange, 50.0f);
}

TEST(Loader3ds, Cameras) {
    Chunk lens50 = Chunk(0x4700).floats({1, 2, 3, 4, 5, 6, 15, 50});
    Chunk ranged = Chunk(0x4700).floats({0, 0, 0, 0, 0, 1, 0, 24});
    ranged.add(Chunk(0x4720).floats({0.5f, 250}));
    Chunk lens0 = Chunk(0x4700).floats({0, 0, 0, 0, 0, 1, 0, 0});
    Model3dsLoader loader;
    ASSERT_TRUE(
        loadInto(loader, sceneFile({namedObject("c50", lens50), namedObject("ranged", ranged),
                                    namedObject("c0", lens0)})));
    ASSERT_EQ(loader.cameras.size(), 3u);
    const Camera3ds& c = loader.cameras[0];
    EXPECT_EQ(c.name, "c50");
    EXPECT_EQ(c.target[0], 4.0f);
    EXPECT_EQ(c.roll, 15.0f);
    EXPECT_EQ(c.fieldOfView, 48.0f);
    EXPECT_EQ(c.nearRange, 10.0f);
    EXPECT_EQ(c.farRange, 10000.0f);
    EXPECT_EQ(loader.cameras[1].fieldOfView, 100.0f);
    EXPECT_EQ(loader.cameras[1].nearRange, 0.5f);
    EXPECT_EQ(loader.cameras[1].farRange, 250.0f);
    EXPECT_EQ(loader.cameras[2].fieldOfView, 80.0f);  // lens 0: the default stays
}

// --- Faults mended -----------------------------------------------------------

TEST(Loader3ds, BadIndicesAreSkippedAndTheRestKept) {
    Chunk faces = faceList({{0, 1, 2}, {0, 2, 9}, {2, 1, 0}});
    faces.add(materialGroup("missing", {0, 1}));
    faces.add(materialGroup("stone", {2, 1, 500}));
    Chunk mesh = triangleMesh({vertexList({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}), faces});
    Model3dsLoader loader;
    ASSERT_TRUE(
        loadInto(loader, sceneFile({material("wood"), material("stone"), namedObject("m", mesh),
                                    namedObject("after", unitQuad())})));
    ASSERT_EQ(loader.meshes.size(), 2u);
    const Mesh3ds& m = loader.meshes[0];
    // Face 1 names vertex 9 of 3 and is dropped; the group naming a missing
    // material is left out; face number 500 is ignored.
    ASSERT_EQ(m.faces.size(), 2u);
    EXPECT_EQ(m.triangles.size(), 2u);
    EXPECT_EQ(m.faces[0].materialIndex, 0);
    EXPECT_EQ(m.faces[1].materialIndex, 1);
    EXPECT_EQ(m.faces[1].a, 2);
    EXPECT_EQ(m.groupMaterials, (std::vector<std::int32_t>{1}));
    EXPECT_EQ(loader.meshes[1].faces.size(), 2u);
}

TEST(Loader3ds, CountsBeyondTheFileAreNotInvented) {
    // Counts of 60,000 with three records present: only as many records as
    // the rest of the file can hold are read (5 vertices, the last two made
    // of the face list's bytes; 2 whole faces before the last byte).
    Chunk vertices = vertexList({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    vertices.data[0] = 0x60;
    vertices.data[1] = 0xEA;
    Chunk faces = faceList({{0, 1, 2}, {0, 2, 1}, {1, 2, 0}});
    faces.data[0] = 0x60;
    faces.data[1] = 0xEA;
    Chunk mesh = triangleMesh({vertices, faces});
    auto bytes = sceneFile({namedObject("m", mesh)});
    bytes.resize(bytes.size() - 10);  // and the trailing chunk cut away
    LoaderWithMode loader(0);
    ASSERT_TRUE(loadInto(loader, bytes));
    const Mesh3ds& m = loader.meshes.at(0);
    EXPECT_EQ(m.positions.size(), 5u);
    EXPECT_EQ(m.positions[1], (Vec3f{1, 0, 0}));
    EXPECT_EQ(m.faces.size(), 2u);
}

TEST(Loader3ds, SampleScenesLoadWhole) {
    for (const auto& [name, bytes] : sampleScenes()) {
        Model3dsLoader loader;
        EXPECT_TRUE(loadInto(loader, bytes)) << name;
        if (name == "full.3ds") {
            EXPECT_EQ(loader.materials.size(), 2u);
            EXPECT_EQ(loader.meshes.size(), 2u);
            EXPECT_EQ(loader.lights.size(), 1u);
            EXPECT_EQ(loader.cameras.size(), 1u);
            EXPECT_EQ(loader.nodes.size(), 2u);
            EXPECT_EQ(loader.frameCount, 40u);
            EXPECT_EQ(loader.meshes[0].faces.size(), 72u);
        }
    }
}

TEST(Loader3ds, EveryTruncationLoadsSafely) {
    // The full sample scene has every kind of chunk, the keyframer included.
    auto bytes = sampleScenes().front().second;
    for (std::size_t size = 1; size < bytes.size(); ++size) {
        Model3dsLoader cut;
        cut.loadBytes(bytes.data(), size);  // must not crash, hang or leak
        for (const Mesh3ds& m : cut.meshes) {
            ASSERT_EQ(m.triangles.size(), m.faces.size());
            for (const Face3ds& f : m.faces)
                ASSERT_LT(std::max({f.a, f.b, f.c}), m.positions.size());
        }
    }
}

}  // namespace
