#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <memory>

#include "app/main_window.h"
#include "runtime/render_context.h"
#include "tests/support/gl_test_context.h"

namespace {

TEST(ShellGl, ViewportStays800By600AndHeightZeroCountsAsOne) {
    GlTestContext gl(320, 200);
    ASSERT_TRUE(gl.ok());
    for (auto [w, h] : {std::pair{1024, 768}, {640, 0}, {800, 600}}) {
        resizeViewport(w, h);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], 800);
        EXPECT_EQ(viewport[3], 600);
        GLdouble projection[16];
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        // gluPerspective(45, aspect): m[0] = f / aspect, m[5] = f.
        const double aspect = double(w) / double(h == 0 ? 1 : h);
        EXPECT_NEAR(projection[5] / projection[0], aspect, 1e-3 * aspect) << w << "x" << h;
        GLint mode;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
    }
}

TEST(ContextGl, FreshContextHasItsDefaults) {
    auto context = std::make_unique<RenderContext>();
    EXPECT_EQ(context->speedFactor, 1.0);
    EXPECT_EQ(context->cardNumber, 0);
    EXPECT_EQ(context->camera.eye.y, 2.0);
    EXPECT_EQ(context->camera.up.z, 1.0);
    EXPECT_EQ(context->nearPlane, 1.5);
    EXPECT_EQ(context->farPlane, 100.0);
    EXPECT_EQ(context->lightDirection.x, 1.0);
    EXPECT_EQ(context->materialDiffuse[2], 1.0);
    for (int slot : {0, 1, 90000, RenderContext::kTextureSlots - 1})
        EXPECT_EQ(context->textureIds[slot], 0u);
    context->reportProgress(0.1);  // no hook: nothing happens
    static double reported = 0;
    context->progressCallback = [](double step) { reported += step; };
    context->reportProgress(0.1);
    EXPECT_EQ(reported, 0.1);
}

TEST(ContextGl, HoldsAPoolOfThousandReadyLoaders) {
    auto context = std::make_unique<RenderContext>();
    ASSERT_EQ(std::size(context->loaderPool), 1000u);
    for (const Model3dsLoader& loader : context->loaderPool) EXPECT_TRUE(loader.meshes.empty());
    // A pool loader is a working loader: it refuses a file that is not 3DS.
    const std::uint8_t junk[16] = {1, 2, 3};
    EXPECT_FALSE(context->loaderPool[999].loadBytes(junk, sizeof junk));
}

TEST(ContextGl, SetCameraKeepsThePreviousView) {
    auto context = std::make_unique<RenderContext>();
    context->setCamera(1, 2, 3, 4, 5, 6, 0, 0, 1);
    context->setCamera(7, 8, 9, 0, 0, 0, 0, 1, 0);
    EXPECT_EQ(context->previousCamera.eye.x, 1);
    EXPECT_EQ(context->previousCamera.center.z, 6);
    EXPECT_EQ(context->camera.eye.z, 9);
    EXPECT_EQ(context->camera.up.y, 1);
    EXPECT_EQ(context->camera.eye.w, 1);
}

TEST(ContextGl, LightIsDirectionalAndMaterialTrackingEndsOff) {
    GlTestContext gl;
    ASSERT_TRUE(gl.ok());
    auto context = std::make_unique<RenderContext>();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    context->setLight(0.0, 3.0, 4.0, 0.2, 0.3, 0.4);
    context->applyLight();
    GLfloat position[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_EQ(position[3], 0.0f);
    EXPECT_FLOAT_EQ(position[1], 3.0f);
    GLfloat ambient[4];
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
    EXPECT_FLOAT_EQ(ambient[2], 0.4f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));

    context->setMaterial(0.1, 0.2, 0.3, 0.5, 0.6, 0.7);
    context->applyMaterial();
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    GLfloat materialAmbient[4], materialDiffuse[4];
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, materialAmbient);
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, materialDiffuse);
    EXPECT_NEAR(materialAmbient[2], 0.3f, 1e-6);
    EXPECT_NEAR(materialDiffuse[0], 0.5f, 1e-6);
    EXPECT_NEAR(materialDiffuse[3], 1.0f, 1e-6);
}

TEST(ContextGl, DisplayListsAreReserved) {
    GlTestContext gl;
    ASSERT_TRUE(gl.ok());
    auto context = std::make_unique<RenderContext>();
    context->generateDisplayLists();
    EXPECT_NE(context->displayListBase, 0u);
}

}  // namespace
