#include "scene/caged_sphere.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "runtime/render_context.h"
#include "scene/demo_random.h"
#include "tests/scene/gl_recorder.h"
#include "tests/scene/scene_test_util.h"
#include "tests/scene/scene_view.h"
#include "tests/support/gl_test_context.h"

namespace {

using scenetest::stateAfter;

class CagedSphereTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(gl.ok()); }
    GlTestContext gl{64, 64};
};

TEST_F(CagedSphereTest, GrowthSetsScaleAndHowMuchOfTheCageIsDrawn) {
    struct Case {
        double phaseTime;
        float scale;
        int cageSegments;
    };
    const Case cases[] = {
        {-3.0, 0.0f, 0}, {0.0, 0.0f, 0}, {2.5, 0.25f, 6}, {5.0, 1.0f, 21}, {12.0, 1.0f, 21},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "phase time " << c.phaseTime);
        seedRandom(4242);
        glrec::start();
        drawCagedSphere(Point4{1.0, 2.0, 3.0, 1}, 0.5, c.phaseTime);
        glrec::stop();
        EXPECT_EQ(demoRandom().state, stateAfter(4242, 4)) << "exactly four draws";

        const auto primitives = glrec::primitives();
        ASSERT_EQ(primitives.size(), 20u);
        for (int band = 0; band < 10; ++band) {
            EXPECT_EQ(primitives[band].mode, static_cast<GLenum>(GL_QUADS));
            EXPECT_EQ(primitives[band].vertices.size(), 21u * 4u);
            EXPECT_EQ(primitives[10 + band].mode, static_cast<GLenum>(GL_LINES));
            EXPECT_EQ(primitives[10 + band].vertices.size(), c.cageSegments * 4u);
        }
        ASSERT_EQ(glrec::count(GlCall::Scale), 1);
        for (const GlCall& call : glrec::calls()) {
            if (call.kind == GlCall::Scale) {
                EXPECT_NEAR(call.v[0], c.scale, 1e-6);
                EXPECT_EQ(call.v[0], call.v[1]);
                EXPECT_EQ(call.v[0], call.v[2]);
            }
        }
    }
}

TEST_F(CagedSphereTest, TurnsAboutItsRandomAxisByTheFourthDrawPerSecond) {
    seedRandom(777);
    const double r1 = random01(), r2 = random01(), r3 = random01(), r4 = random01();
    seedRandom(777);
    glrec::start();
    drawCagedSphere(Point4{-4.0, 0.5, 9.0, 1}, 1.0, 7.5);
    glrec::stop();
    const auto& calls = glrec::calls();
    // Save, move, turn, scale, in that order.
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[0].kind, GlCall::PushMatrix);
    EXPECT_EQ(calls[1].kind, GlCall::Translate);
    EXPECT_FLOAT_EQ(calls[1].v[0], -4.0f);
    EXPECT_FLOAT_EQ(calls[1].v[2], 9.0f);
    ASSERT_EQ(calls[2].kind, GlCall::Rotate);
    EXPECT_FLOAT_EQ(calls[2].v[0], static_cast<float>(r4 * 7.5));
    EXPECT_FLOAT_EQ(calls[2].v[1], static_cast<float>(r3 - 0.5));
    EXPECT_FLOAT_EQ(calls[2].v[2], static_cast<float>(r2 - 0.5));
    EXPECT_FLOAT_EQ(calls[2].v[3], static_cast<float>(r1 - 0.5));
    EXPECT_EQ(calls[3].kind, GlCall::Scale);
    EXPECT_EQ(calls.back().kind, GlCall::PopMatrix);
}

