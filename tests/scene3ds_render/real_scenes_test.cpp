// The renderer on real 3DS files nobody here wrote (assimp's test models
// and any other 3DS file under /usr/share), against libassimp's reading of
// the same files: silhouettes in the front and top views and from the
// file's camera, an animated file at several times, textures that show,
// and the tangent frames drawn where the loader put them.
#include <gtest/gtest.h>
#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/node.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "runtime/render_context.h"
#include "scene/gl_headers.h"
#include "scene3ds/model3ds_loader.h"
#include "scene3ds/scene_extras.h"
#include "scene3ds_render/model_pose.h"
#include "scene3ds_render/scene_placement.h"
#include "scene3ds_render/scene_renderer.h"
#include "scene3ds_render/texture_files.h"
#include "tests/scene3ds_render/assimp_reference.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/png_writer.h"
#include "tests/support/tool_process.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
// Nothing the scenes draw is this exact colour.
constexpr std::array<float, 3> kMagenta{1.0f, 0.0f, 1.0f};

const std::string kModels = "/usr/share/assimp/models/3DS";

std::vector<std::string> realFiles() {
    std::vector<std::string> files = tool_process::filesWithExtension("/usr/share", {".3ds"});
    return files;
}

// lib3ds's camera at `frame` (its nodes' tracks, else the editor's):
// eye, target, lens angle and roll in degrees.
struct Lib3dsView {
    reference::Vec3 eye{}, target{};
    double fov = 45, roll = 0;
};
Lib3dsView lib3dsCamera(Lib3dsFile* file, const Lib3dsCamera* camera, double frame) {
    lib3ds_file_eval(file, static_cast<Lib3dsFloat>(frame));
    Lib3dsView v;
    v.eye = {camera->position[0], camera->position[1], camera->position[2]};
    v.target = {camera->target[0], camera->target[1], camera->target[2]};
    v.fov = camera->fov;
    v.roll = camera->roll;
    if (Lib3dsNode* node = lib3ds_file_node_by_name(file, camera->name, LIB3DS_CAMERA_NODE)) {
        const Lib3dsCameraData& d = node->data.camera;
        v.eye = {d.pos[0], d.pos[1], d.pos[2]};
        v.fov = d.fov;
        v.roll = d.roll;
    }
    if (Lib3dsNode* node = lib3ds_file_node_by_name(file, camera->name, LIB3DS_TARGET_NODE))
        v.target = {node->data.target.pos[0], node->data.target.pos[1], node->data.target.pos[2]};
    return v;
}

// The camera's right and up directions: up is +Z turned by the roll
// about the line of sight, away from the right.
std::pair<reference::Vec3, reference::Vec3> cameraRightUp(const Lib3dsView& v) {
    const reference::Vec3 f =
        reference::unit({v.target[0] - v.eye[0], v.target[1] - v.eye[1], v.target[2] - v.eye[2]});
    const reference::Vec3 right = reference::unit(reference::cross(f, {0, 0, 1}));
    const reference::Vec3 up0 = reference::cross(right, f);
    const double r = v.roll * 3.14159265358979 / 180.0;
    reference::Vec3 up, turnedRight;
    for (int k = 0; k < 3; ++k) {
        up[k] = up0[k] * std::cos(r) - right[k] * std::sin(r);
        turnedRight[k] = right[k] * std::cos(r) + up0[k] * std::sin(r);
    }
    return {turnedRight, up};
}

// assimp's triangles at `frame`, except that objects linked to a camera
// hang from the camera's own frame (X right, Y up, Z back from the line of
// sight) as lib3ds evaluates the camera: assimp turns a camera node about
// the scene's Z axis by its roll instead, which does not put such an
// object where the file's editor data has it.
std::vector<reference::Triangle> trianglesWithCameraParents(const aiScene* scene, Lib3dsFile* file,
                                                            double frame) {
    std::vector<reference::Triangle> out;
    std::function<void(const aiNode*, const aiMatrix4x4&)> collect =
        [&](const aiNode* node, const aiMatrix4x4& parent) {
            aiMatrix4x4 world = parent * reference::localTransform(scene, node, frame);
            for (const Lib3dsCamera* c = file->cameras; c != nullptr; c = c->next) {
                if (std::string(c->name) != node->mName.C_Str()) continue;
                const Lib3dsView v = lib3dsCamera(file, c, frame);
                const auto [right, up] = cameraRightUp(v);
                const reference::Vec3 back = reference::cross(right, up);
                // In the file's own coordinates, as everything below the root.
                world = aiMatrix4x4(right[0], up[0], back[0], v.eye[0], right[1], up[1], back[1],
                                    v.eye[1], right[2], up[2], back[2], v.eye[2], 0, 0, 0, 1);
            }
            for (unsigned m = 0; m < node->mNumMeshes; ++m) {
                const aiMesh* mesh = scene->mMeshes[node->mMeshes[m]];
                for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
                    const aiFace& face = mesh->mFaces[f];
                    if (face.mNumIndices != 3) continue;
                    reference::Triangle t;
                    for (int k = 0; k < 3; ++k) {
                        const aiVector3D p = world * mesh->mVertices[face.mIndices[k]];
                        t[k] = {p.x, p.y, p.z};
                    }
                    out.push_back(t);
                }
            }
            for (unsigned i = 0; i < node->mNumChildren; ++i) collect(node->mChildren[i], world);
        };
    collect(scene->mRootNode, reference::undoRootTurn(scene));
    return out;
}

