#include "scene/spire.h"

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

struct SpireShape {
    int levels = 0;
    int sides = 0;
    int draws = 0;
    float scale = -1.0f;
    std::vector<bool> litLevels;  // lighting state each level's quads were drawn with
    std::vector<glrec::Primitive> primitives;
};

SpireShape recordSpire(std::uint32_t seed, double size, double growth) {
    seedRandom(seed);
    glrec::start();
    drawSpire(Point4{0.5, 0.0, -0.5, 1}, size, growth);
    glrec::stop();
    const std::uint32_t after = demoRandom().state;
    SpireShape shape;
    for (int draws = 0; draws < 100; ++draws) {
        if (stateAfter(seed, draws) == after) {
            shape.draws = draws;
            break;
        }
    }
    bool lit = false;
    for (const GlCall& c : glrec::calls()) {
        if (c.kind == GlCall::Enable && c.e[0] == GL_LIGHTING) lit = true;
        if (c.kind == GlCall::Disable && c.e[0] == GL_LIGHTING) lit = false;
        if (c.kind == GlCall::Begin) shape.litLevels.push_back(lit);
        if (c.kind == GlCall::Scale) shape.scale = c.v[0];
    }
    shape.primitives = glrec::primitives();
    shape.levels = static_cast<int>(shape.primitives.size());
    if (shape.levels > 0)
        shape.sides = static_cast<int>(shape.primitives[0].vertices.size()) / 4 - 1;
    return shape;
}

class SpireTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(gl.ok()); }
    GlTestContext gl{64, 64};
};

TEST_F(SpireTest, LevelsSidesAndDrawsAgreeOverManyShapes) {
    bool sawSides[8] = {};
    bool sawLevels[18] = {};
    for (std::uint32_t seed = 1; seed <= 2500; ++seed) {
        const SpireShape shape = recordSpire(seed * 7919u, 0.06, 0.5);
        SCOPED_TRACE(::testing::Message() << "seed " << seed * 7919u);
        ASSERT_GE(shape.levels, 10);
        ASSERT_LE(shape.levels, 17);
        ASSERT_GE(shape.sides, 4);
        ASSERT_LE(shape.sides, 7);
        EXPECT_EQ(shape.draws, 25 + shape.levels);
        for (const auto& level : shape.primitives) {
            EXPECT_EQ(level.mode, static_cast<GLenum>(GL_QUADS));
            EXPECT_EQ(level.vertices.size(), 4u * (shape.sides + 1));
        }
        for (int j = 0; j < shape.levels; ++j)
            EXPECT_EQ(shape.litLevels[j], j % 5 != 0) << "level " << j;
        sawSides[shape.sides] = true;
        sawLevels[shape.levels] = true;
    }
    for (int n = 4; n <= 7; ++n) EXPECT_TRUE(sawSides[n]) << n << " sides";
    for (int l = 10; l <= 17; ++l) EXPECT_TRUE(sawLevels[l]) << l << " levels";
}

TEST_F(SpireTest, GrowthScalesButNeverChangesTheShapeOrItsDraws) {
    const SpireShape half = recordSpire(31337, 0.06, 0.5);
    struct Case {
        double growth;
        float scale;
    };
    for (const Case& c : {Case{0.0, 0.0f}, Case{-2.0, 0.0f}, Case{0.5, 0.5f}, Case{3.0, 1.0f}}) {
        SCOPED_TRACE(::testing::Message() << "growth " << c.growth);
        const SpireShape shape = recordSpire(31337, 0.06, c.growth);
        EXPECT_EQ(shape.scale, c.scale);
        EXPECT_EQ(shape.levels, half.levels);
        EXPECT_EQ(shape.sides, half.sides);
        EXPECT_EQ(shape.draws, half.draws);
        ASSERT_EQ(shape.primitives.size(), half.primitives.size());
        EXPECT_EQ(shape.primitives[3].vertices[2].v[0], half.primitives[3].vertices[2].v[0]);
    }
}

