#include "scene/render_state.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "platform/platform.h"
#include "runtime/render_context.h"
#include "tests/support/gl_test_context.h"
#include "texturing/window_record.h"

namespace {

TEST(RenderState, ResetTurnsOffWhatTheSceneTurnsOn) {
    GlTestContext gl(32, 32);
    ASSERT_TRUE(gl.ok());
    const GLenum caps[] = {GL_BLEND, GL_LIGHTING, GL_COLOR_MATERIAL, GL_LIGHT0, GL_TEXTURE_2D};
    for (GLenum cap : caps) glEnable(cap);
    glEnable(GL_DEPTH_TEST);
    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    resetRenderState();
    for (GLenum cap : caps) EXPECT_FALSE(glIsEnabled(cap)) << cap;
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLfloat color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    for (float channel : color) EXPECT_EQ(channel, 1.0f);
}

TEST(RenderState, ProjectionMakesTheWindowCurrentAndIgnoresItsShape) {
    GlTestContext window(200, 100);
    ASSERT_TRUE(window.ok());
    GlTestContext other(16, 16);  // now current instead of the window's context
    ASSERT_TRUE(other.ok());
    ASSERT_NE(platform::current().currentGlContext(), window.context());

    WindowRecord record;
    record.windowDeviceContext = window.window();
    record.windowGlContext = window.context();
    RenderContext& context = renderContext();
    context.fovOffset = 5.0;
    context.nearPlane = 0.5;
    context.farPlane = 50.0;
    glMatrixMode(GL_TEXTURE);
    applyProjection(context, record);

    EXPECT_EQ(platform::current().currentGlContext(), window.context());
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f) << i;
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    const double focal = 1.0 / std::tan(80.0 / 2.0 * M_PI / 180.0);
    EXPECT_NEAR(m[5], focal, 1e-5);
    EXPECT_NEAR(m[0], focal, 1e-5);  // aspect 1.0 on a 2:1 window
    EXPECT_NEAR(m[10], -(50.0 + 0.5) / (50.0 - 0.5), 1e-5);
    EXPECT_NEAR(m[14], -2.0 * 50.0 * 0.5 / (50.0 - 0.5), 1e-5);
    context.fovOffset = 0.0;
    context.nearPlane = 1.5;
    context.farPlane = 100.0;
}

}  // namespace