DrawOptions magentaBackground() {
    DrawOptions options;
    options.background = kMagenta;
    return options;
}

class RealScenes : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { context = std::make_unique<GlTestContext>(kWidth, kHeight); }
    static void TearDownTestSuite() { context.reset(); }
    static inline std::unique_ptr<GlTestContext> context;

    // Draws `model` and returns the picture, RGBA rows top first.
    std::vector<std::uint8_t> draw(const Model3ds& model, const std::string& path,
                                   std::uint32_t frame, const ViewSetup& view,
                                   DrawOptions options = magentaBackground()) {
        SceneRenderer renderer;
        std::vector<std::string> warnings;
        renderer.setUp(model, fs::path(path).parent_path(), renderContext(), warnings,
                       readSceneExtrasFile(path.c_str()));
        renderer.draw(frame, view, kWidth, kHeight, options);
        glFinish();
        return context->readPixels();
    }

    static std::vector<char> covered(const std::vector<std::uint8_t>& rgba) {
        std::vector<char> mask(rgba.size() / 4);
        for (size_t i = 0; i < mask.size(); ++i)
            mask[i] = !(rgba[4 * i] == 255 && rgba[4 * i + 1] == 0 && rgba[4 * i + 2] == 255);
        return mask;
    }

    static ScenePlacement placementOf(const Model3ds& model, const std::string& path) {
        ScenePlacement placement;
        placement.build(model, readSceneExtrasFile(path.c_str()));
        return placement;
    }

    static void keep(const std::string& name, const std::vector<std::uint8_t>& rgba) {
        writePng((fs::temp_directory_path() / ("real_scene_" + name + ".png")).string(), rgba,
                 kWidth, kHeight, 4);
    }
};

TEST_F(RealScenes, FindsTheAssimpModels) {
    ASSERT_TRUE(context->ok());
    EXPECT_GE(realFiles().size(), 8u) << "is assimp-testmodels installed?";
}

// Every file at its first frame; files whose children follow their
// parents at several frames too, placed through the node tree.
TEST_F(RealScenes, FrontAndTopSilhouettesMatchAssimp) {
    int compared = 0, hierarchies = 0;
    for (const std::string& path : realFiles()) {
        auto model = std::make_unique<Model3dsLoader>();
        if (!model->load(path.c_str())) continue;
        reference::Scene theirs(path);
        if (theirs.scene == nullptr || reference::triangles(theirs.scene).empty()) continue;
        SceneExtras extras = readSceneExtrasFile(path.c_str());
        ScenePlacement placement;
        placement.build(*model, std::move(extras));
        const bool hierarchy = reference::hasHierarchy(theirs.scene->mRootNode);
        hierarchies += hierarchy;
        std::vector<std::uint32_t> frames{0};
        if (hierarchy) frames = {0, 40, 100, 200};
        Lib3dsFile* file = hierarchy ? lib3ds_file_load(path.c_str()) : nullptr;
        for (std::uint32_t frame : frames) {
            const auto tris = file ? trianglesWithCameraParents(theirs.scene, file, frame)
                                   : reference::triangles(theirs.scene);
            for (AxisView view : {AxisView::Front, AxisView::Top}) {
                SCOPED_TRACE(path + " " + axisViewName(view) + " frame " + std::to_string(frame));
                const ViewSetup setup =
                    axisViewSetup(view, {}, placement.bounds(frame), kWidth, kHeight);
                const auto ours = draw(*model, path, frame, setup);
                const reference::AxisProjection projection(view == AxisView::Top, tris, kWidth,
                                                           kHeight);
                const auto expected = reference::silhouette(tris, projection, kWidth, kHeight);
                const double iou = reference::intersectionOverUnion(covered(ours), expected);
                std::printf("%-60s %-5s %3u IoU %.4f\n", path.c_str(), axisViewName(view), frame,
                            iou);
                if (iou < 0.95) {
                    const std::string name = fs::path(path).stem().string() + "_" +
                                             axisViewName(view) + "_" + std::to_string(frame);
                    keep(name, ours);
                    std::vector<std::uint8_t> mask(ours.size(), 255);
                    for (size_t i = 0; i < expected.size(); ++i)
                        if (!expected[i]) mask[4 * i] = mask[4 * i + 1] = mask[4 * i + 2] = 0;
                    keep(name + "_assimp", mask);
                }
                EXPECT_GE(iou, 0.95);
                ++compared;
            }
        }
        if (file) lib3ds_file_free(file);
    }
    EXPECT_GE(compared, 200);
    EXPECT_GE(hierarchies, 20) << "CameraRollAnimWithChildObject.3ds has a child object";
}
}  // namespace

