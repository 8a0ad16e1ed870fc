#include "scene/billboards.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/scene/gl_recorder.h"
#include "tests/scene/scene_view.h"
#include "tests/support/gl_test_context.h"

namespace {

constexpr int kSize = 256;

struct LitBox {
    int minX = kSize, minY = kSize, maxX = -1, maxY = -1;
    int count = 0;
    int width() const { return maxX - minX + 1; }
    int height() const { return maxY - minY + 1; }
    double centreX() const { return (minX + maxX + 1) / 2.0; }
    double centreY() const { return (minY + maxY + 1) / 2.0; }
};

// Bounding box of the lit pixels, in GL window coordinates (y up).
LitBox litBox(const std::vector<std::uint8_t>& topDown) {
    LitBox box;
    for (int row = 0; row < kSize; ++row) {
        for (int x = 0; x < kSize; ++x) {
            if (topDown[(row * kSize + x) * 4] < 128) continue;
            const int y = kSize - 1 - row;
            box.minX = std::min(box.minX, x);
            box.maxX = std::max(box.maxX, x);
            box.minY = std::min(box.minY, y);
            box.maxY = std::max(box.maxY, y);
            ++box.count;
        }
    }
    return box;
}

class BillboardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        useSceneView(kSize);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(1, 1, 1);
    }

    // A camera turned about every axis, looking at a point that the billboard
    // is then drawn on; returns that point's projected window position.
    void lookAtTarget(double& winX, double& winY, double& eyeDistance) {
        const double eye[3] = {7.0, 4.0, -3.0};
        const double target[3] = {1.0, 0.5, 2.0};
        gluLookAt(eye[0], eye[1], eye[2], target[0], target[1], target[2], 0.3, 1.0, 0.2);
        glTranslated(target[0], target[1], target[2]);
        GLdouble model[16], projection[16];
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        double winZ = 0;
        gluProject(0, 0, 0, model, projection, viewport, &winX, &winY, &winZ);
        eyeDistance = std::sqrt(std::pow(eye[0] - target[0], 2) + std::pow(eye[1] - target[1], 2) +
                                std::pow(eye[2] - target[2], 2));
    }

    GlTestContext gl{kSize, kSize};
};

TEST_F(BillboardTest, StaysSquareToTheScreenAfterACameraTurn) {
    double winX = 0, winY = 0, distance = 0;
    lookAtTarget(winX, winY, distance);
    const double scale = 0.5;
    drawBillboard(0.0, scale, scale);
    const LitBox box = litBox(gl.readPixels());

    // Half the quad's width in pixels at that distance through a 75 degree view.
    const double expectedSide =
        2.0 * scale / (distance * std::tan(37.5 * M_PI / 180.0)) * kSize / 2.0;
    EXPECT_NEAR(box.width(), expectedSide, 1.5);
    EXPECT_NEAR(box.height(), expectedSide, 1.5);
    EXPECT_NEAR(box.centreX(), winX, 1.0);
    EXPECT_NEAR(box.centreY(), winY, 1.0);
    // Filled edge to edge: not a tilted or foreshortened quad.
    EXPECT_GT(box.count, 0.97 * box.width() * box.height());
}

TEST_F(BillboardTest, AngleTurnsTheQuadInTheScreenPlaneAroundTheSameCentre) {
    double winX = 0, winY = 0, distance = 0;
    lookAtTarget(winX, winY, distance);
    drawBillboard(45.0, 0.5, 0.5);
    const LitBox box = litBox(gl.readPixels());
    const double side = 1.0 / (distance * std::tan(37.5 * M_PI / 180.0)) * kSize / 2.0;
    // A square turned by 45 degrees: a diamond as wide as its diagonal, half filled.
    EXPECT_NEAR(box.width(), side * std::sqrt(2.0), 2.0);
    EXPECT_NEAR(box.height(), side * std::sqrt(2.0), 2.0);
    EXPECT_NEAR(box.count, side * side, 0.05 * side * side);
    EXPECT_NEAR(box.centreX(), winX, 1.0);
    EXPECT_NEAR(box.centreY(), winY, 1.0);
}

TEST_F(BillboardTest, ScaleThenRotationAndCornerOrderPerVariant) {
    struct Case {
        const char* name;
        void (*draw)();
        bool rotates;
        float extent;
    };
    const Case cases[] = {
        {"drawBillboard", [] { drawBillboard(30.0, 2.0, 3.0); }, true, 1.0f},
        {"drawBillboardTiled", [] { drawBillboardTiled(30.0, 2.0, 3.0); }, true, 2.0f},
        {"drawBillboardUpright", [] { drawBillboardUpright(2.0, 3.0); }, false, 1.0f},
    };
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    const float texture[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        glLoadIdentity();
        glTranslatef(4.0f, 5.0f, -6.0f);
        glRotatef(40.0f, 1.0f, 1.0f, 0.0f);
        glrec::start();
        c.draw();
        glrec::stop();
        const auto& calls = glrec::calls();
        std::vector<GlCall> transforms;
        for (const GlCall& call : calls) {
            if (call.kind == GlCall::LoadMatrix || call.kind == GlCall::Scale ||
                call.kind == GlCall::Rotate)
                transforms.push_back(call);
        }
        ASSERT_EQ(transforms.size(), c.rotates ? 3u : 2u);
        EXPECT_EQ(transforms[0].kind, GlCall::LoadMatrix);
        EXPECT_FLOAT_EQ(transforms[0].v[0], 4.0f);  // translation kept
        EXPECT_FLOAT_EQ(transforms[0].v[1], 5.0f);
        EXPECT_FLOAT_EQ(transforms[0].v[2], -6.0f);
        EXPECT_FLOAT_EQ(transforms[0].v[3], 1.0f);  // rotation dropped
        EXPECT_EQ(transforms[1].kind, GlCall::Scale);
        EXPECT_FLOAT_EQ(transforms[1].v[0], 2.0f);
        EXPECT_FLOAT_EQ(transforms[1].v[1], 3.0f);
        EXPECT_FLOAT_EQ(transforms[1].v[2], 0.0f);
        if (c.rotates) {
            EXPECT_EQ(transforms[2].kind, GlCall::Rotate);
            EXPECT_FLOAT_EQ(transforms[2].v[0], 30.0f);
            EXPECT_FLOAT_EQ(transforms[2].v[3], 1.0f);  // about z
        }
        std::vector<GlCall> texCoords, vertices;
        for (const GlCall& call : calls) {
            if (call.kind == GlCall::TexCoord) texCoords.push_back(call);
            if (call.kind == GlCall::Vertex) vertices.push_back(call);
        }
        ASSERT_EQ(vertices.size(), 4u);
        ASSERT_EQ(texCoords.size(), 4u);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(vertices[i].v[0], corners[i][0]);
            EXPECT_EQ(vertices[i].v[1], corners[i][1]);
            EXPECT_EQ(vertices[i].v[2], 0.0f);
            EXPECT_EQ(texCoords[i].v[0], texture[i][0] * c.extent);
            EXPECT_EQ(texCoords[i].v[1], texture[i][1] * c.extent);
        }
        // The changed matrix stays for the caller to restore.
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        EXPECT_FLOAT_EQ(m[12], 4.0f);
        EXPECT_FLOAT_EQ(m[10], 0.0f);
    }
}

}  // namespace
