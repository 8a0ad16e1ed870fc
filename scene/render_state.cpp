#include "scene/render_state.h"

#include "platform/platform.h"
#include "runtime/render_context.h"
#include "scene/gl_headers.h"
#include "texturing/window_record.h"

void resetRenderState() {
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_LIGHT0);
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void applyProjection(RenderContext& context, WindowRecord& window) {
    platform::current().makeCurrent(window.windowDeviceContext, window.windowGlContext);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(75.0 + context.fovOffset, 1.0, context.nearPlane, context.farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
