// GL 1.x semantics the scene relies on, drawn through the layer on an ES
// 3.0 context and read back.
#include "platform/gl_layer/gl_layer.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "tests/support/gl_test_context.h"

namespace {

constexpr int kSize = 64;

class GlLayer : public ::testing::Test {
  protected:
    void SetUp() override {
        gl_layer::restart();  // a new context for every test
        context_ = std::make_unique<GlTestContext>(kSize, kSize);
        ASSERT_TRUE(context_->ok());
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    void TearDown() override {
        context_.reset();
        gl_layer::restart();
    }

    std::array<int, 3> pixel(int x, int y) {  // y counted from the bottom, as in GL
        const std::vector<std::uint8_t> rows = context_->readPixels();
        const size_t i = (static_cast<size_t>(kSize - 1 - y) * kSize + x) * 4;
        return {rows[i], rows[i + 1], rows[i + 2]};
    }

    // A quad over the whole viewport with identity matrices.
    static void fullQuad() {
        glBegin(GL_QUADS);
        glVertex3f(-1, -1, 0);
        glVertex3f(1, -1, 0);
        glVertex3f(1, 1, 0);
        glVertex3f(-1, 1, 0);
        glEnd();
    }

    std::unique_ptr<GlTestContext> context_;
};

void expectNear(std::array<int, 3> got, std::array<int, 3> want) {
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(got[c], want[c], 2) << "channel " << c;
}

TEST_F(GlLayer, PopAttribRestoresTheGroupsPushed) {
    glColor3f(0, 1, 0);
    glDisable(GL_BLEND);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glColor3f(1, 0, 0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glLineWidth(3);
    glPopAttrib();
    GLfloat color[4], width = 0;
    glGetFloatv(GL_CURRENT_COLOR, color);
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(color[1], 1.0f);
    EXPECT_EQ(color[0], 0.0f);
    EXPECT_EQ(width, 1.0f);

    // Only the current values: blending stays as set inside.
    glPushAttrib(GL_CURRENT_BIT);
    glColor3f(0, 0, 1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glPopAttrib();
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_EQ(color[2], 0.0f);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    fullQuad();  // green added onto blue
    expectNear(pixel(32, 32), {0, 255, 255});
}

TEST_F(GlLayer, MatrixStacksAreSeparateAndBounded) {
    GLfloat m[16];
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, 1.0, 1.0, 3.0);
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_FLOAT_EQ(m[0], 1.0f);
    EXPECT_FLOAT_EQ(m[10], -2.0f);
    EXPECT_FLOAT_EQ(m[11], -1.0f);
    EXPECT_FLOAT_EQ(m[14], -3.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 5, 0, 0, 0, 0, 1, 0);
    glPushMatrix();
    glTranslatef(1, 2, 3);
    glRotatef(90, 0, 0, 1);
    glScalef(2, 2, 2);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_NEAR(m[1], 2.0f, 1e-6);  // x axis turned onto y, doubled
    EXPECT_FLOAT_EQ(m[12], 1.0f);
    EXPECT_FLOAT_EQ(m[14], -2.0f);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 2);
    glPopMatrix();
    glPopMatrix();  // underflow: ignored
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[14], -5.0f);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    for (int i = 0; i < 40; ++i) glPushMatrix();  // overflow past 32: ignored
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 32);
}

TEST_F(GlLayer, QuadsSplitAlongTheFirstDiagonal) {
    // Colours per corner tell the split: (v0 v1 v2) and (v0 v2 v3), as Mesa.
    glBegin(GL_QUADS);
    glColor3f(1, 0, 0);
    glVertex3f(-1, -1, 0);
    glColor3f(0, 1, 0);
    glVertex3f(1, -1, 0);
    glColor3f(0, 0, 1);
    glVertex3f(1, 1, 0);
    glColor3f(1, 1, 1);
    glVertex3f(-1, 1, 0);
    glEnd();
    expectNear(pixel(48, 16), {62, 128, 66});  // what Mesa's GL 1.x draws there
    expectNear(pixel(16, 48), {189, 128, 193});
}

TEST_F(GlLayer, ColourMaterialTracksOnlyWhileOn) {
    // The program's material sequence: ambient, then diffuse, then off.
    const GLfloat position[4] = {0, 0, 1, 0};
    const GLfloat ambient[4] = {1, 1, 1, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT);
    glColor4f(0.2f, 0, 0, 1);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
    glColor4f(0, 0.5f, 0, 1);
    glDisable(GL_COLOR_MATERIAL);
    glColor3f(1, 1, 1);  // no longer a material
    glNormal3f(0, 0, 1);
    fullQuad();
    expectNear(pixel(32, 32), {51, 128, 0});
}

