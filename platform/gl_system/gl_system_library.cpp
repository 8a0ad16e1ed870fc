// The system's OpenGL 1.x and GLU, on a compatibility context.
#include "platform/gl_library.h"

namespace platform {

GlLibrary glLibrary() {
    return {"system", false, 0, 0};
}

void finishGlFrame() {
    // The system's GL draws as it is called; buffer swaps flush it.
}

GlCounts glCounts() {
    return {};
}

}  // namespace platform
