// The layer's side of the platform's GL seam: an OpenGL ES 3.0 context,
// the held-back draws handed over before a frame is shown, and no buffer
// objects.
#include "platform/gl_buffer_objects.h"
#include "platform/gl_layer/gl_layer.h"
#include "platform/gl_library.h"

namespace platform {

GlLibrary glLibrary() {
    return {"layer", true, 3, 0};
}

void finishGlFrame() {
    gl_layer::flush();
}

GlBufferObjects glBufferObjects() {
    // The layer batches client arrays itself.
    return {};
}

GlCounts glCounts() {
    const gl_layer::Counts counts = gl_layer::counts();
    return {counts.begins, counts.draws};
}

}  // namespace platform
