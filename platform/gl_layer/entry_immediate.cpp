// Immediate mode: glBegin/glEnd and the current vertex attributes.
#include "platform/gl_layer/layer_context.h"

using namespace gl_layer;

void GLAPIENTRY glBegin(GLenum mode) {
    LayerContext& l = layer();
    ++l.begins;
    if (l.assembler.active()) return;  // nested: an error in GL
    const float lineWidth = static_cast<float>(l.state.lineWidth * framing().scale);
    if (!l.assembler.begin(mode, l.drawState(), l.state.shadeModel, lineWidth))
        reportUnsupported("glBegin", mode);
}

void GLAPIENTRY glEnd() {
    layer().assembler.end();
}

void GLAPIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    LayerContext& l = layer();
    if (!l.assembler.active()) return;
    l.assembler.add(processVertex(l.state, l.vertexTransforms(), x, y, z, 1.0f), l.renderer);
}

namespace {
void setColor(float r, float g, float b, float a) {
    FixedState& s = layer().state;
    s.color = {r, g, b, a};
    trackColorMaterial(s, s.color);
}
}  // namespace

void GLAPIENTRY glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    setColor(r, g, b, a);
}

void GLAPIENTRY glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    setColor(r, g, b, 1.0f);
}

void GLAPIENTRY glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    layer().state.normal = {x, y, z};
}

void GLAPIENTRY glTexCoord2f(GLfloat s, GLfloat t) {
    layer().state.texCoord = {s, t, 0.0f, 1.0f};
}
