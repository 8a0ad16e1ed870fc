#include "runtime/render_context.h"
#include "scene/billboards.h"
#include "scene/gl_headers.h"
#include "scene/scene_layers.h"
#include "scene/timing_curves.h"
#include "texturing/texture_slots.h"

namespace scenelayers {

namespace {
// One image at the world origin, added onto the frame with the given grey.
void drawClosingImage(RenderContext& context, int slot, double grey, double size) {
    glPushMatrix();
    const GLfloat g = static_cast<GLfloat>(grey);
    glColor3f(g, g, g);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    bindTextureSlot(context, slot);
    glEnable(GL_TEXTURE_2D);
    // Added with grey 0 the image changes no pixel; skipping the quad saves
    // up to a full-screen textured pass while leaving every state as it was.
    if (grey > 0.0) drawBillboard(0.0, size, size);
    glPopMatrix();
}
}  // namespace

void drawClosingImages(RenderContext& context, int slotBase, double t) {
    // First image: fades in from 78 s to 83 s, slowly growing.
    drawClosingImage(context, slotBase + 40, ramp(t, 78.0, 0.2), 2.0 + 0.1 * (t - 78.0));
    // Second image: rises from 76 s, peaks at 0.4 at 78 s, gone at about 81.85 s.
    drawClosingImage(context, slotBase + 41, ramp(t, 76.0, 0.2) - ramp(t, 78.0, 0.26),
                     2.0 + 0.05 * (t - 76.0));
}

}  // namespace scenelayers
