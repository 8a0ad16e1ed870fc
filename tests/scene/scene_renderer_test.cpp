#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "runtime/render_context.h"
#include "scene/demo_random.h"
#include "scene/scene_layers.h"
#include "tests/scene/gl_recorder.h"
#include "tests/scene/scene_fixture.h"
#include "tests/scene/scene_test_util.h"

namespace {

using scenetest::lookAtMatrix;
using scenetest::SceneFrame;

class SceneRendererTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(frame.ok()); }

    // The view as applied: the modelview matrix saved by the frame's second
    // glPushMatrix (the first sphere, drawn right after the camera).
    std::array<float, 16> viewAt(double t) {
        frame.recordAt(t, true);
        int pushes = 0;
        for (const GlCall& c : glrec::calls()) {
            if (c.kind == GlCall::PushMatrix && ++pushes == 2) return glrec::matrices()[c.matrix];
        }
        ADD_FAILURE() << "no second push";
        return {};
    }

    static void expectMatrixNear(const std::array<float, 16>& actual,
                                 const std::array<float, 16>& expected, float tolerance) {
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(actual[i], expected[i], tolerance) << "entry " << i;
    }

    // Quad lists of a caged sphere's solid pass: 21 quads, 84 vertices.
    static int sphereCount() {
        int bands = 0;
        for (const auto& p : glrec::primitives())
            bands += p.mode == GL_QUADS && p.vertices.size() == 84u;
        return bands / 10;
    }
    static int fallingPointCount() {
        for (const auto& p : glrec::primitives())
            if (p.mode == GL_POINTS) return static_cast<int>(p.vertices.size());
        return -1;
    }
    static int floorTileCount() {
        int tiles = 0;
        for (const auto& p : glrec::primitives()) {
            tiles += p.mode == GL_QUADS && p.vertices.size() == 4u && p.vertices[0].v[0] == -1.0f &&
                     p.vertices[0].v[1] == 0.0f && p.vertices[0].v[2] == -1.0f;
        }
        return tiles;
    }

    struct Star {
        float x, y, z, size;
    };
    // The star sprites: the translations and scales made after slot 10 is bound.
    static std::vector<Star> stars() {
        std::vector<Star> out;
        bool inStars = false;
        const GLuint starTexture = renderContext().textureIds[10];
        for (const GlCall& c : glrec::calls()) {
            if (c.kind == GlCall::BindTexture) inStars = c.e[1] == starTexture;
            if (!inStars) continue;
            if (c.kind == GlCall::Translate) out.push_back({c.v[0], c.v[1], c.v[2], 0});
            if (c.kind == GlCall::Scale && !out.empty()) out.back().size = c.v[0];
        }
        return out;
    }

    SceneFrame frame;
};

TEST_F(SceneRendererTest, CameraStartsAtTheBaseAndIsKeyOneAt24Seconds) {
    expectMatrixNear(viewAt(0.0), lookAtMatrix(0, 40, 5, 0, -20, 0, 0, 1, 0), 1e-5f);
    const double t = 24.0;
    expectMatrixNear(
        viewAt(t),
        lookAtMatrix(25 * std::sin(0.3 * t), -10, 25 * std::cos(0.3 * t), 0, 0, 0, 0, 1, 0), 1e-5f);
}

TEST_F(SceneRendererTest, KeyOneHasHalfItsWeightAt14Seconds) {
    const double t = 14.0;
    const double base[3] = {5 * std::sin(0.1 * t), 40, 5 * std::cos(0.1 * t)};
    const double key[3] = {25 * std::sin(0.3 * t), -10, 25 * std::cos(0.3 * t)};
    expectMatrixNear(viewAt(t),
                     lookAtMatrix((base[0] + key[0]) / 2, (base[1] + key[1]) / 2,
                                  (base[2] + key[2]) / 2, 0, -10, 0, 0, 1, 0),
                     1e-5f);
}

TEST_F(SceneRendererTest, ClosingViewLooksStraightDownWithXUp) {
    // From about 77.56 s only key 4 counts: eye (0, 3, 0), up along x.
    expectMatrixNear(viewAt(79.0), lookAtMatrix(0, 3, 0, 0, 0, 0, 1, 0, 0), 1e-5f);
}

