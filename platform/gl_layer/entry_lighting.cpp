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
        case GL_SPOT_DIRECTION: {
            // A direction: through the modelview's upper 3x3 of this moment.
            const Vec4 eye = transform(l.modelview.top(), params[0], params[1], params[2], 0.0f);
            source.spotDirection = {eye[0], eye[1], eye[2]};
            normalize3(source.spotDirection);
            break;
        }
        case GL_SPOT_EXPONENT:
        case GL_SPOT_CUTOFF:
        case GL_CONSTANT_ATTENUATION:
        case GL_LINEAR_ATTENUATION:
        case GL_QUADRATIC_ATTENUATION:
            glLightf(light, pname, params[0]);
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

void GLAPIENTRY glLightf(GLenum light, GLenum pname, GLfloat value) {
    if (light < GL_LIGHT0 || light >= GL_LIGHT0 + kLightCount) return;
    LightSource& source = layer().state.lights[light - GL_LIGHT0];
    switch (pname) {
        case GL_SPOT_EXPONENT:
            if (value >= 0 && value <= 128) source.spotExponent = value;
            break;
        case GL_SPOT_CUTOFF:
            // GL takes 0 to 90 degrees, or 180 for no spot.
            if ((value >= 0 && value <= 90) || value == 180) source.spotCutoff = value;
            break;
        case GL_CONSTANT_ATTENUATION:
            if (value >= 0) source.constantAttenuation = value;
            break;
        case GL_LINEAR_ATTENUATION:
            if (value >= 0) source.linearAttenuation = value;
            break;
        case GL_QUADRATIC_ATTENUATION:
            if (value >= 0) source.quadraticAttenuation = value;
            break;
        default:
            reportUnsupported("glLightf", pname);
            break;
    }
}

void GLAPIENTRY glLightModelfv(GLenum pname, const GLfloat* params) {
    if (pname == GL_LIGHT_MODEL_TWO_SIDE) {
        layer().state.twoSidedLighting = params[0] != 0.0f;
        return;
    }
    if (pname != GL_LIGHT_MODEL_AMBIENT) {
        reportUnsupported("glLightModelfv", pname);
        return;
    }
    layer().state.lightModelAmbient = {params[0], params[1], params[2], params[3]};
}

void GLAPIENTRY glLightModeli(GLenum pname, GLint value) {
    if (pname != GL_LIGHT_MODEL_TWO_SIDE) {
        reportUnsupported("glLightModeli", pname);
        return;
    }
    layer().state.twoSidedLighting = value != 0;
}

void GLAPIENTRY glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
    FixedState& s = layer().state;
    if (face != GL_FRONT && face != GL_BACK && face != GL_FRONT_AND_BACK) return;
    for (Material* m : {&s.front, &s.back}) {
        if ((m == &s.front && face == GL_BACK) || (m == &s.back && face == GL_FRONT)) continue;
        const Color4 value{params[0], params[1], params[2], params[3]};
        switch (pname) {
            case GL_AMBIENT:
                m->ambient = value;
                break;
            case GL_DIFFUSE:
                m->diffuse = value;
                break;
            case GL_AMBIENT_AND_DIFFUSE:
                m->ambient = m->diffuse = value;
                break;
            case GL_SPECULAR:
                m->specular = value;
                break;
            case GL_EMISSION:
                m->emission = value;
                break;
            case GL_SHININESS:
                if (params[0] >= 0 && params[0] <= 128) m->shininess = params[0];
                break;
            default:
                reportUnsupported("glMaterialfv", pname);
                return;
        }
    }
}

void GLAPIENTRY glMaterialf(GLenum face, GLenum pname, GLfloat value) {
    if (pname != GL_SHININESS) {
        reportUnsupported("glMaterialf", pname);
        return;
    }
    const GLfloat params[4] = {value, 0, 0, 0};
    glMaterialfv(face, pname, params);
}

void GLAPIENTRY glColorMaterial(GLenum face, GLenum mode) {
    FixedState& s = layer().state;
    s.colorMaterialFace = face;
    s.colorMaterialMode = mode;
    // While tracking is on, the newly named parameter takes the current colour.
    trackColorMaterial(s, s.color);
}
