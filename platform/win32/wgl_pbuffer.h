#pragma once
// The offscreen pixel buffer through WGL_ARB_pixel_format and
// WGL_ARB_pbuffer, whose entry points are looked up by name on their first
// call and kept; a lookup that yields nothing makes that call return 0.
#include <windows.h>

#include "platform/platform.h"

namespace platform {

// A 1024 x 1024 (or width by height) pixel buffer with 32 colour, 24 depth
// and 8 stencil bits on the first format the driver offers, its device
// context and a GL context on it that shares lists with `share`. Needs a
// current GL context; leaves it current. All null where the driver has no
// such buffer.
OffscreenSurface createPbuffer(int width, int height, HGLRC share);

}  // namespace platform
