#include "runtime/render_context.h"
#include "scene/billboards.h"
#include "scene/demo_random.h"
#include "scene/gl_headers.h"
#include "scene/point_math.h"
#include "scene/scene_layers.h"
#include "scene/scene_parameters.h"
#include "scene/timing_curves.h"
#include "texturing/texture_slots.h"

namespace scenelayers {

void drawStars(RenderContext& context, int slotBase, const SceneParameters& p) {
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor3f(1.0f, 1.0f, 1.0f);
    for (int i = 0; i < 100; ++i) nextRandom();
    glEnable(GL_TEXTURE_2D);
    bindTextureSlot(context, slotBase + 10);
    for (int i = 0; i < 1500; ++i) {
        glPushMatrix();
        const double r1 = random01();
        const double r2 = random01();
        const double r3 = random01();
        Point4 direction{r3 - 0.5, r2 - 0.5, r1 - 0.5, 1};
        const Point4 place = scaled(normalize(direction), p.starRadius);
        glTranslatef(static_cast<GLfloat>(place.x), static_cast<GLfloat>(place.y),
                     static_cast<GLfloat>(place.z));
        const double size = (2.0 * random01() + 0.5) * p.starSize;
        drawBillboard(0.0, size, size);
        glPopMatrix();
    }
}

void drawClouds(RenderContext& context, int slotBase, double t, const SceneParameters& p) {
    glEnable(GL_TEXTURE_2D);
    bindTextureSlot(context, slotBase + 20);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, static_cast<GLfloat>(ramp(t, 10.0, 0.08) * p.cloudOpacity));
    if (!(t > 10.0)) return;
    for (int i = 0; i < 6; ++i) {
        glPushMatrix();
        const double r1 = random01();
        const double r2 = random01();
        const double r3 = random01();
        glTranslatef(static_cast<GLfloat>(8.0 * r3 - 4.0),
                     static_cast<GLfloat>(2.0 * r2 + p.cloudHeight),
                     static_cast<GLfloat>(8.0 * r1 - 4.0));
        const double size = 7.0 * random01() + 3.0;
        drawBillboardUpright(size, size);
        glPopMatrix();
    }
}

}  // namespace scenelayers
