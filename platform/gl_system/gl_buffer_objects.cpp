// Buffer objects on the system's GL: core since OpenGL 1.5. Linux's libGL
// exports the functions; Windows' opengl32 stops at 1.1, so there they come
// from the driver through wglGetProcAddress.
#define GL_GLEXT_PROTOTYPES 1
#include "platform/gl_buffer_objects.h"

#include <cstdint>
#include <cstdio>

namespace platform {

namespace {

bool versionAtLeast15() {
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0, minor = 0;
    if (version == nullptr || std::sscanf(version, "%d.%d", &major, &minor) != 2) return false;
    return major > 1 || (major == 1 && minor >= 5);
}

#ifdef _WIN32
// wglGetProcAddress answers some names it does not have with small numbers
// or -1 rather than null.
template <typename F>
F driverFunction(const char* name) {
    PROC found = wglGetProcAddress(name);
    const auto value = reinterpret_cast<std::intptr_t>(found);
    if (value >= -1 && value <= 3) return nullptr;
    return reinterpret_cast<F>(found);
}
#endif

}  // namespace

GlBufferObjects glBufferObjects() {
    GlBufferObjects gl;
    if (!versionAtLeast15()) return gl;
#ifdef _WIN32
    gl.genBuffers = driverFunction<PFNGLGENBUFFERSPROC>("glGenBuffers");
    gl.deleteBuffers = driverFunction<PFNGLDELETEBUFFERSPROC>("glDeleteBuffers");
    gl.bindBuffer = driverFunction<PFNGLBINDBUFFERPROC>("glBindBuffer");
    gl.bufferData = driverFunction<PFNGLBUFFERDATAPROC>("glBufferData");
    if (!gl.available()) gl = {};
#else
    gl.genBuffers = &glGenBuffers;
    gl.deleteBuffers = &glDeleteBuffers;
    gl.bindBuffer = &glBindBuffer;
    gl.bufferData = &glBufferData;
#endif
    return gl;
}

}  // namespace platform