TEST_F(SpireTest, StacksFrustumsFromFiveLevelsBelowThePosition) {
    const double a = 0.06;
    const SpireShape shape = recordSpire(2024, a, 1.0);
    ASSERT_GT(shape.levels, 0);
    // Level j spans heights (j - 5) H a .. (j - 4) H a with one H in 1 .. 2.
    const float bottom = shape.primitives[0].vertices[0].v[1];
    const float levelTop = shape.primitives[0].vertices[1].v[1];
    const double h = (levelTop - bottom) / a;
    EXPECT_GE(h, 1.0 - 1e-5);
    EXPECT_LE(h, 2.0 + 1e-5);
    EXPECT_NEAR(bottom, -5 * h * a, 1e-5);
    for (int j = 0; j < shape.levels; ++j) {
        for (std::size_t v = 0; v < shape.primitives[j].vertices.size(); ++v) {
            const float y = shape.primitives[j].vertices[v].v[1];
            const double expected = ((v % 4 == 1 || v % 4 == 2) ? j - 4 : j - 5) * h * a;
            EXPECT_NEAR(y, expected, 1e-5);
        }
    }
    // The last quad of each level lies over the first (N + 1 quads).
    const auto& ring = shape.primitives[2].vertices;
    EXPECT_NEAR(ring[ring.size() - 4].v[0], ring[0].v[0], 1e-5);
    EXPECT_NEAR(ring[ring.size() - 4].v[2], ring[0].v[2], 1e-5);
}

TEST_F(SpireTest, TenLevelSpireEndsLitAndLeavesDepthOnBlendAndTextureOff) {
    std::uint32_t seed = 1;
    for (; seed < 100000; ++seed)
        if (recordSpire(seed, 0.05, 1.0).levels == 10) break;
    ASSERT_LT(seed, 100000u);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    seedRandom(seed);
    drawSpire(Point4{0, 0, 0, 1}, 0.05, 1.0);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));  // level 9 is lit
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    std::uint32_t unlitEnd = 1;
    for (; unlitEnd < 100000; ++unlitEnd)
        if (recordSpire(unlitEnd, 0.05, 1.0).levels == 16) break;
    seedRandom(unlitEnd);
    drawSpire(Point4{0, 0, 0, 1}, 0.05, 1.0);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));  // level 15 is unlit
}

TEST(SpireImage, RendersARaggedColumnWithDarkBands) {
    constexpr int kSize = 320;
    GlTestContext gl(kSize, kSize);
    ASSERT_TRUE(gl.ok());
    useSceneView(kSize);
    glClearColor(0.1f, 0.1f, 0.15f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    RenderContext& context = renderContext();
    context.setLight(-1.0, 0.3, 0.0, 1.0, 1.0, 1.0);
    context.applyLight();
    gluLookAt(0.0, 0.2, 1.6, 0.0, 0.15, 0.0, 0, 1, 0);
    context.setMaterial(0.2, 0.0, 0.0, 0.8, 0.8, 0.8);
    context.applyMaterial();
    glEnable(GL_LIGHTING);
    seedRandom(30100);
    for (int i = 0; i < 1006; ++i) nextRandom();  // the first spire of the floor
    drawSpire(Point4{0, 0, 0, 1}, 0.0505, 1.0);

    const auto pixels = gl.readPixels();
    EXPECT_TRUE(scenetest::saveRgba("spire.png", pixels, kSize, kSize));
    const std::uint8_t* corner = scenetest::pixelAt(pixels, kSize, 2, 2);
    EXPECT_NEAR(corner[0], 26, 2);
    // The column stands in the middle of the picture.
    const std::uint8_t* middle = scenetest::pixelAt(pixels, kSize, kSize / 2, kSize / 2);
    EXPECT_FALSE(std::abs(middle[0] - 26) < 3 && std::abs(middle[2] - 38) < 3);
}

}  // namespace
