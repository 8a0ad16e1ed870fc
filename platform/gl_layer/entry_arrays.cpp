// Vertex arrays: glDrawArrays and glDrawElements read the client's arrays
// element by element into the same per-vertex stage and primitive assembly
// as glBegin/glEnd, each element's vertex worked out once per draw.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/gl_layer/layer_context.h"

using namespace gl_layer;

namespace {

ClientArray* clientArray(GLenum array) {
    ClientArrays& a = layer().arrays;
    switch (array) {
        case GL_VERTEX_ARRAY:
            return &a.vertex;
        case GL_NORMAL_ARRAY:
            return &a.normal;
        case GL_COLOR_ARRAY:
            return &a.color;
        case GL_TEXTURE_COORD_ARRAY:
            return &a.texCoord;
        default:
            reportUnsupported("glEnableClientState", array);
            return nullptr;
    }
}

void setPointer(ClientArray& array, GLint size, GLenum type, GLsizei stride, const void* pointer,
                const char* call) {
    if (type != GL_FLOAT && !(type == GL_UNSIGNED_BYTE && &array == &layer().arrays.color)) {
        reportUnsupported(call, type);
        return;
    }
    if (size < 1 || size > 4 || stride < 0) return;  // GL_INVALID_VALUE
    array.size = size;
    array.type = type;
    array.stride = stride;
    array.pointer = pointer;
}

// Element `index` of `array` into (x y z w), GL's defaults (0 0 0 1) for
// what it leaves out; bytes are read as fractions of 255.
void element(const ClientArray& array, std::size_t index, float out[4]) {
    out[0] = out[1] = out[2] = 0.0f;
    out[3] = 1.0f;
    const std::size_t itemSize = array.type == GL_FLOAT ? sizeof(float) : 1;
    const std::size_t stride = array.stride != 0 ? static_cast<std::size_t>(array.stride)
                                                 : itemSize * static_cast<std::size_t>(array.size);
    const auto* base = static_cast<const std::uint8_t*>(array.pointer) + stride * index;
    for (int i = 0; i < array.size; ++i) {
        if (array.type == GL_FLOAT) {
            float v;
            std::memcpy(&v, base + i * sizeof(float), sizeof v);
            out[i] = v;
        } else {
            out[i] = base[i] / 255.0f;
        }
    }
}

// The processed vertex of element `index`: the enabled arrays become the
// current normal, colour and texture coordinate, as glArrayElement does.
LayerVertex arrayVertex(LayerContext& l, std::size_t index) {
    float v[4];
    if (l.arrays.normal.enabled && l.arrays.normal.pointer) {
        element(l.arrays.normal, index, v);
        l.state.normal = {v[0], v[1], v[2]};
    }
    if (l.arrays.color.enabled && l.arrays.color.pointer) {
        element(l.arrays.color, index, v);
        l.state.color = {v[0], v[1], v[2], v[3]};
        trackColorMaterial(l.state, l.state.color);
    }
    if (l.arrays.texCoord.enabled && l.arrays.texCoord.pointer) {
        element(l.arrays.texCoord, index, v);
        l.state.texCoord = {v[0], v[1], v[2], v[3]};
    }
    element(l.arrays.vertex, index, v);
    if (l.arrays.vertex.size < 4) v[3] = 1.0f;
    return processVertex(l.state, l.vertexTransforms(), v[0], v[1], v[2], v[3]);
}

// Draws `count` elements, the i-th being element(i), as one primitive run.
template <class Element>
void drawElements(GLenum mode, GLsizei count, Element&& elementOf) {
    LayerContext& l = layer();
    if (count <= 0 || !l.arrays.vertex.enabled || l.arrays.vertex.pointer == nullptr) return;
    if (l.assembler.active()) return;  // inside glBegin/glEnd: an error in GL
    ++l.begins;
    const float lineWidth = static_cast<float>(l.state.lineWidth * framing().scale);
    if (!l.assembler.begin(mode, l.drawState(), l.state.shadeModel, lineWidth)) {
        reportUnsupported("glDrawElements", mode);
        return;
    }
    // Each element's vertex once per draw: a stamp says it is this draw's.
    static std::vector<LayerVertex> vertices;
    static std::vector<std::uint32_t> stamps;
    static std::uint32_t stamp = 0;
    if (++stamp == 0) {
        std::fill(stamps.begin(), stamps.end(), 0u);
        stamp = 1;
    }
    for (GLsizei i = 0; i < count; ++i) {
        const std::size_t index = elementOf(i);
        if (index >= stamps.size()) {
            stamps.resize(index + 1, 0);
            vertices.resize(index + 1);
        }
        if (stamps[index] != stamp) {
            vertices[index] = arrayVertex(l, index);
            stamps[index] = stamp;
        }
        l.assembler.add(vertices[index], l.renderer);
    }
    l.assembler.end();
}

}  // namespace

void GLAPIENTRY glEnableClientState(GLenum array) {
    if (ClientArray* a = clientArray(array)) a->enabled = true;
}

void GLAPIENTRY glDisableClientState(GLenum array) {
    if (ClientArray* a = clientArray(array)) a->enabled = false;
}

void GLAPIENTRY glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    if (size < 2) return;
    setPointer(layer().arrays.vertex, size, type, stride, pointer, "glVertexPointer");
}

void GLAPIENTRY glNormalPointer(GLenum type, GLsizei stride, const GLvoid* pointer) {
    setPointer(layer().arrays.normal, 3, type, stride, pointer, "glNormalPointer");
}

void GLAPIENTRY glColorPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    if (size < 3) return;
    setPointer(layer().arrays.color, size, type, stride, pointer, "glColorPointer");
}

void GLAPIENTRY glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    setPointer(layer().arrays.texCoord, size, type, stride, pointer, "glTexCoordPointer");
}

void GLAPIENTRY glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    if (first < 0) return;
    drawElements(mode, count, [first](GLsizei i) { return static_cast<std::size_t>(first) + i; });
}

void GLAPIENTRY glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices) {
    if (indices == nullptr) return;  // no element buffers in the layer
    switch (type) {
        case GL_UNSIGNED_BYTE: {
            const auto* p = static_cast<const std::uint8_t*>(indices);
            drawElements(mode, count, [p](GLsizei i) { return static_cast<std::size_t>(p[i]); });
            break;
        }
        case GL_UNSIGNED_SHORT: {
            const auto* p = static_cast<const std::uint16_t*>(indices);
            drawElements(mode, count, [p](GLsizei i) { return static_cast<std::size_t>(p[i]); });
            break;
        }
        case GL_UNSIGNED_INT: {
            const auto* p = static_cast<const std::uint32_t*>(indices);
            drawElements(mode, count, [p](GLsizei i) { return static_cast<std::size_t>(p[i]); });
            break;
        }
        default:
            reportUnsupported("glDrawElements type", type);
            break;
    }
}
