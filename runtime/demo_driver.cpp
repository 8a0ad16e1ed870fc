#include "runtime/demo_driver.h"

#include <GL/gl.h>

#include "runtime/render_context.h"

// Placeholder until the frame driver lands (issue 7): initialisation hooks
// the empty progress callback and the frame only clears the picture.
namespace {
void ignoreProgress(double) {}
}  // namespace

void initDemo() {
    renderContext().progressCallback = ignoreProgress;
}

void drawFrame() {
    ++frameCount;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}
