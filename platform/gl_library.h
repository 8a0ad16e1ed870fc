#pragma once
// The seam between the window code and the GL library an executable is
// linked with: the system's OpenGL 1.x (platform/gl_system) or our
// fixed-function layer over OpenGL ES 3.0 (platform/gl_layer). Each of the
// two defines these functions; the build picks one per executable.

namespace platform {

// The GL context the linked library draws on.
struct GlLibrary {
    const char* name;  // "system" or "layer"
    bool es;           // an OpenGL ES context rather than a compatibility one
    int major;         // version asked for; 0 leaves it to the system
    int minor;
};
GlLibrary glLibrary();

// Hands the driver whatever the library still holds of the frame; called
// before the back buffer is shown.
void finishGlFrame();

// Counts since start: primitives begun (glBegin) and draws handed to the
// driver; -1 where the library does not count them.
struct GlCounts {
    long begins = -1;
    long draws = -1;
};
GlCounts glCounts();

}  // namespace platform
