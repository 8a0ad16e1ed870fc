#include "runtime/render_context.h"

#include <GL/gl.h>
#include <GL/glu.h>

RenderContext::RenderContext() = default;
RenderContext::~RenderContext() = default;

void RenderContext::reportProgress(double step) {
    if (progressCallback != nullptr) progressCallback(step);
}

void RenderContext::generateDisplayLists() {
    displayListBase = glGenLists(256);
}

void RenderContext::setCamera(double eyeX, double eyeY, double eyeZ, double centerX, double centerY,
                              double centerZ, double upX, double upY, double upZ) {
    previousCamera = camera;
    camera.eye = {eyeX, eyeY, eyeZ, 1};
    camera.center = {centerX, centerY, centerZ, 1};
    camera.up = {upX, upY, upZ, 1};
}

void RenderContext::applyCamera() {
    gluLookAt(camera.eye.x, camera.eye.y, camera.eye.z, camera.center.x, camera.center.y,
              camera.center.z, camera.up.x, camera.up.y, camera.up.z);
}

void RenderContext::setLight(double x, double y, double z, double r, double g, double b) {
    lightDirection = {x, y, z, 1};
    ambientLight[0] = r;
    ambientLight[1] = g;
    ambientLight[2] = b;
}

void RenderContext::applyLight() {
    // A fourth component of 0 makes light 0 a directional light.
    const GLfloat position[4] = {static_cast<GLfloat>(lightDirection.x),
                                 static_cast<GLfloat>(lightDirection.y),
                                 static_cast<GLfloat>(lightDirection.z), 0.0f};
    const GLfloat ambient[4] = {static_cast<GLfloat>(ambientLight[0]),
                                static_cast<GLfloat>(ambientLight[1]),
                                static_cast<GLfloat>(ambientLight[2]), 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}

void RenderContext::setMaterial(double ar, double ag, double ab, double dr, double dg, double db) {
    materialAmbient[0] = ar;
    materialAmbient[1] = ag;
    materialAmbient[2] = ab;
    materialDiffuse[0] = dr;
    materialDiffuse[1] = dg;
    materialDiffuse[2] = db;
}

namespace {
// Mesa copies the current colour into a tracked material lazily; reading the
// current colour makes it do so now, before the tracking mode changes.
void syncColorMaterial() {
    GLfloat color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
}
}  // namespace

void RenderContext::applyMaterial() {
    // Colour-material tracking copies each colour into the material, then
    // goes off again so later colours do not change it.
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT);
    glColor4f(static_cast<GLfloat>(materialAmbient[0]), static_cast<GLfloat>(materialAmbient[1]),
              static_cast<GLfloat>(materialAmbient[2]), static_cast<GLfloat>(materialAlpha));
    syncColorMaterial();
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
    glColor4f(static_cast<GLfloat>(materialDiffuse[0]), static_cast<GLfloat>(materialDiffuse[1]),
              static_cast<GLfloat>(materialDiffuse[2]), static_cast<GLfloat>(materialAlpha));
    syncColorMaterial();
    glDisable(GL_COLOR_MATERIAL);
}

namespace {
// Static storage, constructed before main runs: the texture table alone is
// 12 MB, far too big for a stack.
RenderContext theRenderContext;
}  // namespace

RenderContext& renderContext() {
    return theRenderContext;
}