namespace {

// assimp's 3DS cameras keep neither the target nor the lens, so the
// camera comes from lib3ds, a second independent reader, evaluated at each
// frame from its own tracks; the scene is assimp's at that frame. The
// field of view is horizontal, as 3D Studio's lens gives it.
TEST_F(RealScenes, CameraViewsMatchLib3dsCamerasAsTheyMove) {
    int compared = 0, moving = 0;
    for (const std::string& path : realFiles()) {
        auto model = std::make_unique<Model3dsLoader>();
        if (!model->load(path.c_str()) || model->cameras.empty()) continue;
        reference::Scene theirs(path);
        if (theirs.scene == nullptr) continue;
        Lib3dsFile* file = lib3ds_file_load(path.c_str());
        if (file == nullptr || file->cameras == nullptr) {
            if (file) lib3ds_file_free(file);
            continue;
        }
        ScenePlacement placement;
        placement.build(*model, readSceneExtrasFile(path.c_str()));
        const Lib3dsCamera* camera = file->cameras;
        std::vector<char> first;
        for (std::uint32_t frame : {0u, 50u, 120u, 250u}) {
            SCOPED_TRACE(path + " frame " + std::to_string(frame));
            const Lib3dsView v = lib3dsCamera(file, camera, frame);
            const reference::Vec3 forward{v.target[0] - v.eye[0], v.target[1] - v.eye[1],
                                          v.target[2] - v.eye[2]};
            const reference::Vec3 up = cameraRightUp(v).second;
            const reference::Vec3& eye = v.eye;
            const double fov = v.fov;
            const reference::CameraProjection projection(
                eye, forward, up, fov * 3.14159265358979 / 180.0, kWidth, kHeight);
            const auto expected = reference::silhouette(
                trianglesWithCameraParents(theirs.scene, file, frame), projection, kWidth, kHeight);
            const ViewSetup setup = cameraViewSetup(placement.camera(0, frame), {},
                                                    placement.bounds(frame), kWidth, kHeight);
            const auto ours = covered(draw(*model, path, frame, setup));
            const double iou = reference::intersectionOverUnion(ours, expected);
            std::printf("%-60s camera %3u IoU %.4f\n", path.c_str(), frame, iou);
            EXPECT_GE(iou, 0.95);
            ++compared;
            if (first.empty())
                first = ours;
            else
                moving += reference::intersectionOverUnion(first, ours) < 0.98;
        }
        lib3ds_file_free(file);
    }
    EXPECT_GE(compared, 8);
    // The animated cameras do move, roll or zoom.
    EXPECT_GE(moving, 4);
}

TEST_F(RealScenes, AnimatedFilesFollowAssimpsAnimation) {
    const std::string path = kModels + "/RotatingCube.3DS";
    auto model = std::make_unique<Model3dsLoader>();
    ASSERT_TRUE(model->load(path.c_str()));
    reference::Scene theirs(path);
    ASSERT_NE(theirs.scene, nullptr);
    ASSERT_GT(theirs.scene->mNumAnimations, 0u);
    ASSERT_GT(model->frameCount, 40u);
    const std::vector<char>* previous = nullptr;
    std::vector<std::vector<char>> masks;
    masks.reserve(4);
    for (std::uint32_t frame : {0u, 10u, 20u, 35u}) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        const auto tris = reference::triangles(theirs.scene, frame);
        const reference::AxisProjection projection(false, tris, kWidth, kHeight);
        const ViewSetup setup = axisViewSetup(
            AxisView::Front, {}, placementOf(*model, path).bounds(frame), kWidth, kHeight);
        const auto ours = draw(*model, path, frame, setup);
        masks.push_back(covered(ours));
        const double iou = reference::intersectionOverUnion(
            masks.back(), reference::silhouette(tris, projection, kWidth, kHeight));
        std::printf("RotatingCube frame %u IoU %.4f\n", frame, iou);
        EXPECT_GE(iou, 0.95);
        // The cube does turn: frames differ from the first.
        if (previous) {
            EXPECT_LT(reference::intersectionOverUnion(*previous, masks.back()), 0.999);
        }
        previous = &masks.front();
    }
}

