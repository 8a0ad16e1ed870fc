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

}  // namespace
