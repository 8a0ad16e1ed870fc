// Light 0..7, the light model and colour-material tracking.
#include <cmath>

#include "platform/gl_layer/layer_context.h"

using namespace gl_layer;

namespace {
void normalize3(std::array<float, 3>& v) {
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0.0f) return;
    for (float& c : v) c /= length;
}

void placeLight(LightSource& light) {
    const Color4& p = light.eyePosition;
    light.direction = {p[0], p[1], p[2]};
    normalize3(light.direction);
    light.halfVector = {light.direction[0], light.direction[1], light.direction[2] + 1.0f};
    normalize3(light.halfVector);
}
}  // namespace

void GLAPIENTRY glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    LayerContext& l = layer();
    if (light < GL_LIGHT0 || light >= GL_LIGHT0 + kLightCount) return;
    LightSource& source = l.state.lights[light - GL_LIGHT0];
    switch (pname) {
        case GL_AMBIENT:
            source.ambient = {params[0], params[1], params[2], params[3]};
            break;
        case GL_DIFFUSE:
            source.diffuse = {params[0], params[1], params[2], params[3]};
            break;
        case GL_SPECULAR:
            source.specular = {params[0], params[1], params[2], params[3]};
            break;
        case GL_POSITION: {
            // Stored in eye space, through the modelview matrix of this moment.
            const Vec4 eye =
                transform(l.modelview.top(), params[0], params[1], params[2], params[3]);
            source.eyePosition = {eye[0], eye[1], eye[2], eye[3]};
            placeLight(source);
            break;
        }
        default:
            reportUnsupported("glLightfv", pname);
            break;
    }
}

void GLAPIENTRY glLightModelfv(GLenum pname, const GLfloat* params) {
    if (pname != GL_LIGHT_MODEL_AMBIENT) {
        reportUnsupported("glLightModelfv", pname);
        return;
    }
    layer().state.lightModelAmbient = {params[0], params[1], params[2], params[3]};
}

void GLAPIENTRY glColorMaterial(GLenum face, GLenum mode) {
    FixedState& s = layer().state;
    s.colorMaterialFace = face;
    s.colorMaterialMode = mode;
    // While tracking is on, the newly named parameter takes the current colour.
    trackColorMaterial(s, s.color);
}
