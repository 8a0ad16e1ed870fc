#include "scene/film_overlay.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "runtime/render_context.h"
#include "scene/demo_random.h"
#include "scene/render_state.h"
#include "tests/scene/gl_recorder.h"
#include "tests/scene/scene_view.h"
#include "tests/support/gl_test_context.h"

namespace {

constexpr int kSize = 128;

class FilmOverlayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        useSceneView(kSize);
        // A plain white film texture: what lands on the frame is alpha itself.
        const std::vector<std::uint8_t> white(8 * 8 * 3, 255);
        glGenTextures(1, &film);
        glBindTexture(GL_TEXTURE_2D, film);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, 8, 8, 0, GL_RGB, GL_UNSIGNED_BYTE, white.data());
        glGenTextures(1, &other);
        context().textureIds[90000] = film;
    }

    static RenderContext& context() { return renderContext(); }

    // State the overlay changes, set to values it does not use.
    void setForeignState() {
        glEnable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
        glBindTexture(GL_TEXTURE_2D, other);
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
        glBlendFunc(GL_ONE, GL_ZERO);
        glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
        glLoadIdentity();
        glTranslatef(1.0f, 2.0f, 3.0f);
    }

    GlTestContext gl{kSize, kSize};
    GLuint film = 0;
    GLuint other = 0;
};

TEST_F(FilmOverlayTest, ClampsAlphaAndCoversTheWholeView) {
    struct Case {
        double alpha;
        int expected;
    };
    const Case cases[] = {{1.7, 255}, {1.0, 255}, {0.5, 128}, {0.0, 0}, {-0.5, 0}};
    for (const Case& c : cases) {
        for (std::uint32_t seed : {1u, 777u, 123456u}) {
            SCOPED_TRACE(::testing::Message() << "alpha " << c.alpha << " seed " << seed);
            glClearColor(0, 0, 0, 0);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            setForeignState();
            seedRandom(seed);
            drawFilmOverlay(c.alpha, 1.0, context());
            const std::vector<std::uint8_t> pixels = gl.readPixels();
            int wrong = 0;
            for (std::size_t i = 0; i < pixels.size(); i += 4)
                wrong += std::abs(pixels[i] - c.expected) > 1;
            EXPECT_EQ(wrong, 0);
        }
    }
}

TEST_F(FilmOverlayTest, RestoresEveryAttributeAndTheMatrix) {
    setForeignState();
    GLfloat before[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    seedRandom(5);
    drawFilmOverlay(0.8, 1.0, context());

    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_T));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint value = 0;
    glGetIntegerv(GL_BLEND_SRC, &value);
    EXPECT_EQ(value, GL_ONE);
    glGetIntegerv(GL_BLEND_DST, &value);
    EXPECT_EQ(value, GL_ZERO);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(static_cast<GLuint>(value), other);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    GLfloat color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_FLOAT_EQ(color[0], 0.1f);
    EXPECT_FLOAT_EQ(color[3], 0.4f);
    GLfloat after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(after[i], before[i]) << i;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FilmOverlayTest, StateChangesAndDrawsInOrderWithThreeDraws) {
    seedRandom(99);
    glrec::start();
    drawFilmOverlay(2.0, 1.0, context());
    glrec::stop();
    std::vector<GlCall::Kind> kinds;
    for (const GlCall& c : glrec::calls())
        if (c.kind != GlCall::Vertex && c.kind != GlCall::TexCoord) kinds.push_back(c.kind);
    using K = GlCall;
    const std::vector<GlCall::Kind> expected = {
        K::PushAttrib, K::PushMatrix,   K::Disable,    K::Enable,   K::Disable,
        K::Disable,    K::BindTexture,  K::Enable,     K::Disable,  K::BlendFunc,
        K::Color,      K::LoadIdentity, K::LoadMatrix, K::Scale,    K::Rotate,
        K::Begin,      K::End,          K::PopMatrix,  K::PopAttrib};
    ASSERT_EQ(kinds, expected);
    const auto& c = glrec::calls();
    EXPECT_EQ(c[0].e[0], static_cast<GLenum>(GL_ALL_ATTRIB_BITS));
    EXPECT_EQ(c[2].e[0], static_cast<GLenum>(GL_LIGHTING));
    EXPECT_EQ(c[3].e[0], static_cast<GLenum>(GL_TEXTURE_2D));
    EXPECT_EQ(c[4].e[0], static_cast<GLenum>(GL_TEXTURE_GEN_S));
    EXPECT_EQ(c[5].e[0], static_cast<GLenum>(GL_TEXTURE_GEN_T));
    EXPECT_EQ(c[6].e[1], film);
    EXPECT_EQ(c[7].e[0], static_cast<GLenum>(GL_BLEND));
    EXPECT_EQ(c[8].e[0], static_cast<GLenum>(GL_DEPTH_TEST));
    EXPECT_EQ(c[9].e[0], static_cast<GLenum>(GL_SRC_ALPHA));
    EXPECT_EQ(c[9].e[1], static_cast<GLenum>(GL_ONE));
    EXPECT_EQ(c[10].v[3], 1.0f);

    // Jitter and angle from three draws, in that order: replay them.
    seedRandom(99);
    const double dx = (random01() - 0.5) * 0.1;
    const double dy = (random01() - 0.5) * 0.1;
    const double angle = 360.0 * random01();
    const GlCall& look = c[12];  // the matrix the billboard keeps: the eye offset
    EXPECT_NEAR(look.v[0], -dx, 1e-6);
    EXPECT_NEAR(look.v[1], -dy, 1e-6);
    EXPECT_NEAR(look.v[2], -3.2, 1e-6);
    EXPECT_FLOAT_EQ(c[13].v[0], 4.5f);
    EXPECT_FLOAT_EQ(c[14].v[0], static_cast<float>(angle));
    // Nothing else drew from the generator.
    const std::int32_t next = nextRandom();
    seedRandom(99);
    for (int i = 0; i < 3; ++i) nextRandom();
    EXPECT_EQ(next, nextRandom());
}

}  // namespace
