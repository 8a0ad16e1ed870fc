// Capabilities, blending, depth, rasterisation sizes, viewport, clearing,
// the attribute stack and flushing.
#include "platform/gl_layer/gl_layer.h"
#include "platform/gl_layer/layer_context.h"

using namespace gl_layer;

namespace {

constexpr size_t kAttribStackDepth = 16;

// The flag behind a capability; null for one the layer does not know.
bool* capability(FixedState& s, GLenum cap) {
    if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + kLightCount)
        return &s.lights[cap - GL_LIGHT0].enabled;
    switch (cap) {
        case GL_BLEND:
            return &s.blend;
        case GL_DEPTH_TEST:
            return &s.depthTest;
        case GL_LIGHTING:
            return &s.lighting;
        case GL_COLOR_MATERIAL:
            return &s.colorMaterial;
        case GL_TEXTURE_2D:
            return &s.texture2d;
        case GL_CULL_FACE:
            return &s.cullFace;
        case GL_ALPHA_TEST:
            return &s.alphaTest;
        case GL_DITHER:
            return &s.dither;
        case GL_NORMALIZE:
            return &s.normalize;
        case GL_FOG:
            return &s.fog;
        case GL_LOGIC_OP:
            return &s.logicOp;
        case GL_STENCIL_TEST:
            return &s.stencilTest;
        case GL_TEXTURE_1D:
            return &s.texture1d;
        case GL_TEXTURE_GEN_S:
            return &s.textureGenS;
        case GL_TEXTURE_GEN_T:
            return &s.textureGenT;
        default:
            return nullptr;
    }
}

// Capabilities that are remembered but change nothing the layer draws.
bool drawsWithout(GLenum cap) {
    return cap == GL_FOG || cap == GL_LOGIC_OP || cap == GL_STENCIL_TEST || cap == GL_TEXTURE_1D ||
           cap == GL_TEXTURE_GEN_S || cap == GL_TEXTURE_GEN_T;
}

void setCapability(GLenum cap, bool on) {
    FixedState& s = layer().state;
    bool* flag = capability(s, cap);
    if (flag == nullptr || (on && drawsWithout(cap))) {
        if (on) reportUnsupported("glEnable", cap);
        if (flag == nullptr) return;
    }
    *flag = on;
    // Turning tracking on copies the current colour into the material.
    if (cap == GL_COLOR_MATERIAL && on) trackColorMaterial(s, s.color);
}

}  // namespace

void GLAPIENTRY glEnable(GLenum cap) {
    setCapability(cap, true);
}

void GLAPIENTRY glDisable(GLenum cap) {
    setCapability(cap, false);
}

void GLAPIENTRY glBlendFunc(GLenum source, GLenum destination) {
    FixedState& s = layer().state;
    s.blendSource = source;
    s.blendDestination = destination;
}

void GLAPIENTRY glDepthFunc(GLenum func) {
    layer().state.depthFunc = func;
}

void GLAPIENTRY glShadeModel(GLenum mode) {
    if (mode != GL_FLAT && mode != GL_SMOOTH) return;
    layer().state.shadeModel = mode;
}

void GLAPIENTRY glHint(GLenum target, GLenum mode) {
    // Perspective-correct interpolation is what the shaders always do.
    if (target == GL_PERSPECTIVE_CORRECTION_HINT) layer().state.perspectiveHint = mode;
}

void GLAPIENTRY glPointSize(GLfloat size) {
    if (size > 0.0f) layer().state.pointSize = size;
}

void GLAPIENTRY glLineWidth(GLfloat width) {
    if (width > 0.0f) layer().state.lineWidth = width;
}

void GLAPIENTRY glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (width < 0 || height < 0) return;
    layer().state.viewport = {x, y, width, height};
}

void GLAPIENTRY glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    layer().state.clearColor = {r, g, b, a};
}

void GLAPIENTRY glClearDepth(GLclampd depth) {
    layer().state.clearDepth = static_cast<float>(depth);
}

void GLAPIENTRY glClear(GLbitfield mask) {
    LayerContext& l = layer();
    l.renderer.flush();
    l.renderer.setClearValues(l.state.clearColor, l.state.clearDepth);
    l.es.Clear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT));
}

void GLAPIENTRY glPushAttrib(GLbitfield mask) {
    LayerContext& l = layer();
    if (l.attribStack.size() >= kAttribStackDepth) return;  // GL_STACK_OVERFLOW
    l.attribStack.emplace_back(mask, l.state);
}

void GLAPIENTRY glPopAttrib() {
    LayerContext& l = layer();
    if (l.attribStack.empty()) return;  // GL_STACK_UNDERFLOW
    restoreAttribGroups(l.state, l.attribStack.back().second, l.attribStack.back().first);
    l.attribStack.pop_back();
}

void GLAPIENTRY glFlush() {
    LayerContext& l = layer();
    l.renderer.flush();
    l.es.Flush();
}

void GLAPIENTRY glFinish() {
    LayerContext& l = layer();
    l.renderer.flush();
    l.es.Finish();
}

namespace gl_layer {

void flush() {
    layer().renderer.flush();
}

}  // namespace gl_layer
