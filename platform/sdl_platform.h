#pragma once
#include "platform/platform.h"

namespace platform {

// The SDL2 build of the platform: one process-wide instance.
Platform& sdlPlatform();

// Asks SDL for the demo's pixel format: a compatibility GL context, RGBA8,
// depth 24, stencil 8, double-buffered. Call before creating a GL window.
void requestDemoGlAttributes();

// Windows virtual-key code for an SDL key code, or 0 when it has none.
int virtualKeyFromSdl(int sdlKeyCode);

}  // namespace platform