TEST_F(GlLayer, LightsAKnownNormalAsTheFixedPipeline) {
    const GLfloat position[4] = {0, 0, 1, 0};
    const GLfloat dark[4] = {0, 0, 0, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, dark);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    // Default diffuse material 0.8; n.l = 0.8 gives 0.64.
    glNormal3f(0, 0.6f, 0.8f);
    fullQuad();
    expectNear(pixel(32, 32), {163, 163, 163});
    // A modelview scaled by 2 halves the normal (no GL_NORMALIZE): 0.25 * 0.8.
    glScalef(2, 2, 2);
    glNormal3f(0, 0, 0.5f);
    glBegin(GL_QUADS);
    glVertex3f(-0.5f, -0.5f, 0);
    glVertex3f(0.5f, -0.5f, 0);
    glVertex3f(0.5f, 0.5f, 0);
    glVertex3f(-0.5f, 0.5f, 0);
    glEnd();
    expectNear(pixel(32, 32), {51, 51, 51});
}

TEST_F(GlLayer, BatchesPrimitivesThatShareState) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    const long before = gl_layer::counts().draws;
    for (int i = 0; i < 100; ++i) {
        glPushMatrix();
        glTranslatef(0.01f * i, 0, 0);
        glColor3f(0.001f * i, 0, 0);
        glScalef(0.01f, 0.01f, 1);
        fullQuad();
        glPopMatrix();
    }
    glFlush();
    EXPECT_EQ(gl_layer::counts().draws - before, 1);
    fullQuad();
    fullQuad();
    glDisable(GL_BLEND);
    fullQuad();
    glFlush();
    EXPECT_EQ(gl_layer::counts().draws - before, 3);
}

// What a lost WebGL context that comes back asks of the layer: the program
// keeps its names and state while every real object is made again.
TEST_F(GlLayer, RebuildMakesTheTexturesAgainOnANewContext) {
    // 3 by 2 RGB texels in rows of 12 bytes (unpack alignment 4), nearest.
    const std::uint8_t texels[24] = {255, 0,   0, 0, 255, 0,   0,   0, 255, 0, 0, 0,
                                     255, 255, 0, 0, 255, 255, 255, 0, 255, 0, 0, 0};
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, 3, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    glEnable(GL_TEXTURE_2D);
    const auto drawTextured = [] {
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex3f(-1, -1, 0);
        glTexCoord2f(1, 0);
        glVertex3f(1, -1, 0);
        glTexCoord2f(1, 1);
        glVertex3f(1, 1, 0);
        glTexCoord2f(0, 1);
        glVertex3f(-1, 1, 0);
        glEnd();
    };
    const auto expectTexels = [this] {
        expectNear(pixel(10, 16), {255, 0, 0});
        expectNear(pixel(32, 16), {0, 255, 0});
        expectNear(pixel(53, 16), {0, 0, 255});
        expectNear(pixel(10, 48), {255, 255, 0});
        expectNear(pixel(32, 48), {0, 255, 255});
        expectNear(pixel(53, 48), {255, 0, 255});
    };
    drawTextured();
    expectTexels();

    // The old context goes with everything on it; a new one takes its place.
    fullQuad();  // held back, and dropped with the old objects
    context_.reset();
    context_ = std::make_unique<GlTestContext>(kSize, kSize);
    ASSERT_TRUE(context_->ok());
    gl_layer::rebuild();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, static_cast<GLint>(name));
    drawTextured();
    expectTexels();
}

TEST_F(GlLayer, FramingDrawsTheWindowLargerInTheCentredArea) {
    // A 40 by 30 window in the 64 by 64 buffer: 64 by 48 at y 8, 1.6 times.
    gl_layer::setFraming(40, 30, kSize, kSize);
    glViewport(0, 0, 40, 30);
    glClear(GL_COLOR_BUFFER_BIT);
    fullQuad();
    expectNear(pixel(32, 4), {0, 0, 0});
    expectNear(pixel(32, 9), {255, 255, 255});
    expectNear(pixel(63, 54), {255, 255, 255});
    expectNear(pixel(32, 58), {0, 0, 0});
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);  // the program's own numbers
    EXPECT_EQ(viewport[2], 40);
    EXPECT_EQ(viewport[3], 30);

    // Sizes grow with the picture: 2 pixels become 3.
    const auto litIn = [this](int x0, int y0, int x1, int y1) {
        int lit = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) lit += pixel(x, y)[0] > 128 ? 1 : 0;
        return lit;
    };
    glClear(GL_COLOR_BUFFER_BIT);
    glPointSize(2);
    glBegin(GL_POINTS);
    glVertex3f(0, 0, 0);
    glEnd();
    EXPECT_EQ(litIn(24, 24, 40, 40), 9);
    glClear(GL_COLOR_BUFFER_BIT);
    glLineWidth(2);
    glBegin(GL_LINES);
    glVertex3f(-0.5f, 0, 0);
    glVertex3f(0.5f, 0, 0);
    glEnd();
    EXPECT_EQ(litIn(32, 24, 33, 40), 3);
}

}  // namespace
