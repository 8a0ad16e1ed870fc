#include "texturing/window_record.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {
// The process-wide record, zero-initialised before the program starts.
WindowRecord theWindowRecord;
}  // namespace

WindowRecord& windowRecord() {
    return theWindowRecord;
}

void WindowRecord::setUpPixelBuffer() {
    // Multiplied onto whatever projection is there, without loading the
    // identity first; the per-frame projection loads its own.
    glMatrixMode(GL_PROJECTION);
    gluPerspective(65.0, 1.3333333333333333, 0.001, 157.0);
    glMatrixMode(GL_MODELVIEW);

    // A 1024 x 1024 offscreen surface whose context shares textures and
    // display lists with the current (window) context. When the system
    // offers none, the handles stay null and nothing else changes.
    platform::Platform& system = platform::current();
    const platform::OffscreenSurface surface =
        system.createOffscreenSurface(1024, 1024, system.currentGlContext());
    pbuffer = surface.surface;
    pbufferDeviceContext = surface.deviceContext;
    pbufferGlContext = surface.glContext;

    // The window's contexts, which stay current.
    windowDeviceContext = system.currentDeviceContext();
    windowGlContext = system.currentGlContext();

    // A neutral state for pixel transfers on the window context.
    for (GLenum cap : {GL_ALPHA_TEST, GL_BLEND, GL_DEPTH_TEST, GL_DITHER, GL_FOG, GL_LIGHTING,
                       GL_LOGIC_OP, GL_STENCIL_TEST, GL_TEXTURE_1D, GL_TEXTURE_2D}) {
        glDisable(cap);
    }
    glPixelTransferi(GL_MAP_COLOR, 0);
    glPixelTransferi(GL_RED_SCALE, 1);
    glPixelTransferi(GL_RED_BIAS, 0);
    glPixelTransferi(GL_GREEN_SCALE, 1);
    glPixelTransferi(GL_GREEN_BIAS, 0);
    glPixelTransferi(GL_BLUE_SCALE, 1);
    glPixelTransferi(GL_BLUE_BIAS, 0);
    glPixelTransferi(GL_ALPHA_SCALE, 1);
    glPixelTransferi(GL_ALPHA_BIAS, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
}