TEST_F(CagedSphereTest, StripedBandsOnTheSphereWithNarrowPoles) {
    const double a = 0.3;
    seedRandom(1);
    glrec::start();
    drawCagedSphere(Point4{0, 0, 0, 1}, a, 5.0);
    glrec::stop();

    // Colours inside each quad list alternate blue 0 and 1, starting at 0.
    int band = -1, quad = 0;
    bool inside = false;
    for (const GlCall& c : glrec::calls()) {
        if (c.kind == GlCall::Begin) {
            inside = c.e[0] == GL_QUADS;
            band += inside;
            quad = 0;
        } else if (c.kind == GlCall::End) {
            inside = false;
        } else if (inside && c.kind == GlCall::Color) {
            EXPECT_FLOAT_EQ(c.v[0], 0.2f);
            EXPECT_FLOAT_EQ(c.v[1], 0.4f);
            EXPECT_EQ(c.v[2], static_cast<float>(quad % 2)) << "band " << band << " quad " << quad;
            ++quad;
        } else if (inside && c.kind == GlCall::Normal) {
            EXPECT_NEAR(std::sqrt(c.v[0] * c.v[0] + c.v[1] * c.v[1] + c.v[2] * c.v[2]), 1.0, 1e-5);
        }
    }
    EXPECT_EQ(band, 9);

    const auto primitives = glrec::primitives();
    for (int b = 0; b < 10; ++b) {
        for (const GlCall& v : primitives[b].vertices) {
            // Every solid vertex lies at the same distance: a * sqrt(25.025).
            EXPECT_NEAR(std::sqrt(v.v[0] * v.v[0] + v.v[1] * v.v[1] + v.v[2] * v.v[2]),
                        a * std::sqrt(25.025), 1e-5);
        }
    }
    // The bottom ring of the first band and the top ring of the last sit at
    // 5 * sqrt(0.001) of the radius, not on the axis.
    const GlCall& bottom = primitives[0].vertices[0];
    EXPECT_NEAR(bottom.v[1], -5 * a, 1e-6);
    EXPECT_NEAR(std::hypot(bottom.v[0], bottom.v[2]), a * 5 * std::sqrt(0.001), 1e-6);
    const GlCall& top = primitives[9].vertices[1];
    EXPECT_NEAR(top.v[1], 5 * a, 1e-6);
    EXPECT_NEAR(std::hypot(top.v[0], top.v[2]), a * 5 * std::sqrt(0.001), 1e-6);
    // The 21st quad of a band lies over the first.
    const auto& first = primitives[4].vertices;
    EXPECT_NEAR(first[80].v[0], first[0].v[0], 1e-5);
    EXPECT_NEAR(first[80].v[2], first[0].v[2], 1e-5);
    // The cage sits just outside: 5.1 a at the equator ring.
    const GlCall& cageEquator = primitives[15].vertices[0];  // band k = 1: lower ring m = 0
    EXPECT_NEAR(cageEquator.v[1], 0.0, 1e-6);
    EXPECT_NEAR(std::hypot(cageEquator.v[0], cageEquator.v[2]), 5.1 * a * std::sqrt(1.001), 1e-5);
}

TEST_F(CagedSphereTest, LeavesBlendingAndDepthOnAndLightingAndTexturingOff) {
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glLineWidth(5.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    GLfloat before[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);

    drawCagedSphere(Point4{5, 5, 5, 1}, 1.0, 3.0);

    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLfloat color[4], width = 0, after[16];
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_FLOAT_EQ(color[0], 0.2f);
    EXPECT_FLOAT_EQ(color[1], 0.2f);
    EXPECT_FLOAT_EQ(color[2], 0.2f);
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 2.0f);
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(after[i], before[i]);
}

TEST(CagedSphereImage, RendersALitStripedSphereInItsCage) {
    constexpr int kSize = 320;
    GlTestContext gl(kSize, kSize);
    ASSERT_TRUE(gl.ok());
    useSceneView(kSize);
    // A pale background so the darkening cage shows around the sphere too.
    glClearColor(0.75f, 0.75f, 0.8f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    RenderContext& context = renderContext();
    context.setLight(-1.0, 0.3, 0.0, 1.0, 1.0, 1.0);
    context.applyLight();
    gluLookAt(0, 3, 9, 0, 0, 0, 0, 1, 0);
    context.setMaterial(0.0, 0.0, 0.5, 0.6, 0.6, 1.0);
    context.applyMaterial();
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR);
    seedRandom(40000);
    drawCagedSphere(Point4{0, 0, 0, 1}, 1.0, 5.0);

    const auto pixels = gl.readPixels();
    EXPECT_TRUE(scenetest::saveRgba("caged_sphere.png", pixels, kSize, kSize));
    // Corners show the background; the centre the lit sphere, not the background.
    const std::uint8_t* corner = scenetest::pixelAt(pixels, kSize, 2, 2);
    EXPECT_NEAR(corner[0], 191, 2);
    const std::uint8_t* centre = scenetest::pixelAt(pixels, kSize, kSize / 2, kSize / 2);
    EXPECT_FALSE(std::abs(centre[0] - 191) < 3 && std::abs(centre[2] - 204) < 3);
}

}  // namespace
