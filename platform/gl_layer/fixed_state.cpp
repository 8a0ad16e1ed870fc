#include "platform/gl_layer/fixed_state.h"

namespace gl_layer {

void restoreAttribGroups(FixedState& into, const FixedState& s, GLbitfield mask) {
    if (mask & GL_CURRENT_BIT) {
        into.color = s.color;
        into.normal = s.normal;
        into.texCoord = s.texCoord;
    }
    if (mask & (GL_ENABLE_BIT | GL_LIGHTING_BIT)) {
        into.lighting = s.lighting;
        into.colorMaterial = s.colorMaterial;
        for (int i = 0; i < kLightCount; ++i) into.lights[i].enabled = s.lights[i].enabled;
    }
    if (mask & (GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT)) {
        into.blend = s.blend;
        into.alphaTest = s.alphaTest;
        into.dither = s.dither;
        into.logicOp = s.logicOp;
    }
    if (mask & (GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT)) into.depthTest = s.depthTest;
    if (mask & (GL_ENABLE_BIT | GL_POLYGON_BIT)) into.cullFace = s.cullFace;
    if (mask & (GL_ENABLE_BIT | GL_TRANSFORM_BIT)) into.normalize = s.normalize;
    if (mask & (GL_ENABLE_BIT | GL_TEXTURE_BIT)) {
        into.texture2d = s.texture2d;
        into.texture1d = s.texture1d;
        into.textureGenS = s.textureGenS;
        into.textureGenT = s.textureGenT;
    }
    if (mask & (GL_ENABLE_BIT | GL_FOG_BIT)) into.fog = s.fog;
    if (mask & (GL_ENABLE_BIT | GL_STENCIL_BUFFER_BIT)) into.stencilTest = s.stencilTest;
    if (mask & GL_LIGHTING_BIT) {
        into.lights = s.lights;  // with their enables, which this group holds too
        into.lightModelAmbient = s.lightModelAmbient;
        into.twoSidedLighting = s.twoSidedLighting;
        into.front = s.front;
        into.back = s.back;
        into.colorMaterialFace = s.colorMaterialFace;
        into.colorMaterialMode = s.colorMaterialMode;
        into.shadeModel = s.shadeModel;
    }
    if (mask & GL_COLOR_BUFFER_BIT) {
        into.blendSource = s.blendSource;
        into.blendDestination = s.blendDestination;
        into.clearColor = s.clearColor;
    }
    if (mask & GL_DEPTH_BUFFER_BIT) {
        into.depthFunc = s.depthFunc;
        into.clearDepth = s.clearDepth;
    }
    if (mask & GL_POINT_BIT) into.pointSize = s.pointSize;
    if (mask & GL_LINE_BIT) into.lineWidth = s.lineWidth;
    if (mask & GL_POLYGON_BIT) {
        into.cullFaceMode = s.cullFaceMode;
        into.frontFace = s.frontFace;
    }
    if (mask & GL_VIEWPORT_BIT) into.viewport = s.viewport;
    if (mask & GL_TRANSFORM_BIT) into.matrixMode = s.matrixMode;
    if (mask & GL_TEXTURE_BIT) {
        into.boundTexture = s.boundTexture;
        into.texEnvMode = s.texEnvMode;
        into.combineRgb = s.combineRgb;
    }
    if (mask & GL_PIXEL_MODE_BIT) {
        into.pixelScale = s.pixelScale;
        into.pixelBias = s.pixelBias;
        into.mapColor = s.mapColor;
    }
    if (mask & GL_HINT_BIT) into.perspectiveHint = s.perspectiveHint;
}

namespace {
void trackFace(Material& m, GLenum mode, const Color4& color) {
    switch (mode) {
        case GL_AMBIENT:
            m.ambient = color;
            break;
        case GL_DIFFUSE:
            m.diffuse = color;
            break;
        case GL_SPECULAR:
            m.specular = color;
            break;
        case GL_EMISSION:
            m.emission = color;
            break;
        case GL_AMBIENT_AND_DIFFUSE:
            m.ambient = color;
            m.diffuse = color;
            break;
        default:
            break;
    }
}
}  // namespace

void trackColorMaterial(FixedState& state, const Color4& color) {
    if (!state.colorMaterial) return;
    if (state.colorMaterialFace != GL_BACK) trackFace(state.front, state.colorMaterialMode, color);
    if (state.colorMaterialFace != GL_FRONT) trackFace(state.back, state.colorMaterialMode, color);
}

}  // namespace gl_layer