TEST_F(SceneRendererTest, SecondActStartsStrictlyAfter34Point3Seconds) {
    struct Case {
        double t;
        int spheres, points, tiles;
    };
    const Case cases[] = {
        {0.0, 19, 0, 0}, {17.0, 19, 0, 0},   {20.0, 19, 200, 0}, {34.29, 19, 200, 0},
        {34.3, 2, 0, 0}, {34.31, 2, 0, 400}, {60.0, 2, 0, 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "t = " << c.t);
        frame.recordAt(c.t);
        EXPECT_EQ(sphereCount(), c.spheres);
        EXPECT_EQ(fallingPointCount(), c.points);
        EXPECT_EQ(floorTileCount(), c.tiles);
    }
}

TEST_F(SceneRendererTest, StarPatternChangesOnlyAt34Point3Seconds) {
    frame.recordAt(0.0);
    const auto early = stars();
    ASSERT_EQ(early.size(), 1500u);
    EXPECT_NEAR(early[0].x, -34.0882, 1e-3);
    EXPECT_NEAR(early[0].y, 49.3758, 1e-3);
    EXPECT_NEAR(early[0].z, 0.1498, 1e-3);
    EXPECT_NEAR(early[0].size, 0.6401, 1e-4);
    for (const Star& s : early)
        EXPECT_NEAR(std::sqrt(s.x * s.x + s.y * s.y + s.z * s.z), 60.0, 1e-3);

    frame.recordAt(34.2999);
    const auto lateEarly = stars();
    frame.recordAt(34.3);
    const auto late = stars();
    ASSERT_EQ(late.size(), 1500u);
    EXPECT_NEAR(late[0].x, -31.5469, 1e-3);
    EXPECT_NEAR(late[0].y, 50.6085, 1e-3);
    EXPECT_NEAR(late[0].z, 6.6008, 1e-3);
    EXPECT_NEAR(late[0].size, 0.2091, 1e-4);
    frame.recordAt(79.0);
    const auto end = stars();

    int sameBefore = 0, sameAfter = 0, sameAcross = 0;
    for (std::size_t i = 0; i < 1500; ++i) {
        sameBefore += early[i].x == lateEarly[i].x && early[i].size == lateEarly[i].size;
        sameAfter += late[i].x == end[i].x && late[i].size == end[i].size;
        sameAcross += early[i].x == late[i].x;
    }
    EXPECT_EQ(sameBefore, 1500);
    EXPECT_EQ(sameAfter, 1500);
    EXPECT_LT(sameAcross, 10);
}

TEST_F(SceneRendererTest, FirstOrbitingSphereParameters) {
    // At t = 0 it stands at (-4.9087, -4.2672, 8.2502) and has not begun to
    // grow (its phase time is -1.9388); its ambient blue is 0.4277.
    frame.recordAt(0.0);
    const auto& calls = glrec::calls();
    float ambientBlue = -1;
    const GlCall* firstMove = nullptr;
    const GlCall* firstScale = nullptr;
    for (std::size_t i = 0; i + 1 < calls.size(); ++i) {
        if (ambientBlue < 0 && calls[i].kind == GlCall::ColorMaterial &&
            calls[i].e[1] == GL_AMBIENT)
            ambientBlue = calls[i + 1].v[2];
        if (!firstMove && calls[i].kind == GlCall::Translate) firstMove = &calls[i];
        if (!firstScale && calls[i].kind == GlCall::Scale) firstScale = &calls[i];
    }
    EXPECT_NEAR(ambientBlue, 0.4277, 1e-4);
    ASSERT_NE(firstMove, nullptr);
    EXPECT_NEAR(firstMove->v[0], -4.9087, 1e-4);
    EXPECT_NEAR(firstMove->v[1], -4.2672, 1e-4);
    EXPECT_NEAR(firstMove->v[2], 8.2502, 1e-4);
    ASSERT_NE(firstScale, nullptr);
    EXPECT_EQ(firstScale->v[0], 0.0f);
    // Size 0.2291: the bottom of its first band lies 5 * size below its centre.
    EXPECT_NEAR(glrec::primitives()[0].vertices[0].v[1], -5 * 0.2291, 5e-4);

    // Ten seconds on: turned by 0.4622 rad/s from phase 5.7465 at radius 9.6,
    // grown fully (phase time 8.06 > 5).
    frame.recordAt(10.0);
    for (const GlCall& c : glrec::calls()) {
        if (c.kind != GlCall::Translate) continue;
        const double a = 0.4622 * 10.0 + 5.7465;
        EXPECT_NEAR(c.v[0], 9.6 * std::sin(a), 6e-3);  // the rates are given to 4 places
        EXPECT_NEAR(c.v[2], 9.6 * std::cos(a), 6e-3);
        break;
    }
    for (const GlCall& c : glrec::calls()) {
        if (c.kind != GlCall::Scale) continue;
        EXPECT_EQ(c.v[0], 1.0f);
        break;
    }
}

