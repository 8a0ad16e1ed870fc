#include "scene/main_scene.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "runtime/render_context.h"
#include "tests/scene/gl_recorder.h"
#include "tests/scene/scene_fixture.h"
#include "tests/scene/scene_test_util.h"
#include "tests/support/gl_test_context.h"
#include "texturing/texture_slots.h"

namespace {

// The scene's textures come from the generated pictures in build/bin/textures
// (the tests run in build/bin).
class MainSceneInitTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        if (std::FILE* f = std::fopen("textures/blob41bc.jpg", "rb")) {
            std::fclose(f);
        } else {
            GTEST_SKIP() << "textures/ not built: run the 'textures' target";
        }
    }
    GlTestContext gl{64, 64};
};

TEST_F(MainSceneInitTest, CreatesTheTexturesInTheirSlotsInOrder) {
    RenderContext& context = renderContext();
    for (int slot : {0, 1, 10, 12, 20, 40, 41}) context.textureIds[slot] = 0;
    MainScene scene;
    scene.sceneTime = 3.0;
    scene.timeAccumulator = 7.0;
    scene.slotBase = 5;
    glrec::start();
    scene.init(context);
    glrec::stop();

    EXPECT_EQ(scene.sceneTime, 0.0);
    EXPECT_EQ(scene.timeAccumulator, 0.0);
    EXPECT_EQ(scene.slotBase, 0);
    // Creation order: 1, 0, 20 (blank), 10, 12, 20 (clouds), 40, 41.
    std::vector<GLuint> bound;
    for (const GlCall& c : glrec::calls())
        if (c.kind == GlCall::BindTexture) bound.push_back(c.e[1]);
    const std::uint32_t* ids = context.textureIds;
    ASSERT_EQ(bound.size(), 8u);
    EXPECT_EQ(bound[0], ids[1]);
    EXPECT_EQ(bound[1], ids[0]);
    const GLuint blankCloudSlot = bound[2];
    EXPECT_EQ(bound[3], ids[10]);
    EXPECT_EQ(bound[4], ids[12]);
    EXPECT_EQ(bound[5], ids[20]);
    EXPECT_EQ(bound[6], ids[40]);
    EXPECT_EQ(bound[7], ids[41]);
    EXPECT_NE(ids[20], blankCloudSlot);
    EXPECT_NE(ids[10], ids[12]);
    for (int slot : {0, 1, 10, 12, 20, 40, 41}) EXPECT_NE(ids[slot], 0u) << "slot " << slot;

    struct Size {
        int slot, width, height;
    };
    for (const Size& s : {Size{0, 1024, 1024}, Size{1, 128, 128}}) {
        glBindTexture(GL_TEXTURE_2D, ids[s.slot]);
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        EXPECT_EQ(w, s.width);
        EXPECT_EQ(h, s.height);
    }
    // The clouds carry alpha; the blank texture made before them did not.
    GLint alphaBits = 0;
    glBindTexture(GL_TEXTURE_2D, ids[20]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaBits);
    EXPECT_GT(alphaBits, 0);
    glBindTexture(GL_TEXTURE_2D, blankCloudSlot);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaBits);
    EXPECT_EQ(alphaBits, 0);
}

// The show at ten moments with its real textures, written to
// build/bin/scene_images/frame_NNs.png to look at.
TEST_F(MainSceneInitTest, RendersTheShowWithItsTextures) {
    scenetest::SceneFrame frame(800, 600);
    ASSERT_TRUE(frame.ok());
    RenderContext& context = renderContext();
    loadFilmTexture(context);
    frame.scene.init(context);
    for (double t : {0.0, 5.0, 12.0, 20.0, 30.0, 36.0, 45.0, 60.0, 74.0, 79.0}) {
        frame.renderAt(t);
        const auto pixels = frame.gl.readPixels();
        char name[32];
        std::snprintf(name, sizeof name, "frame_%02.0fs.png", t);
        EXPECT_TRUE(scenetest::saveRgba(name, pixels, 800, 600));
        // Nothing is left unpainted black over the whole picture: the sky
        // sphere, stars and grain cover it.
        long sum = 0;
        for (std::size_t i = 0; i < pixels.size(); i += 4)
            sum += pixels[i] + pixels[i + 1] + pixels[i + 2];
        EXPECT_GT(sum, 0) << name;
    }
}

}  // namespace
