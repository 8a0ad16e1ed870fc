#pragma once
// The GL 1.x state the layer keeps, with GL's initial values, and the
// attribute groups glPushAttrib saves. Matrices live in their stacks
// (matrix_stacks.h), client pixel-store state in the real GL.
#include <GL/gl.h>

#include <array>

namespace gl_layer {

using Color4 = std::array<float, 4>;

struct LightSource {
    bool enabled = false;
    Color4 ambient{0, 0, 0, 1};
    Color4 diffuse{0, 0, 0, 1};      // light 0: white
    Color4 specular{0, 0, 0, 1};     // light 0: white
    Color4 eyePosition{0, 0, 1, 0};  // as given, times the modelview at that time
    // For a directional light: the unit direction towards it and the unit
    // half vector with the viewer at infinity, formed when it is placed.
    std::array<float, 3> direction{0, 0, 1};
    std::array<float, 3> halfVector{0, 0, 1};
    // A spot light: its direction in eye space, exponent and cutoff in
    // degrees (180: no spot); attenuation of a positional light.
    std::array<float, 3> spotDirection{0, 0, -1};
    float spotExponent = 0;
    float spotCutoff = 180;
    float constantAttenuation = 1;
    float linearAttenuation = 0;
    float quadraticAttenuation = 0;
};

struct Material {
    Color4 ambient{0.2f, 0.2f, 0.2f, 1};
    Color4 diffuse{0.8f, 0.8f, 0.8f, 1};
    Color4 specular{0, 0, 0, 1};
    Color4 emission{0, 0, 0, 1};
    float shininess = 0;
};

constexpr int kLightCount = 8;

struct FixedState {
    // GL_CURRENT_BIT
    Color4 color{1, 1, 1, 1};
    std::array<float, 3> normal{0, 0, 1};
    Color4 texCoord{0, 0, 0, 1};

    // GL_LIGHTING_BIT (with the lights' and colour material's enables)
    bool lighting = false;
    std::array<LightSource, kLightCount> lights = initialLights();
    Color4 lightModelAmbient{0.2f, 0.2f, 0.2f, 1};
    bool twoSidedLighting = false;  // GL_LIGHT_MODEL_TWO_SIDE
    Material front;
    Material back;
    bool colorMaterial = false;
    GLenum colorMaterialFace = GL_FRONT_AND_BACK;
    GLenum colorMaterialMode = GL_AMBIENT_AND_DIFFUSE;
    GLenum shadeModel = GL_SMOOTH;
    bool normalize = false;  // GL_TRANSFORM_BIT and GL_ENABLE_BIT

    // GL_COLOR_BUFFER_BIT
    bool blend = false;
    GLenum blendSource = GL_ONE;
    GLenum blendDestination = GL_ZERO;
    Color4 clearColor{0, 0, 0, 0};
    bool alphaTest = false;  // the function stays GL_ALWAYS: nothing is discarded
    bool dither = true;
    bool logicOp = false;

    // GL_DEPTH_BUFFER_BIT
    bool depthTest = false;
    GLenum depthFunc = GL_LESS;
    float clearDepth = 1;

    // GL_POINT_BIT, GL_LINE_BIT, GL_POLYGON_BIT
    float pointSize = 1;
    float lineWidth = 1;
    bool cullFace = false;
    GLenum cullFaceMode = GL_BACK;
    GLenum frontFace = GL_CCW;

    // GL_VIEWPORT_BIT, GL_TRANSFORM_BIT
    std::array<int, 4> viewport{0, 0, 0, 0};
    GLenum matrixMode = GL_MODELVIEW;

    // GL_TEXTURE_BIT
    bool texture2d = false;
    GLuint boundTexture = 0;
    // The texture environment: GL_MODULATE, or GL_COMBINE with its RGB
    // function (GL_MODULATE or GL_DOT3_RGB).
    GLenum texEnvMode = GL_MODULATE;
    GLenum combineRgb = GL_MODULATE;

    // GL_PIXEL_MODE_BIT: scale and bias per component (r g b a).
    std::array<float, 4> pixelScale{1, 1, 1, 1};
    std::array<float, 4> pixelBias{0, 0, 0, 0};
    bool mapColor = false;

    // GL_HINT_BIT
    GLenum perspectiveHint = GL_DONT_CARE;

    // Capabilities the layer does not draw: remembered so that they can be
    // queried and saved; enabling one is reported (see entry_state.cpp).
    bool fog = false;
    bool stencilTest = false;
    bool texture1d = false;
    bool textureGenS = false;
    bool textureGenT = false;

    static std::array<LightSource, kLightCount> initialLights() {
        std::array<LightSource, kLightCount> lights{};
        lights[0].diffuse = {1, 1, 1, 1};
        lights[0].specular = {1, 1, 1, 1};
        return lights;
    }
};

// The client's vertex arrays (glVertexPointer and the like): not part of
// any attribute group glPushAttrib saves.
struct ClientArray {
    bool enabled = false;
    GLint size = 4;
    GLenum type = GL_FLOAT;
    GLsizei stride = 0;
    const void* pointer = nullptr;
};

struct ClientArrays {
    ClientArray vertex;
    ClientArray normal{false, 3};
    ClientArray color;
    ClientArray texCoord;
};

// Puts back into `into` the groups of `saved` that `mask` names.
void restoreAttribGroups(FixedState& into, const FixedState& saved, GLbitfield mask);

// Copies `color` into the material parameters colour-material tracking
// names, when it is on.
void trackColorMaterial(FixedState& state, const Color4& color);

}  // namespace gl_layer