struct SpireSeen {
    float ambient[3];
    float position[3];
    float growth;
    int sides, levels;
};

std::vector<SpireSeen> spiresOfLayer() {
    std::vector<SpireSeen> out;
    const auto& calls = glrec::calls();
    for (std::size_t i = 0; i + 1 < calls.size(); ++i) {
        const GlCall& c = calls[i];
        if (c.kind == GlCall::ColorMaterial && c.e[1] == GL_AMBIENT) {
            out.push_back({{calls[i + 1].v[0], calls[i + 1].v[1], calls[i + 1].v[2]}, {}, 0, 0, 0});
        } else if (!out.empty() && c.kind == GlCall::Translate && out.back().levels == 0) {
            std::copy(c.v, c.v + 3, out.back().position);
        } else if (!out.empty() && c.kind == GlCall::Scale && out.back().levels == 0) {
            out.back().growth = c.v[0];
        } else if (!out.empty() && c.kind == GlCall::Begin) {
            ++out.back().levels;
            int vertices = 0;
            for (std::size_t j = i + 1; calls[j].kind != GlCall::End; ++j)
                vertices += calls[j].kind == GlCall::Vertex;
            out.back().sides = vertices / 4 - 1;
        }
    }
    return out;
}

TEST_F(SceneRendererTest, SpireLayerShapesAndItsDraws) {
    glrec::start();
    scenelayers::drawSpires(renderContext(), 36.5);
    glrec::stop();
    EXPECT_EQ(demoRandom().state, scenetest::stateAfter(30100, 1000 + 866));
    const auto spires = spiresOfLayer();
    ASSERT_EQ(spires.size(), 20u);
    const SpireSeen& first = spires.front();
    EXPECT_FLOAT_EQ(first.ambient[0], 0.2f);
    EXPECT_FLOAT_EQ(first.ambient[1], 0.0f);
    EXPECT_FLOAT_EQ(first.ambient[2], 0.0f);
    EXPECT_FLOAT_EQ(first.position[0], 1.4f);
    EXPECT_FLOAT_EQ(first.position[1], 0.0f);
    EXPECT_FLOAT_EQ(first.position[2], 1.4f);
    EXPECT_EQ(first.sides, 5);
    EXPECT_EQ(first.levels, 12);
    const SpireSeen& last = spires.back();
    EXPECT_FLOAT_EQ(last.ambient[0], 0.0f);
    EXPECT_FLOAT_EQ(last.ambient[2], 0.2f);
    EXPECT_FLOAT_EQ(last.position[0], 0.0f);
    EXPECT_FLOAT_EQ(last.position[2], 2.1f);
    EXPECT_EQ(last.sides, 7);
    EXPECT_EQ(last.levels, 15);
    // At 36.5 s spire i has grown for 0.5 + 0.1 i seconds of its one.
    for (int i = 0; i < 20; ++i)
        EXPECT_NEAR(spires[i].growth, std::min(1.0, 0.5 + 0.1 * i), 1e-5) << "spire " << i;
}

