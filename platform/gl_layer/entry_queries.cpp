// GL strings, state queries, reading pixels back and display-list names.
#include <algorithm>
#include <cstddef>
#include <utility>

#include "platform/gl_layer/layer_context.h"

using namespace gl_layer;

namespace {
void copyMatrix(const Mat4& m, GLfloat* out) {
    std::copy(m.begin(), m.end(), out);
}
}  // namespace

const GLubyte* GLAPIENTRY glGetString(GLenum name) {
    LayerContext& l = layer();
    const std::string* text = nullptr;
    // Its one extension beyond GL 1.4's core: the combine environment's
    // dot product (in the core since 1.3, named for programs that look).
    static const std::string kExtensions = "GL_ARB_texture_env_combine GL_ARB_texture_env_dot3";
    switch (name) {
        case GL_VENDOR:
            text = &l.vendor;
            break;
        case GL_RENDERER:
            text = &l.rendererName;
            break;
        case GL_VERSION:
            text = &l.version;
            break;
        case GL_EXTENSIONS:
            text = &kExtensions;
            break;
        default:
            return nullptr;
    }
    return reinterpret_cast<const GLubyte*>(text->c_str());
}

void GLAPIENTRY glGetFloatv(GLenum pname, GLfloat* params) {
    LayerContext& l = layer();
    const FixedState& s = l.state;
    switch (pname) {
        case GL_CURRENT_COLOR:
            std::copy(s.color.begin(), s.color.end(), params);
            break;
        case GL_CURRENT_NORMAL:
            std::copy(s.normal.begin(), s.normal.end(), params);
            break;
        case GL_CURRENT_TEXTURE_COORDS:
            std::copy(s.texCoord.begin(), s.texCoord.end(), params);
            break;
        case GL_MODELVIEW_MATRIX:
            copyMatrix(l.modelview.top(), params);
            break;
        case GL_PROJECTION_MATRIX:
            copyMatrix(l.projection.top(), params);
            break;
        case GL_TEXTURE_MATRIX:
            copyMatrix(l.texture.top(), params);
            break;
        case GL_POINT_SIZE:
            params[0] = s.pointSize;
            break;
        case GL_LINE_WIDTH:
            params[0] = s.lineWidth;
            break;
        case GL_COLOR_CLEAR_VALUE:
            std::copy(s.clearColor.begin(), s.clearColor.end(), params);
            break;
        case GL_LIGHT_MODEL_AMBIENT:
            std::copy(s.lightModelAmbient.begin(), s.lightModelAmbient.end(), params);
            break;
        default:
            reportUnsupported("glGetFloatv", pname);
            break;
    }
}

void GLAPIENTRY glGetIntegerv(GLenum pname, GLint* params) {
    LayerContext& l = layer();
    const FixedState& s = l.state;
    switch (pname) {
        case GL_PACK_ALIGNMENT:
            params[0] = l.pack.alignment;
            break;
        case GL_UNPACK_ALIGNMENT:
            params[0] = l.unpack.alignment;
            break;
        case GL_PACK_ROW_LENGTH:
            params[0] = l.pack.rowLength;
            break;
        case GL_MAX_TEXTURE_SIZE:
        case GL_MAX_VIEWPORT_DIMS:
        case GL_MAX_RENDERBUFFER_SIZE:
            l.es.GetIntegerv(pname, params);  // limits of the real GL
            break;
        case GL_VIEWPORT:
            std::copy(s.viewport.begin(), s.viewport.end(), params);
            break;
        case GL_MATRIX_MODE:
            params[0] = static_cast<GLint>(s.matrixMode);
            break;
        case GL_MODELVIEW_STACK_DEPTH:
            params[0] = static_cast<GLint>(l.modelview.entries.size());
            break;
        case GL_PROJECTION_STACK_DEPTH:
            params[0] = static_cast<GLint>(l.projection.entries.size());
            break;
        case GL_TEXTURE_STACK_DEPTH:
            params[0] = static_cast<GLint>(l.texture.entries.size());
            break;
        case GL_ATTRIB_STACK_DEPTH:
            params[0] = static_cast<GLint>(l.attribStack.size());
            break;
        case GL_TEXTURE_BINDING_2D:
            params[0] = static_cast<GLint>(s.boundTexture);
            break;
        default:
            reportUnsupported("glGetIntegerv", pname);
            break;
    }
}

void GLAPIENTRY glReadBuffer(GLenum mode) {
    layer().es.ReadBuffer(mode);
}

void GLAPIENTRY glDrawBuffer(GLenum buffer) {
    // OpenGL ES names the draw buffers as a list; one buffer is a list of one.
    LayerContext& l = layer();
    l.renderer.flush();
    l.es.DrawBuffers(1, &buffer);
}

GLenum GLAPIENTRY glGetError(void) {
    return layer().es.GetError();
}

void GLAPIENTRY glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                             GLenum type, GLvoid* pixels) {
    LayerContext& l = layer();
    l.renderer.flush();
    if (format != GL_BGRA || type != GL_UNSIGNED_BYTE) {
        l.es.ReadPixels(x, y, width, height, format, type, pixels);
        return;
    }
    // OpenGL ES reads RGBA bytes for certain; blue and red swap places after.
    l.es.ReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    const size_t row = static_cast<size_t>(l.pack.rowLength > 0 ? l.pack.rowLength : width) * 4;
    const size_t alignment = std::max(1, l.pack.alignment);
    const size_t stride = (row + alignment - 1) / alignment * alignment;
    auto* bytes = static_cast<GLubyte*>(pixels);
    for (GLsizei y0 = 0; y0 < height; ++y0) {
        GLubyte* p = bytes + y0 * stride;
        for (GLsizei x0 = 0; x0 < width; ++x0, p += 4) std::swap(p[0], p[2]);
    }
}

GLuint GLAPIENTRY glGenLists(GLsizei range) {
    // Names only: the program reserves lists but never compiles or calls one.
    LayerContext& l = layer();
    if (range <= 0) return 0;
    const GLuint first = l.nextDisplayList;
    l.nextDisplayList += static_cast<GLuint>(range);
    return first;
}