TEST_F(RealScenes, TexturedFilesShowTheirTextures) {
    int compared = 0;
    for (const std::string& path : realFiles()) {
        auto model = std::make_unique<Model3dsLoader>();
        if (!model->load(path.c_str())) continue;
        // Files whose every material has the same existing texture map.
        std::string texture;
        bool one = !model->materials.empty();
        for (const Material3ds& m : model->materials) {
            if (texture.empty()) texture = m.maps[0].fileName;
            one = one && !texture.empty() && texture == m.maps[0].fileName;
        }
        if (!one) continue;
        const auto file = findTextureFile(fs::path(path).parent_path(), texture);
        TexturePicture picture;
        std::string error;
        if (!file || !loadTexturePicture(*file, picture, error)) continue;
        SCOPED_TRACE(path + " with " + file->string());
        // Lighting scales brightness, not hue: every clearly lit drawn pixel
        // has a hue (its colour as shares of its sum) that the texture has.
        auto hue = [](const std::uint8_t* p) {
            const double sum = p[0] + p[1] + p[2];
            return std::make_pair(static_cast<int>(p[0] / sum * 50),
                                  static_cast<int>(p[1] / sum * 50));
        };
        std::set<std::pair<int, int>> textureHues;
        for (size_t i = 0; i < picture.rgba.size(); i += 4)
            if (picture.rgba[i] + picture.rgba[i + 1] + picture.rgba[i + 2] > 30)
                textureHues.insert(hue(&picture.rgba[i]));
        const ViewSetup setup =
            axisViewSetup(AxisView::Front, {}, sceneBounds(*model, 0), kWidth, kHeight);
        DrawOptions options;
        options.background = {0, 0, 0};
        const auto ours = draw(*model, path, 0, setup, options);
        int lit = 0, found = 0;
        for (size_t i = 0; i < ours.size(); i += 4) {
            if (ours[i] + ours[i + 1] + ours[i + 2] < 90) continue;
            ++lit;
            const auto [r, g] = hue(&ours[i]);
            bool near = false;
            for (int dr = -1; dr <= 1; ++dr)
                for (int dg = -1; dg <= 1; ++dg) near = near || textureHues.count({r + dr, g + dg});
            found += near;
        }
        std::printf("%-60s %d lit pixels, %d in the texture's hues\n", path.c_str(), lit, found);
        EXPECT_GT(lit, kWidth * kHeight / 10);
        EXPECT_GE(found, lit * 9 / 10);
        // And not the material's own colour alone.
        std::set<std::pair<int, int>> drawnHues;
        for (size_t i = 0; i < ours.size(); i += 4)
            if (ours[i] + ours[i + 1] + ours[i + 2] >= 90) drawnHues.insert(hue(&ours[i]));
        EXPECT_GE(drawnHues.size(), 2u);
        ++compared;
    }
    EXPECT_GE(compared, 1);
}

