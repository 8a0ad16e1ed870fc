#pragma once
#include "platform/platform.h"

namespace platform {

// The SDL2 build of the platform: one process-wide instance.
Platform& sdlPlatform();

// Windows virtual-key code for an SDL key code, or 0 when it has none.
int virtualKeyFromSdl(int sdlKeyCode);

}  // namespace platform
