// The renderer's and the player's logic without GL: view framing, file
// lookup of textures, draw lists from damaged meshes, and the player's
// clock and keys.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "scene3ds_player/scene_player.h"
#include "scene3ds_render/draw_lists.h"
#include "scene3ds_render/model_pose.h"
#include "scene3ds_render/scene_views.h"
#include "scene3ds_render/texture_files.h"
#include "tests/scene3ds/chunk_writer.h"

namespace fs = std::filesystem;

namespace {

Bounds box(std::array<float, 3> lo, std::array<float, 3> hi) {
    Bounds b;
    b.add(lo);
    b.add(hi);
    return b;
}

TEST(SceneViews, AxisViewsFrameTheBoxExactly) {
    // A box 4 wide (X), 2 deep (Y), 1 high (Z), off the origin.
    const Bounds b = box({10, 20, 30}, {14, 22, 31});
    const int w = 400, h = 300;
    struct Case {
        AxisView view;
        std::array<double, 3> rightEnd;  // a corner at the image's right edge
        double extent;                   // larger projected extent
    };
    for (const Case& c :
         {Case{AxisView::Front, {14, 21, 30.5}, 4}, Case{AxisView::Top, {14, 21, 30.5}, 4},
          Case{AxisView::Left, {12, 20, 30.5}, 2}, Case{AxisView::Back, {10, 21, 30.5}, 4}}) {
        SCOPED_TRACE(axisViewName(c.view));
        const ViewSetup s = axisViewSetup(c.view, {}, b, w, h);
        // The centre lands in the middle; the larger extent spans 90 % of 300.
        const auto centre = projectOrthographic(s, {12, 21, 30.5}, w, h);
        EXPECT_NEAR(centre[0], 200, 1e-9);
        EXPECT_NEAR(centre[1], 150, 1e-9);
        const auto edge = projectOrthographic(s, c.rightEnd, w, h);
        EXPECT_NEAR(edge[0] - 200, 0.45 * 300, 1e-6);
        EXPECT_NEAR((s.right - s.left) / w * 0.9 * 300, c.extent, 1e-6);
    }
    // front: +X right, +Z up; top: +X right, +Y up; left: -Y right.
    const ViewSetup front = axisViewSetup(AxisView::Front, {}, b, w, h);
    EXPECT_GT(projectOrthographic(front, {14, 21, 30.5}, w, h)[0], 200);
    EXPECT_LT(projectOrthographic(front, {12, 21, 31}, w, h)[1], 150);
    const ViewSetup top = axisViewSetup(AxisView::Top, {}, b, w, h);
    EXPECT_LT(projectOrthographic(top, {12, 22, 30.5}, w, h)[1], 150);
    const ViewSetup left = axisViewSetup(AxisView::Left, {}, b, w, h);
    EXPECT_GT(projectOrthographic(left, {12, 20, 30.5}, w, h)[0], 200);
    // The camera sits outside the box, which lies between the planes.
    EXPECT_GT(front.zNear, 0);
    EXPECT_GT(front.zFar, front.zNear + 2);
}

TEST(SceneViews, EmptyAndFlatScenesStillGetAView) {
    const ViewSetup empty = axisViewSetup(AxisView::Front, {}, Bounds{}, 100, 100);
    EXPECT_TRUE(std::isfinite(empty.right) && empty.right > 0);
    const ViewSetup flat = axisViewSetup(AxisView::Front, {}, box({0, 0, 0}, {0, 5, 0}), 100, 100);
    EXPECT_TRUE(std::isfinite(flat.right) && flat.right > 0);
    Camera3ds camera;
    camera.position[1] = -10;
    camera.fieldOfView = 0;  // a lens of no use
    const ViewSetup v = cameraViewSetup(camera, {}, box({-1, -1, -1}, {1, 1, 1}), 400, 200);
    EXPECT_NEAR(v.fieldOfViewY, 2 * std::atan(std::tan(45.0 * M_PI / 360) / 2) * 180 / M_PI, 1e-9);
    EXPECT_GT(v.zNear, 0);
    EXPECT_LT(v.zNear, 9.0);
    EXPECT_GT(v.zFar, 11.0);
}

TEST(ModelPose, FramesLoopAtThirtyASecond) {
    struct Empty : Model3ds {
        bool load(const char*) override { return false; }
    } model;
    model.frameCount = 100;
    EXPECT_EQ(frameAtTime(model, 0.0), 0u);
    EXPECT_EQ(frameAtTime(model, 1.0), 30u);
    EXPECT_EQ(frameAtTime(model, 100 / 30.0 + 0.01), 0u);
    EXPECT_EQ(frameAtTime(model, -0.01), 99u);
    EXPECT_EQ(frameAtTime(model, std::nan("")), 0u);
}

class TextureFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("texture_files_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        for (const char* name : {"Brick Wall Texture.jpg", "brickw~9.bmp", "GRASS.PNG", "sky.tga"})
            std::ofstream(dir / name) << "x";
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(TextureFiles, FoundWhateverTheCaseAndByShortNames) {
    EXPECT_EQ(findTextureFile(dir, "grass.png"), dir / "GRASS.PNG");
    EXPECT_EQ(findTextureFile(dir, "C:\\MAPS\\SKY.TGA"), dir / "sky.tga");
    EXPECT_EQ(findTextureFile(dir, "BRICKW~1.JPG"), dir / "Brick Wall Texture.jpg");
    EXPECT_EQ(findTextureFile(dir, "missing.jpg"), std::nullopt);
    EXPECT_EQ(findTextureFile(dir, ""), std::nullopt);
}

// File names reach the program as UTF-8 (or, on Linux, as whatever bytes
// they are): folders and names beyond ASCII are kept byte for byte.
TEST_F(TextureFiles, FoldersAndNamesBeyondAsciiKeepTheirBytes) {
    for (const std::string folder : {"Szenen f\xc3\xbcr \xd0\xb4\xd0\xbe\xd0\xbc", "lat\xfcn"}) {
        const fs::path sub = dir / pathFromUtf8(folder);
        fs::create_directories(sub);
        std::ofstream(sub / pathFromUtf8("\xc3\xa9t\xc3\xa9.png")) << "x";
        std::ofstream(sub / "WALL.JPG") << "x";
        EXPECT_EQ(utf8Name(sub.filename()), folder);
        EXPECT_EQ(findTextureFile(pathFromUtf8(utf8Name(sub)), "wall.jpg"), sub / "WALL.JPG");
        EXPECT_EQ(findTextureFile(sub, "\xc3\xa9t\xc3\xa9.png"),
                  sub / pathFromUtf8("\xc3\xa9t\xc3\xa9.png"));
    }
}

TEST(TexturePictures, DamagedPicturesAreRefusedWithAReason) {
    TexturePicture picture;
    std::string error;
    EXPECT_FALSE(decodeTexturePicture({0xFF, 0xD8, 0xFF, 0xE0, 0, 2}, picture, error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(decodeTexturePicture({'n', 'o', 'p', 'e'}, picture, error));
    EXPECT_NE(error.find("stb_image"), std::string::npos);
}

TEST(DrawLists, FacesOutsideTheMeshAndUnknownMaterialsAreSafe) {
    struct Empty : Model3ds {
        bool load(const char*) override { return false; }
    } model;
    Material3ds flat;
    flat.shading = 1;
    model.materials.push_back(flat);
    Mesh3ds mesh;
    mesh.resizeVertices(3);
    mesh.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    Face3ds inside{0, 1, 2};
    Face3ds outside{0, 1, 7};
    Face3ds strange{2, 1, 0};
    strange.materialIndex = 42;
    Face3ds flatFace{0, 2, 1};
    flatFace.normal = {0, 0, -1};
    mesh.faces = {inside, outside, strange, flatFace};
    const MeshDrawList list = buildDrawList(model, mesh);
    EXPECT_EQ(list.triangleCount, 3u);
    ASSERT_EQ(list.smooth.size(), 1u);
    // Material 0 is flat: two faces one vertex per corner; the unknown 42
    // draws with the default material.
    EXPECT_EQ(list.smooth[0].material, -1);
    EXPECT_EQ(list.smooth[0].indices, (std::vector<std::uint16_t>{2, 1, 0}));
    ASSERT_EQ(list.flat.size(), 1u);
    EXPECT_EQ(list.flat[0].count, 6u);
    EXPECT_EQ(list.flatNormals[3], (Vec3f{0, 0, -1}));
    EXPECT_EQ(meshEdges(mesh).size(), 6u);  // the triangle's three edges once
}

TEST(ScenePlayer, KeysStepLoopAndChangeTheView) {
    const fs::path file =
        fs::temp_directory_path() / ("player_" + std::to_string(::getpid()) + ".3ds");
    using namespace test3ds;
    std::vector<Chunk> editor;
    Chunk camera(0x4700);
    camera.floats({0, -10, 0, 0, 0, 0, 0, 50});
    editor.push_back(namedObject("Cam", camera));
    Chunk mesh(0x4100);
    mesh.add(vertexList({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}})).add(faceList({{0, 1, 2}}));
    editor.push_back(namedObject("Tri", mesh));
    const auto bytes = sceneFile(
        editor,
        {keyframer({objectNode({nodeHeader("Tri"), track(0xB020, 10, {{0, {0, 0, 0}}})})})});
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());

    Model3dsLoader loader;
    ScenePlayer player(loader);
    std::string error;
    ASSERT_TRUE(player.open(file.string(), error)) << error;
    fs::remove(file);
    EXPECT_EQ(player.frameCount(), 10u);
    EXPECT_EQ(player.camera(), 0);  // the file's first camera
    player.apply(*actionForKey(PlayerKey::Left));
    EXPECT_TRUE(player.paused());
    EXPECT_EQ(player.frame(), 9u);  // back from 0 wraps to the last frame
    player.apply(*actionForKey(PlayerKey::Right));
    EXPECT_EQ(player.frame(), 0u);
    player.advance(1.0);  // paused: stays
    EXPECT_EQ(player.frame(), 0u);
    player.apply(*actionForKey(PlayerKey::Space));
    player.advance(0.2);
    EXPECT_EQ(player.frame(), 6u);
    player.apply(*actionForKey(PlayerKey::T));
    EXPECT_EQ(player.camera(), -1);
    EXPECT_EQ(player.viewName(), "top view");
    player.apply(*actionForKey(PlayerKey::Tab));
    EXPECT_EQ(player.viewName(), "camera Cam");
    EXPECT_FALSE(player.chooseCamera("nobody"));
    player.apply(*actionForKey(PlayerKey::Escape));
    EXPECT_TRUE(player.quitRequested());
    EXPECT_NE(player.title(59.94).find("frame 7/10 - camera Cam - 59.9 fps"), std::string::npos);

    Model3dsLoader other;
    ScenePlayer refused(other);
    EXPECT_FALSE(refused.open("/nonexistent.3ds", error));
    EXPECT_NE(error.find("cannot open /nonexistent.3ds"), std::string::npos);
}

}  // namespace