TEST_F(RealScenes, TangentFramesAreDrawnWhereTheLoaderPutThem) {
    const std::string path = kModels + "/test1.3ds";
    auto model = std::make_unique<Model3dsLoader>();
    ASSERT_TRUE(model->load(path.c_str()));
    const ViewSetup setup =
        axisViewSetup(AxisView::Top, {}, placementOf(*model, path).bounds(0), kWidth, kHeight);
    DrawOptions options;
    options.tangentFrames = true;
    SceneRenderer renderer;
    renderer.prepare(*model);
    const float length = renderer.lineLength();
    const auto ours = draw(*model, path, 0, setup, options);
    // Each frame's tangent (red), binormal (green) and normal (blue), from
    // the loader's lists through the mesh's placement, in the order they
    // are drawn; the pixel a little way along each long enough line shows
    // the colour of the last line drawn through it.
    struct Segment {
        std::array<double, 2> a, b;
        int colour;
    };
    std::vector<Segment> segments;
    const ScenePlacement placement = placementOf(*model, path);
    for (const MeshInstance& instance : placement.instances()) {
        const Mesh3ds& mesh = model->meshes[instance.mesh];
        const Matrix4f m = placement.transform(instance, 0);
        for (size_t v = 0; v < mesh.positions.size(); ++v) {
            const Vec3f& p = mesh.positions[v];
            const std::array<const Vec3f*, 3> axes{&mesh.tangents[v], &mesh.binormals[v],
                                                   &mesh.normals[v]};
            for (int a = 0; a < 3; ++a) {
                const Vec3f& d = *axes[a];
                const auto from = transformPoint(m, p);
                const auto to = transformPoint(
                    m, {p[0] + d[0] * length, p[1] + d[1] * length, p[2] + d[2] * length});
                segments.push_back(
                    {projectOrthographic(setup, {from[0], from[1], from[2]}, kWidth, kHeight),
                     projectOrthographic(setup, {to[0], to[1], to[2]}, kWidth, kHeight), a});
            }
        }
    }
    auto distance = [](const Segment& s, double x, double y) {
        const double dx = s.b[0] - s.a[0], dy = s.b[1] - s.a[1];
        const double t =
            std::clamp(((x - s.a[0]) * dx + (y - s.a[1]) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        return std::hypot(s.a[0] + t * dx - x, s.a[1] + t * dy - y);
    };
    int checked = 0, matched = 0;
    for (const Segment& segment : segments) {
        if (std::hypot(segment.b[0] - segment.a[0], segment.b[1] - segment.a[1]) < 6) continue;
        const int x = static_cast<int>(segment.a[0] + 0.6 * (segment.b[0] - segment.a[0]));
        const int y = static_cast<int>(segment.a[1] + 0.6 * (segment.b[1] - segment.a[1]));
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) continue;
        int expected = -1;
        for (const Segment& other : segments)
            if (distance(other, x + 0.5, y + 0.5) < 0.35) expected = other.colour;
        if (expected < 0) continue;
        const std::uint8_t* px = &ours[(static_cast<size_t>(y) * kWidth + x) * 4];
        ++checked;
        matched +=
            px[expected] > 128 && px[(expected + 1) % 3] < 100 && px[(expected + 2) % 3] < 100;
    }
    std::printf("tangent-frame lines checked %d, in their colour %d\n", checked, matched);
    EXPECT_GE(checked, 20);
    EXPECT_GE(matched, checked * 8 / 10);
}

}  // namespace

TEST_F(RealScenes, BufferObjectsDrawWhatClientArraysDraw) {
    // The system's GL keeps the meshes in buffer objects; drawn from memory
    // (as the layer draws) every pixel is the same, filled and wired, with
    // smooth and flat meshes, textures and wire materials among the files.
    // Draw lists made again leave the old buffers unused until the next
    // set-up, which lets them go and makes new ones.
    int compared = 0, fromBuffers = 0;
    for (const std::string& path : realFiles()) {
        auto model = std::make_unique<Model3dsLoader>();
        if (!model->load(path.c_str())) continue;
        SCOPED_TRACE(path);
        const fs::path folder = fs::path(path).parent_path();
        const ViewSetup setup =
            axisViewSetup(AxisView::Front, {}, sceneBounds(*model, 0), kWidth, kHeight);
        for (bool wire : {false, true}) {
            DrawOptions options = magentaBackground();
            options.wire = wire;
            std::vector<std::uint8_t> pictures[3];
            for (int way = 0; way < 3; ++way) {
                SceneRenderer renderer;
                renderer.useBufferObjects(way != 1);
                std::vector<std::string> warnings;
                renderer.setUp(*model, folder, renderContext(), warnings,
                               readSceneExtrasFile(path.c_str()));
                if (way == 0 && !wire) fromBuffers += renderer.drawsFromBufferObjects();
                if (way == 2) {
                    renderer.prepare(*model, readSceneExtrasFile(path.c_str()));
                    EXPECT_FALSE(renderer.drawsFromBufferObjects());
                    renderer.setUpGl(folder, renderContext(), warnings);
                }
                renderer.draw(0, setup, kWidth, kHeight, options);
                glFinish();
                pictures[way] = context->readPixels();
            }
            EXPECT_TRUE(pictures[0] == pictures[1]) << (wire ? "wired" : "filled");
            EXPECT_TRUE(pictures[2] == pictures[1]) << (wire ? "wired" : "filled");
        }
        ++compared;
    }
    EXPECT_GE(compared, 100);
    EXPECT_EQ(fromBuffers, compared);
}
