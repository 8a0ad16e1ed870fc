#pragma once
// A headless frame of the main scene: a GL window, its record, the one
// context, and small made-up textures in the scene's slots.
#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "runtime/input_record.h"
#include "runtime/render_context.h"
#include "scene/main_scene.h"
#include "tests/scene/gl_recorder.h"
#include "tests/support/gl_test_context.h"
#include "texturing/window_record.h"

namespace scenetest {

// A solid texture of one colour in `slot` of the context.
inline GLuint makeSolidTexture(RenderContext& context, int slot, std::uint8_t r, std::uint8_t g,
                               std::uint8_t b, std::uint8_t a = 255) {
    std::vector<std::uint8_t> texels;
    for (int i = 0; i < 16; ++i) texels.insert(texels.end(), {r, g, b, a});
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    context.textureIds[slot] = name;
    return name;
}

class SceneFrame {
  public:
    explicit SceneFrame(int width = 200, int height = 200) : gl(width, height) {
        if (!gl.ok()) return;
        record.windowDeviceContext = gl.window();
        record.windowGlContext = gl.context();
        RenderContext& context = renderContext();
        makeSolidTexture(context, 10, 255, 255, 255);
        makeSolidTexture(context, 12, 255, 255, 255);
        makeSolidTexture(context, 20, 255, 255, 255, 128);
        makeSolidTexture(context, 40, 200, 100, 50);
        makeSolidTexture(context, 41, 50, 100, 200);
        // A black film: the overlay then adds nothing to the picture.
        makeSolidTexture(context, 90000, 0, 0, 0);
        scene.slotBase = 0;
    }

    bool ok() const { return gl.ok(); }

    // Draws one frame at scene time t exactly (one step from zero).
    void renderAt(double t) {
        scene.timeAccumulator = 0.0;
        double step = t;
        scene.render(step, record, renderContext(), input);
    }

    // Draws one frame at t with every scene GL call recorded.
    void recordAt(double t, bool withMatrices = false) {
        glrec::captureMatrices(withMatrices);
        glrec::start();
        renderAt(t);
        glrec::stop();
        glrec::captureMatrices(false);
    }

    GlTestContext gl;
    WindowRecord record;
    InputRecord input;
    MainScene scene;
};

// The view matrix gluLookAt makes for this camera, computed on a scratch
// modelview matrix.
inline std::array<float, 16> lookAtMatrix(double ex, double ey, double ez, double cx, double cy,
                                          double cz, double ux, double uy, double uz) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(ex, ey, ez, cx, cy, cz, ux, uy, uz);
    std::array<float, 16> m;
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    glPopMatrix();
    return m;
}

}  // namespace scenetest
