#include "tools/capture/render_target.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>

#include "tools/capture/capture_system.h"

namespace {

struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;

    bool load() {
        auto get = [](const char* name) { return glEntryPoint(name); };
        genFramebuffers = reinterpret_cast<PFNGLGENFRAMEBUFFERSPROC>(get("glGenFramebuffers"));
        bindFramebuffer = reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(get("glBindFramebuffer"));
        genRenderbuffers = reinterpret_cast<PFNGLGENRENDERBUFFERSPROC>(get("glGenRenderbuffers"));
        bindRenderbuffer = reinterpret_cast<PFNGLBINDRENDERBUFFERPROC>(get("glBindRenderbuffer"));
        renderbufferStorage =
            reinterpret_cast<PFNGLRENDERBUFFERSTORAGEPROC>(get("glRenderbufferStorage"));
        framebufferRenderbuffer =
            reinterpret_cast<PFNGLFRAMEBUFFERRENDERBUFFERPROC>(get("glFramebufferRenderbuffer"));
        checkFramebufferStatus =
            reinterpret_cast<PFNGLCHECKFRAMEBUFFERSTATUSPROC>(get("glCheckFramebufferStatus"));
        return genFramebuffers && bindFramebuffer && genRenderbuffers && bindRenderbuffer &&
               renderbufferStorage && framebufferRenderbuffer && checkFramebufferStatus;
    }
};

}  // namespace

bool RenderTarget::create(int width, int height, std::string& error) {
    FramebufferCalls gl;
    if (!gl.load()) {
        error = "this GL has no framebuffer objects";
        return false;
    }
    GLint maxSize = 0, maxViewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);
    const int limit = std::min<int>(maxSize, std::min(maxViewport[0], maxViewport[1]));
    if (width > limit || height > limit) {
        error = "a " + std::to_string(width) + "x" + std::to_string(height) +
                " render is beyond this GL's limit of " + std::to_string(limit) +
                " pixels a side (lower --supersample or --size)";
        return false;
    }
    GLuint framebuffer = 0, buffers[2] = {0, 0};
    gl.genFramebuffers(1, &framebuffer);
    gl.bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    gl.genRenderbuffers(2, buffers);
    gl.bindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
    gl.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
    gl.bindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
    gl.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                               buffers[1]);
    if (gl.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE ||
        glGetError() != GL_NO_ERROR) {
        error = "cannot make a " + std::to_string(width) + "x" + std::to_string(height) +
                " offscreen framebuffer (out of memory?)";
        return false;
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glViewport(0, 0, width, height);
    width_ = width;
    height_ = height;
    return true;
}

void RenderTarget::read(std::uint8_t* pixels) const {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
}
