#include "scene/film_overlay.h"

#include "runtime/render_context.h"
#include "scene/billboards.h"
#include "scene/demo_random.h"
#include "scene/gl_headers.h"
#include "scene/timing_curves.h"

namespace {
constexpr int kFilmSlot = 90000;
}

void drawFilmOverlay(double alpha, double size, RenderContext& context) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushMatrix();

    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    // Slots from 85000 up are absolute: the film texture is entry 90000.
    glBindTexture(GL_TEXTURE_2D, context.textureIds[kFilmSlot]);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);

    glColor4f(1.0f, 1.0f, 1.0f, static_cast<GLfloat>(clamp01(alpha)));

    glLoadIdentity();
    const double dx = (random01() - 0.5) * 0.1;
    const double dy = (random01() - 0.5) * 0.1;
    gluLookAt(dx, dy, 3.2, dx, dy, 0.0, 0.0, 1.0, 0.0);

    const double s = size + 3.5;
    const double angle = 360.0 * random01();
    drawBillboardTiled(angle, s, s);

    glPopMatrix();
    glPopAttrib();
}
