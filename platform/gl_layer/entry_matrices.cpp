// The modelview, projection and texture matrix stacks.
#include "platform/gl_layer/layer_context.h"
#include "platform/gl_layer/matrix_ops.h"

using namespace gl_layer;

void gl_layer::multiplyCurrentMatrix(const Mat4& m) {
    LayerContext& l = layer();
    Mat4& top = l.currentStack().top();
    top = multiply(top, m);
    l.transformsStale = true;
}

void GLAPIENTRY glMatrixMode(GLenum mode) {
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE) {
        reportUnsupported("glMatrixMode", mode);
        return;
    }
    layer().state.matrixMode = mode;
}

void GLAPIENTRY glLoadIdentity() {
    LayerContext& l = layer();
    l.currentStack().top() = identityMatrix();
    l.transformsStale = true;
}

void GLAPIENTRY glLoadMatrixf(const GLfloat* m) {
    LayerContext& l = layer();
    std::copy(m, m + 16, l.currentStack().top().begin());
    l.transformsStale = true;
}

void GLAPIENTRY glPushMatrix() {
    MatrixStack& stack = layer().currentStack();
    if (stack.entries.size() >= stack.maxDepth) return;  // GL_STACK_OVERFLOW
    stack.entries.push_back(stack.top());
}

void GLAPIENTRY glPopMatrix() {
    LayerContext& l = layer();
    MatrixStack& stack = l.currentStack();
    if (stack.entries.size() <= 1) return;  // GL_STACK_UNDERFLOW
    stack.entries.pop_back();
    l.transformsStale = true;
}

void GLAPIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    multiplyCurrentMatrix(translationMatrix(x, y, z));
}

void GLAPIENTRY glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    multiplyCurrentMatrix(rotationMatrix(angle, x, y, z));
}

void GLAPIENTRY glScalef(GLfloat x, GLfloat y, GLfloat z) {
    multiplyCurrentMatrix(scaleMatrix(x, y, z));
}

void GLAPIENTRY glMultMatrixf(const GLfloat* m) {
    Mat4 matrix;
    std::copy(m, m + 16, matrix.begin());
    multiplyCurrentMatrix(matrix);
}

void GLAPIENTRY glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top,
                        GLdouble zNear, GLdouble zFar) {
    if (left == right || bottom == top || zNear == zFar) return;  // GL_INVALID_VALUE
    Mat4 m = identityMatrix();
    m[0] = static_cast<float>(2 / (right - left));
    m[5] = static_cast<float>(2 / (top - bottom));
    m[10] = static_cast<float>(-2 / (zFar - zNear));
    m[12] = static_cast<float>(-(right + left) / (right - left));
    m[13] = static_cast<float>(-(top + bottom) / (top - bottom));
    m[14] = static_cast<float>(-(zFar + zNear) / (zFar - zNear));
    multiplyCurrentMatrix(m);
}
