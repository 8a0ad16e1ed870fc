// The renderer on real 3DS files nobody here wrote (assimp's test models
// and any other 3DS file under /usr/share), against libassimp's reading of
// the same files: silhouettes in the front and top views and from the
// file's camera, an animated file at several times, textures that show,
// and the tangent frames drawn where the loader put them.
#include <gtest/gtest.h>
#include <lib3ds/camera.h>
#include <lib3ds/file.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include "runtime/render_context.h"
#include "scene/gl_headers.h"
#include "scene3ds/model3ds_loader.h"
#include "scene3ds_render/model_pose.h"
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
        renderer.setUp(model, fs::path(path).parent_path(), renderContext(), warnings);
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

    static void keep(const std::string& name, const std::vector<std::uint8_t>& rgba) {
        writePng((fs::temp_directory_path() / ("real_scene_" + name + ".png")).string(), rgba,
                 kWidth, kHeight, 4);
    }
};

TEST_F(RealScenes, FindsTheAssimpModels) {
    ASSERT_TRUE(context->ok());
    EXPECT_GE(realFiles().size(), 8u) << "is assimp-testmodels installed?";
}

TEST_F(RealScenes, FrontAndTopSilhouettesMatchAssimp) {
    int compared = 0;
    for (const std::string& path : realFiles()) {
        auto model = std::make_unique<Model3dsLoader>();
        if (!model->load(path.c_str())) continue;
        reference::Scene theirs(path);
        if (theirs.scene == nullptr) continue;
        const auto tris = reference::triangles(theirs.scene);
        if (tris.empty()) continue;
        if (reference::hasHierarchy(theirs.scene->mRootNode)) {
            std::printf("%-60s has a hierarchy: not compared\n", path.c_str());
            continue;
        }
        for (AxisView view : {AxisView::Front, AxisView::Top}) {
            SCOPED_TRACE(path + " " + axisViewName(view));
            const ViewSetup setup =
                axisViewSetup(view, {}, sceneBounds(*model, 0), kWidth, kHeight);
            const auto ours = draw(*model, path, 0, setup);
            const reference::AxisProjection projection(view == AxisView::Top, tris, kWidth,
                                                       kHeight);
            const auto expected = reference::silhouette(tris, projection, kWidth, kHeight);
            const double iou = reference::intersectionOverUnion(covered(ours), expected);
            std::printf("%-60s %-5s IoU %.4f\n", path.c_str(), axisViewName(view), iou);
            if (iou < 0.95) {
                keep(fs::path(path).stem().string() + "_" + axisViewName(view), ours);
                std::vector<std::uint8_t> mask(ours.size(), 255);
                for (size_t i = 0; i < expected.size(); ++i)
                    if (!expected[i]) mask[4 * i] = mask[4 * i + 1] = mask[4 * i + 2] = 0;
                keep(fs::path(path).stem().string() + "_" + axisViewName(view) + "_assimp", mask);
            }
            EXPECT_GE(iou, 0.95);
            ++compared;
        }
    }
    EXPECT_GE(compared, 12);
}

}  // namespace

namespace {

// assimp's 3DS cameras keep neither the target nor the lens, so the
// camera comes from lib3ds, a second independent reader; the scene is
// assimp's. The field of view is horizontal, as 3D Studio's lens gives it.
TEST_F(RealScenes, CameraViewsMatchLib3dsCameras) {
    int compared = 0;
    for (const std::string& path : realFiles()) {
        auto model = std::make_unique<Model3dsLoader>();
        if (!model->load(path.c_str()) || model->cameras.empty()) continue;
        reference::Scene theirs(path);
        if (theirs.scene == nullptr) continue;
        if (reference::hasHierarchy(theirs.scene->mRootNode)) continue;
        Lib3dsFile* file = lib3ds_file_load(path.c_str());
        if (file == nullptr || file->cameras == nullptr) {
            if (file) lib3ds_file_free(file);
            continue;
        }
        SCOPED_TRACE(path);
        const Lib3dsCamera* camera = file->cameras;
        const reference::Vec3 eye{camera->position[0], camera->position[1], camera->position[2]};
        const reference::Vec3 forward{camera->target[0] - eye[0], camera->target[1] - eye[1],
                                      camera->target[2] - eye[2]};
        // Up is +Z turned by the roll about the line of sight.
        const reference::Vec3 f = reference::unit(forward);
        const reference::Vec3 right = reference::unit(reference::cross(f, {0, 0, 1}));
        const reference::Vec3 up0 = reference::cross(right, f);
        const double roll = camera->roll * 3.14159265358979 / 180.0;
        const reference::Vec3 up{up0[0] * std::cos(roll) - right[0] * std::sin(roll),
                                 up0[1] * std::cos(roll) - right[1] * std::sin(roll),
                                 up0[2] * std::cos(roll) - right[2] * std::sin(roll)};
        const reference::CameraProjection projection(
            eye, forward, up, camera->fov * 3.14159265358979 / 180.0, kWidth, kHeight);
        lib3ds_file_free(file);
        const auto expected =
            reference::silhouette(reference::triangles(theirs.scene), projection, kWidth, kHeight);
        const ViewSetup setup =
            cameraViewSetup(model->cameras[0], {}, sceneBounds(*model, 0), kWidth, kHeight);
        const auto ours = draw(*model, path, 0, setup);
        const double iou = reference::intersectionOverUnion(covered(ours), expected);
        std::printf("%-60s camera IoU %.4f\n", path.c_str(), iou);
        if (iou < 0.95) keep(fs::path(path).stem().string() + "_camera", ours);
        EXPECT_GE(iou, 0.95);
        ++compared;
    }
    EXPECT_GE(compared, 2);
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
        const ViewSetup setup =
            axisViewSetup(AxisView::Front, {}, sceneBounds(*model, frame), kWidth, kHeight);
        const auto ours = draw(*model, path, frame, setup);
        masks.push_back(covered(ours));
        const double iou = reference::intersectionOverUnion(
            masks.back(), reference::silhouette(tris, projection, kWidth, kHeight));
        std::printf("RotatingCube frame %u IoU %.4f\n", frame, iou);
        EXPECT_GE(iou, 0.95);
        // The cube does turn: frames differ from the first.
        if (previous) EXPECT_LT(reference::intersectionOverUnion(*previous, masks.back()), 0.999);
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
        axisViewSetup(AxisView::Top, {}, sceneBounds(*model, 0), kWidth, kHeight);
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
    for (size_t i = 0; i < model->meshes.size(); ++i) {
        const Mesh3ds& mesh = model->meshes[i];
        const Matrix4f m = meshTransform(*model, i, 0);
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
