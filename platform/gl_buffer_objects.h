#pragma once
// Buffer objects (OpenGL 1.5): vertex and index arrays the GL keeps, so that
// a draw need not hand them over again. The system's GL offers them where
// its context has them; the fixed-function layer draws from client arrays
// only and offers none.
#include <GL/gl.h>

namespace platform {

struct GlBufferObjects {
    PFNGLGENBUFFERSPROC genBuffers = nullptr;
    PFNGLDELETEBUFFERSPROC deleteBuffers = nullptr;
    PFNGLBINDBUFFERPROC bindBuffer = nullptr;
    PFNGLBUFFERDATAPROC bufferData = nullptr;

    bool available() const { return genBuffers && deleteBuffers && bindBuffer && bufferData; }
};

// The current context's buffer-object functions; all null where it has
// none. Asked with a context current.
GlBufferObjects glBufferObjects();

}  // namespace platform
