#include "platform/gl_layer/vertex_pipeline.h"

#include <algorithm>
#include <cmath>

namespace gl_layer {

namespace {

float clamp01(float v) {
    return std::clamp(v, 0.0f, 1.0f);
}

void normalize3(float v[3]) {
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0.0f) return;
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
}

}  // namespace

VertexTransforms makeVertexTransforms(const Mat4& modelview, const Mat4& projection,
                                      const Mat4& texture) {
    VertexTransforms t;
    t.modelview = modelview;
    t.modelviewProjection = multiply(projection, modelview);
    t.normal = normalMatrix(modelview);
    t.texture = texture;
    t.textureIsIdentity = isIdentity(texture);
    return t;
}

Color4 lightVertex(const FixedState& state, const VertexTransforms& transforms, const Vec4& eye,
                   const std::array<float, 3>& normal, const Material& m) {
    const auto& nm = transforms.normal;
    // Normals are not renormalised unless GL_NORMALIZE is on: a scaled
    // modelview scales the diffuse term, as in GL.
    float n[3] = {nm[0] * normal[0] + nm[1] * normal[1] + nm[2] * normal[2],
                  nm[3] * normal[0] + nm[4] * normal[1] + nm[5] * normal[2],
                  nm[6] * normal[0] + nm[7] * normal[1] + nm[8] * normal[2]};
    if (state.normalize) normalize3(n);
    float c[3];
    for (int i = 0; i < 3; ++i) c[i] = m.emission[i] + m.ambient[i] * state.lightModelAmbient[i];
    const bool materialShines = m.specular[0] != 0 || m.specular[1] != 0 || m.specular[2] != 0;
    for (const LightSource& light : state.lights) {
        if (!light.enabled) continue;
        float toLight[3];
        float half[3];
        float strength = 1.0f;  // attenuation times the spot factor
        const Color4& p = light.eyePosition;
        if (p[3] == 0.0f) {
            std::copy(light.direction.begin(), light.direction.end(), toLight);
            std::copy(light.halfVector.begin(), light.halfVector.end(), half);
        } else {
            const float ew = eye[3] != 0.0f ? eye[3] : 1.0f;
            for (int i = 0; i < 3; ++i) toLight[i] = p[i] / p[3] - eye[i] / ew;
            const float distance = std::sqrt(toLight[0] * toLight[0] + toLight[1] * toLight[1] +
                                             toLight[2] * toLight[2]);
            normalize3(toLight);
            const float falloff = light.constantAttenuation + light.linearAttenuation * distance +
                                  light.quadraticAttenuation * distance * distance;
            if (falloff > 0.0f) strength = 1.0f / falloff;
            if (light.spotCutoff != 180.0f) {
                // The angle between the spot's axis and the way to the vertex.
                const auto& d = light.spotDirection;
                const float cosine = -(toLight[0] * d[0] + toLight[1] * d[1] + toLight[2] * d[2]);
                const float edge = std::cos(light.spotCutoff * 3.14159265358979f / 180.0f);
                strength *=
                    cosine < edge ? 0.0f : std::pow(std::max(cosine, 0.0f), light.spotExponent);
            }
            half[0] = toLight[0];
            half[1] = toLight[1];
            half[2] = toLight[2] + 1.0f;
            normalize3(half);
        }
        const float diffuse =
            std::max(0.0f, n[0] * toLight[0] + n[1] * toLight[1] + n[2] * toLight[2]);
        for (int i = 0; i < 3; ++i)
            c[i] += strength *
                    (m.ambient[i] * light.ambient[i] + diffuse * m.diffuse[i] * light.diffuse[i]);
        if (materialShines && diffuse > 0.0f) {
            const float nh = std::max(0.0f, n[0] * half[0] + n[1] * half[1] + n[2] * half[2]);
            const float specular = std::pow(nh, m.shininess);
            for (int i = 0; i < 3; ++i)
                c[i] += strength * specular * m.specular[i] * light.specular[i];
        }
    }
    return {clamp01(c[0]), clamp01(c[1]), clamp01(c[2]), clamp01(m.diffuse[3])};
}

LayerVertex processVertex(const FixedState& state, const VertexTransforms& transforms, float x,
                          float y, float z, float w) {
    LayerVertex v;
    const Vec4 clip = transform(transforms.modelviewProjection, x, y, z, w);
    std::copy(clip.begin(), clip.end(), v.position);
    if (state.lighting) {
        // Only positional lights need the eye-space position.
        const bool positional = std::any_of(
            state.lights.begin(), state.lights.end(),
            [](const LightSource& light) { return light.enabled && light.eyePosition[3] != 0.0f; });
        const Vec4 eye =
            positional ? transform(transforms.modelview, x, y, z, w) : Vec4{0, 0, 0, 1};
        const Color4 lit = lightVertex(state, transforms, eye, state.normal, state.front);
        std::copy(lit.begin(), lit.end(), v.color);
        if (state.twoSidedLighting) {
            const std::array<float, 3>& n = state.normal;
            const Color4 back =
                lightVertex(state, transforms, eye, {-n[0], -n[1], -n[2]}, state.back);
            std::copy(back.begin(), back.end(), v.backColor);
        } else {
            std::copy(lit.begin(), lit.end(), v.backColor);
        }
    } else {
        for (int i = 0; i < 4; ++i) v.color[i] = v.backColor[i] = clamp01(state.color[i]);
    }
    const Color4& tc = state.texCoord;
    if (transforms.textureIsIdentity) {
        v.texCoord[0] = tc[0];
        v.texCoord[1] = tc[1];
        v.texCoord[2] = tc[3];
    } else {
        const Vec4 t = transform(transforms.texture, tc[0], tc[1], tc[2], tc[3]);
        v.texCoord[0] = t[0];
        v.texCoord[1] = t[1];
        v.texCoord[2] = t[3];
    }
    return v;
}

}  // namespace gl_layer