TEST_F(SceneRendererTest, SpiresAndMirrorImagesGrowInAndOut) {
    struct Case {
        double t;
        float firstGrowth, lastGrowth;
    };
    const Case cases[] = {{30.0, 0, 0}, {34.1, 0, 0},   {36.0, 0, 1},
                          {50.0, 1, 1}, {77.5, 0.5, 0}, {78.0, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "t = " << c.t);
        frame.recordAt(c.t);
        std::vector<SpireSeen> seen = spiresOfLayer();
        // Every frame: 17 orbiting (while drawn), central and sky sphere
        // materials come first; the 40 spires are the last 40 materials.
        ASSERT_GE(seen.size(), 40u);
        seen.erase(seen.begin(), seen.end() - 40);
        EXPECT_NEAR(seen[0].growth, c.firstGrowth, 1e-5);
        EXPECT_NEAR(seen[19].growth, c.lastGrowth, 1e-5);
        EXPECT_NEAR(seen[20].growth, c.firstGrowth, 1e-5);  // the mirror image
        EXPECT_EQ(seen[20].levels, seen[0].levels);
    }
}

TEST_F(SceneRendererTest, ClosingImageGreys) {
    struct Case {
        double t;
        float first, second;
    };
    const Case cases[] = {{70.0, 0, 0},    {76.0, 0, 0},        {77.0, 0, 0.2f},
                          {78.0, 0, 0.4f}, {81.0, 0.6f, 0.22f}, {81.85, 0.77f, 0}};
    const GLuint firstImage = renderContext().textureIds[40];
    const GLuint secondImage = renderContext().textureIds[41];
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "t = " << c.t);
        frame.recordAt(c.t);
        float grey = -1, first = -1, second = -1;
        for (const GlCall& call : glrec::calls()) {
            if (call.kind == GlCall::Color) grey = call.v[0];
            if (call.kind == GlCall::BindTexture && call.e[1] == firstImage) first = grey;
            if (call.kind == GlCall::BindTexture && call.e[1] == secondImage) second = grey;
        }
        EXPECT_NEAR(first, c.first, 1e-5);
        EXPECT_NEAR(second, c.second, 1e-5);
    }
}

TEST_F(SceneRendererTest, FilmGrainSeededFromTheSceneTime) {
    frame.recordAt(50.0);
    // trunc(50 * 1e8) = 5000000000, whose low 32 bits are 705032704.
    seedRandom(705032704u);
    random01();
    random01();
    const float angle = static_cast<float>(360.0 * random01());
    float lastRotation = -1;
    for (const GlCall& c : glrec::calls())
        if (c.kind == GlCall::Rotate) lastRotation = c.v[0];
    EXPECT_FLOAT_EQ(lastRotation, angle);
}

TEST_F(SceneRendererTest, SceneClockProjectionAndRestoredState) {
    glEnable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
    glColor4f(0.3f, 0.4f, 0.5f, 0.6f);
    glMatrixMode(GL_MODELVIEW);
    frame.scene.timeAccumulator = 1.0;
    double t = 5.0;
    frame.scene.setTime(t);
    double step = 0.02;
    frame.scene.render(step, frame.record, renderContext(), frame.input);
    EXPECT_DOUBLE_EQ(frame.scene.sceneTime, 1.02);
    EXPECT_DOUBLE_EQ(frame.input.auxValue, 1.02);

    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    GLfloat color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_FLOAT_EQ(color[0], 0.3f);
    EXPECT_FLOAT_EQ(color[3], 0.6f);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f);
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    const float focal = static_cast<float>(1.0 / std::tan(37.5 * M_PI / 180.0));
    EXPECT_NEAR(m[0], focal, 1e-5);
    EXPECT_NEAR(m[5], focal, 1e-5);
    EXPECT_NEAR(m[10], -(120.0 + 0.01) / (120.0 - 0.01), 1e-5);
    EXPECT_EQ(renderContext().nearPlane, 0.01);
    EXPECT_EQ(renderContext().farPlane, 120.0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(SceneDeterminism, SameTimeGivesTheSameBytes) {
    SceneFrame frame(160, 120);
    ASSERT_TRUE(frame.ok());
    std::vector<std::vector<std::uint8_t>> pictures;
    for (double t : {20.0, 45.0, 20.0, 45.0}) {
        frame.renderAt(t);
        pictures.push_back(frame.gl.readPixels());
    }
    EXPECT_TRUE(pictures[0] == pictures[2]);
    EXPECT_TRUE(pictures[1] == pictures[3]);
    EXPECT_FALSE(pictures[0] == pictures[1]);
}

}  // namespace
