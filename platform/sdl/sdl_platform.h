#pragma once
#include "platform/platform.h"

namespace platform {

// The SDL2 build of the platform; its one process-wide instance is
// defaultPlatform().

// Asks SDL for the demo's pixel format: the context the linked GL library
// needs (compatibility for the system's GL 1.x, OpenGL ES 3.0 for the
// fixed-function layer), RGBA8, depth 24, stencil 8, double-buffered. Call
// before creating a GL window.
void requestDemoGlAttributes();

// Windows virtual-key code for an SDL key code, or 0 when it has none.
int virtualKeyFromSdl(int sdlKeyCode);

}  // namespace platform
