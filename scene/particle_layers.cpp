#include <cmath>

#include "runtime/render_context.h"
#include "scene/billboards.h"
#include "scene/demo_random.h"
#include "scene/gl_headers.h"
#include "scene/render_state.h"
#include "scene/scene_layers.h"
#include "scene/scene_parameters.h"
#include "scene/timing_curves.h"
#include "texturing/texture_slots.h"

namespace scenelayers {

void drawFallingPoints(double t, const SceneParameters& p) {
    glDisable(GL_TEXTURE_2D);
    glPointSize(static_cast<GLfloat>(p.pointSize * pixelScale));
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glBegin(GL_POINTS);
    const double fadeIn = ramp(t, 17.0, 0.1);
    if (t > 17.0 && t < kSecondAct) {
        for (int i = 0; i < 200; ++i) {
            const double radius = 5.0 * random01();
            const double b = 2.0 * scenemath::kPi * random01();
            const double e = (random01() + 1.0) * t * 0.2;
            const double f = frac(10.0 * random01() + e);
            const GLfloat grey = static_cast<GLfloat>(pulse(f) * fadeIn);
            glColor3f(grey, grey, grey);
            glVertex3f(static_cast<GLfloat>(radius * std::sin(b)),
                       static_cast<GLfloat>(10.0 - 8.0 * f),
                       static_cast<GLfloat>(radius * std::cos(b)));
        }
    }
    glEnd();
    glDisable(GL_BLEND);
}

void drawFallingSprites(RenderContext& context, int slotBase, double t, const SceneParameters& p) {
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    bindTextureSlot(context, slotBase + 12);
    const double fadeOut = 1.0 - ramp(t, 72.0, 0.3);
    for (int i = 0; i < 200; ++i) {
        const double radius = 5.0 * random01();
        const double b = 2.0 * scenemath::kPi * random01();
        const double e = (random01() + 1.0) * t * 0.1;
        const double f = frac(10.0 * random01() + e);
        const GLfloat grey = static_cast<GLfloat>(pulse(f) * fadeOut);
        glColor3f(grey, grey, grey);
        glPushMatrix();
        glTranslatef(static_cast<GLfloat>(radius * std::sin(b)),
                     static_cast<GLfloat>(4.0 - 5.0 * f),
                     static_cast<GLfloat>(radius * std::cos(b)));
        drawBillboard(0.0, p.spriteSize, p.spriteSize);
        glPopMatrix();
    }
}

}  // namespace scenelayers
