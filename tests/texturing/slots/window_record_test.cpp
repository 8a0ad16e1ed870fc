// The pixel buffer set-up on a real headless GL context.
#include "texturing/window_record.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <array>

#include "tests/support/fake_platform.h"
#include "tests/support/gl_test_context.h"

namespace {

using Matrix = std::array<double, 16>;

Matrix projectionMatrix() {
    Matrix m{};
    glGetDoublev(GL_PROJECTION_MATRIX, m.data());
    return m;
}

// gluPerspective(65, 4/3, 0.001, 157) times `start`, worked out by GL itself
// on the modelview stack.
Matrix expectedProjection(const Matrix& start) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixd(start.data());
    gluPerspective(65.0, 1.3333333333333333, 0.001, 157.0);
    Matrix m{};
    glGetDoublev(GL_MODELVIEW_MATRIX, m.data());
    glPopMatrix();
    return m;
}

void expectNeutralPixelState() {
    for (GLenum cap : {GL_ALPHA_TEST, GL_BLEND, GL_DEPTH_TEST, GL_DITHER, GL_FOG, GL_LIGHTING,
                       GL_LOGIC_OP, GL_STENCIL_TEST, GL_TEXTURE_1D, GL_TEXTURE_2D}) {
        EXPECT_FALSE(glIsEnabled(cap)) << "capability 0x" << std::hex << cap;
    }
    struct Value {
        GLenum name;
        double expected;
    } values[] = {{GL_MAP_COLOR, 0},       {GL_RED_SCALE, 1},       {GL_RED_BIAS, 0},
                  {GL_GREEN_SCALE, 1},     {GL_GREEN_BIAS, 0},      {GL_BLUE_SCALE, 1},
                  {GL_BLUE_BIAS, 0},       {GL_ALPHA_SCALE, 1},     {GL_ALPHA_BIAS, 0},
                  {GL_PACK_ALIGNMENT, 4},  {GL_PACK_ROW_LENGTH, 0}, {GL_PACK_SKIP_ROWS, 0},
                  {GL_PACK_SKIP_PIXELS, 0}};
    for (const Value& v : values) {
        GLdouble got = -1;
        glGetDoublev(v.name, &got);
        EXPECT_EQ(got, v.expected) << "state 0x" << std::hex << v.name;
    }
}

// Puts the state that the set-up neutralises into a non-neutral one.
void disturbPixelState() {
    for (GLenum cap : {GL_ALPHA_TEST, GL_BLEND, GL_DEPTH_TEST, GL_FOG, GL_LIGHTING, GL_STENCIL_TEST,
                       GL_TEXTURE_1D, GL_TEXTURE_2D}) {
        glEnable(cap);
    }
    glPixelTransferf(GL_RED_SCALE, 0.5f);
    glPixelTransferf(GL_ALPHA_BIAS, 0.25f);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 3);
}

TEST(WindowRecordTest, WithoutAnOffscreenSurfaceTheHandlesStayNullAndTheRestTakesEffect) {
    GlTestContext gl(64, 64);
    ASSERT_TRUE(gl.ok());
    FakePlatform fake;
    fake.failing.insert("createOffscreenSurface");
    int dc = 0, context = 0;
    fake.currentDc = &dc;
    fake.currentContext = &context;

    const Matrix start = {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(start.data());
    glMatrixMode(GL_MODELVIEW);
    disturbPixelState();

    WindowRecord record;
    record.setUpPixelBuffer();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(fake.called("createOffscreenSurface"));
    EXPECT_EQ(record.pbuffer, nullptr);
    EXPECT_EQ(record.pbufferDeviceContext, nullptr);
    EXPECT_EQ(record.pbufferGlContext, nullptr);
    EXPECT_EQ(record.windowDeviceContext, &dc);
    EXPECT_EQ(record.windowGlContext, &context);

    // The perspective is multiplied onto what was there, not loaded.
    const Matrix got = projectionMatrix(), want = expectedProjection(start);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(got[i], want[i], 1e-9) << i;
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    expectNeutralPixelState();

    // A second call multiplies once more.
    record.setUpPixelBuffer();
    const Matrix twice = projectionMatrix(), wantTwice = expectedProjection(want);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(twice[i], wantTwice[i], 1e-6) << i;
}

TEST(WindowRecordTest, OffscreenSurfaceSharesTexturesAndTheWindowContextStaysCurrent) {
    GlTestContext gl(64, 64);
    ASSERT_TRUE(gl.ok());
    // The SDL platform makes offscreen surfaces once its video side has been
    // started, as the program does when it registers its window class.
    ASSERT_TRUE(platform::current().registerWindowClass("BrontavikTest", nullptr));
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const std::uint8_t texel[4] = {1, 2, 3, 4};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);

    WindowRecord& record = windowRecord();
    record.setUpPixelBuffer();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    EXPECT_EQ(SDL_GL_GetCurrentContext(), gl.context());
    EXPECT_EQ(SDL_GL_GetCurrentWindow(), gl.window());
    EXPECT_EQ(record.windowGlContext, gl.context());
    EXPECT_EQ(record.windowDeviceContext, gl.window());
    expectNeutralPixelState();

    ASSERT_NE(record.pbufferGlContext, nullptr) << "the offscreen driver offers shared contexts";
    ASSERT_NE(record.pbuffer, nullptr);
    EXPECT_NE(record.pbufferGlContext, record.windowGlContext);
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(static_cast<SDL_Window*>(record.pbufferDeviceContext), &width, &height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 1024);

    // The window's texture is visible from the offscreen context.
    ASSERT_EQ(SDL_GL_MakeCurrent(static_cast<SDL_Window*>(record.pbufferDeviceContext),
                                 record.pbufferGlContext),
              0);
    EXPECT_TRUE(glIsTexture(texture));
    std::uint8_t readBack[4] = {};
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, readBack);
    EXPECT_EQ(readBack[2], 3);
    SDL_GL_MakeCurrent(static_cast<SDL_Window*>(gl.window()), gl.context());

    // Nothing in the program releases the surface; the test does.
    SDL_GL_DeleteContext(record.pbufferGlContext);
    SDL_DestroyWindow(static_cast<SDL_Window*>(record.pbuffer));
    record = WindowRecord{};
}

}  // namespace
