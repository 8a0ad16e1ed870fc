#include "runtime/render_context.h"
#include "scene/demo_random.h"
#include "scene/gl_headers.h"
#include "scene/scene_layers.h"
#include "scene/scene_parameters.h"
#include "scene/spire.h"
#include "scene/timing_curves.h"

namespace scenelayers {

void drawSpires(RenderContext& context, double t, const SceneParameters& p) {
    seedRandom(30100);
    for (int i = 0; i < 1000; ++i) nextRandom();
    for (int i = 0; i < 20; ++i) {
        const double blue = 0.2 * (nextRandom() % 2);
        const double green = 0.2 * (nextRandom() % 2);
        const double red = 0.2 * (nextRandom() % 2);
        context.setMaterial(red, green, blue, 0.8, 0.8, 0.8);
        context.applyMaterial();
        glEnable(GL_LIGHTING);
        const double x = 0.7 * (nextRandom() % 8 - 4);
        const double z = 0.7 * (nextRandom() % 8 - 4);
        // Spire i grows in during the second from 36 - 0.1 i and shrinks back
        // during the second from 77 - 0.1 i.
        const double u = t + 0.1 * i;
        const double growth = ramp(u, 36.0, 1.0) - ramp(u, 77.0, 1.0);
        const double size = p.spireSize + 0.02 * random01();
        drawSpire(Point4{x, 0.0, z, 1}, size, growth);
    }
}

void drawMirroredSpires(RenderContext& context, double t, const SceneParameters& p) {
    glPushMatrix();
    glScalef(1.0f, -1.0f, 1.0f);
    glTranslatef(0.0f, 0.84f, 0.0f);
    drawSpires(context, t, p);
    glPopMatrix();
}

void drawFloor(double t, const SceneParameters& p) {
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (!(t > kSecondAct)) return;
    glPushMatrix();
    glTranslatef(0.0f, static_cast<GLfloat>(p.floorHeight), 0.0f);
    for (int x = -10; x <= 9; ++x) {
        for (int z = -10; z <= 9; ++z) {
            glPushMatrix();
            const double lift = 0.2 * random01();
            glTranslatef(static_cast<GLfloat>(x), static_cast<GLfloat>(lift),
                         static_cast<GLfloat>(z));
            const double alpha = p.floorOpacity * random01();
            glColor4f(0.0f, 0.0f, static_cast<GLfloat>(p.floorBlue), static_cast<GLfloat>(alpha));
            glBegin(GL_QUADS);
            glVertex3f(-1.0f, 0.0f, -1.0f);
            glVertex3f(-1.0f, 0.0f, 1.0f);
            glVertex3f(1.0f, 0.0f, 1.0f);
            glVertex3f(1.0f, 0.0f, -1.0f);
            glEnd();
            glPopMatrix();
        }
    }
    glPopMatrix();
}

}  // namespace scenelayers
