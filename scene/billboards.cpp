#include "scene/billboards.h"

#include "scene/gl_headers.h"

namespace {

// Replaces the upper-left 3x3 block of the modelview matrix with the identity,
// keeping the translation column and the bottom row.
void faceViewer() {
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    m[0] = 1.0f;
    m[1] = 0.0f;
    m[2] = 0.0f;
    m[4] = 0.0f;
    m[5] = 1.0f;
    m[6] = 0.0f;
    m[8] = 0.0f;
    m[9] = 0.0f;
    m[10] = 1.0f;
    glLoadMatrixf(m);
}

void drawQuad(float textureExtent) {
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-1.0f, -1.0f, 0.0f);
    glTexCoord2f(textureExtent, 0.0f);
    glVertex3f(1.0f, -1.0f, 0.0f);
    glTexCoord2f(textureExtent, textureExtent);
    glVertex3f(1.0f, 1.0f, 0.0f);
    glTexCoord2f(0.0f, textureExtent);
    glVertex3f(-1.0f, 1.0f, 0.0f);
    glEnd();
}

}  // namespace

void drawBillboard(double angleDegrees, double sx, double sy) {
    faceViewer();
    glScalef(static_cast<GLfloat>(sx), static_cast<GLfloat>(sy), 0.0f);
    glRotatef(static_cast<GLfloat>(angleDegrees), 0.0f, 0.0f, 1.0f);
    drawQuad(1.0f);
}

void drawBillboardTiled(double angleDegrees, double sx, double sy) {
    faceViewer();
    glScalef(static_cast<GLfloat>(sx), static_cast<GLfloat>(sy), 0.0f);
    glRotatef(static_cast<GLfloat>(angleDegrees), 0.0f, 0.0f, 1.0f);
    drawQuad(2.0f);
}

void drawBillboardUpright(double sx, double sy) {
    faceViewer();
    glScalef(static_cast<GLfloat>(sx), static_cast<GLfloat>(sy), 0.0f);
    drawQuad(1.0f);
}
