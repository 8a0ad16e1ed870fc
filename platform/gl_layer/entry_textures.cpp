// Texture objects, images, parameters and the pixel transfer and store
// state that images pass through.
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/gl_layer/layer_context.h"

using namespace gl_layer;

namespace {

constexpr GLint kRgb8 = 0x8051;
constexpr GLint kRgba8 = 0x8058;

// The sized ES format for a GL 1.x internal format given with `format`;
// 0 when the pair is not one the layer uploads.
GLint sizedFormat(GLint internal, GLenum format) {
    const bool rgb = internal == 3 || internal == GL_RGB || internal == kRgb8;
    const bool rgba = internal == 4 || internal == GL_RGBA || internal == kRgba8;
    if (rgb && format == GL_RGB) return kRgb8;
    if (rgba && format == GL_RGBA) return kRgba8;
    return 0;
}

bool pixelTransferIsIdentity(const FixedState& s) {
    return s.pixelScale == std::array<float, 4>{1, 1, 1, 1} &&
           s.pixelBias == std::array<float, 4>{0, 0, 0, 0};
}

// A copy of the rows with GL's pixel-transfer scale and bias applied to
// each component, in the unpack layout `alignment` gives.
std::vector<std::uint8_t> transferred(const FixedState& s, const std::uint8_t* pixels, int width,
                                      int height, int components, int alignment) {
    const size_t rowBytes = static_cast<size_t>(width) * components;
    const size_t stride = (rowBytes + alignment - 1) / alignment * alignment;
    std::vector<std::uint8_t> out(pixels, pixels + stride * (height - 1) + rowBytes);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = out.data() + stride * y;
        for (size_t i = 0; i < rowBytes; ++i) {
            const int c = static_cast<int>(i % components);
            const float v = row[i] / 255.0f * s.pixelScale[c] + s.pixelBias[c];
            row[i] = static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
        }
    }
    return out;
}

void setParameter(GLenum target, GLenum pname, GLint param) {
    LayerContext& l = layer();
    if (target != GL_TEXTURE_2D) {
        reportUnsupported("glTexParameter target", target);
        return;
    }
    if (pname == GL_GENERATE_MIPMAP) {
        l.textures[l.state.boundTexture].generateMipmap = param != 0;
        return;
    }
    // Pending draws sample the texture as it is now.
    l.renderer.flush();
    l.renderer.bindTexture(l.state.boundTexture);
    l.es.TexParameteri(GL_TEXTURE_2D, pname, param);
}

}  // namespace

void GLAPIENTRY glGenTextures(GLsizei n, GLuint* textures) {
    LayerContext& l = layer();
    if (n <= 0) return;
    l.es.GenTextures(n, textures);
    for (GLsizei i = 0; i < n; ++i) l.textures[textures[i]] = TextureRecord{};
}

void GLAPIENTRY glBindTexture(GLenum target, GLuint texture) {
    if (target != GL_TEXTURE_2D) {
        reportUnsupported("glBindTexture", target);
        return;
    }
    layer().state.boundTexture = texture;
}

void GLAPIENTRY glTexParameteri(GLenum target, GLenum pname, GLint param) {
    setParameter(target, pname, param);
}

void GLAPIENTRY glTexParameterf(GLenum target, GLenum pname, GLfloat param) {
    setParameter(target, pname, static_cast<GLint>(param));
}

void GLAPIENTRY glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                             GLsizei height, GLint border, GLenum format, GLenum type,
                             const GLvoid* pixels) {
    LayerContext& l = layer();
    const GLint sized = sizedFormat(internalFormat, format);
    if (target != GL_TEXTURE_2D || border != 0 || type != GL_UNSIGNED_BYTE || sized == 0) {
        reportUnsupported("glTexImage2D format", static_cast<unsigned>(internalFormat));
        return;
    }
    if (width < 0 || height < 0) return;
    l.renderer.flush();
    l.renderer.bindTexture(l.state.boundTexture);
    std::vector<std::uint8_t> copy;
    if (pixels != nullptr && width > 0 && height > 0 && !pixelTransferIsIdentity(l.state)) {
        GLint alignment = 4;
        l.es.GetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        copy = transferred(l.state, static_cast<const std::uint8_t*>(pixels), width, height,
                           format == GL_RGB ? 3 : 4, alignment);
        pixels = copy.data();
    }
    l.es.TexImage2D(GL_TEXTURE_2D, level, sized, width, height, 0, format, type, pixels);
    // GL 1.4's automatic mipmaps: rebuilt whenever level 0 changes.
    if (level == 0 && l.textures[l.state.boundTexture].generateMipmap)
        l.es.GenerateMipmap(GL_TEXTURE_2D);
}

void GLAPIENTRY glPixelStorei(GLenum pname, GLint param) {
    switch (pname) {
        case GL_PACK_ALIGNMENT:
        case GL_PACK_ROW_LENGTH:
        case GL_PACK_SKIP_ROWS:
        case GL_PACK_SKIP_PIXELS:
        case GL_UNPACK_ALIGNMENT:
        case GL_UNPACK_ROW_LENGTH:
        case GL_UNPACK_SKIP_ROWS:
        case GL_UNPACK_SKIP_PIXELS:
            layer().es.PixelStorei(pname, param);
            break;
        default:
            reportUnsupported("glPixelStorei", pname);
            break;
    }
}

void GLAPIENTRY glPixelTransferi(GLenum pname, GLint param) {
    FixedState& s = layer().state;
    const float value = static_cast<float>(param);
    switch (pname) {
        case GL_MAP_COLOR:
            s.mapColor = param != 0;
            if (s.mapColor) reportUnsupported("glPixelTransferi(GL_MAP_COLOR)", 1);
            break;
        case GL_RED_SCALE:
            s.pixelScale[0] = value;
            break;
        case GL_GREEN_SCALE:
            s.pixelScale[1] = value;
            break;
        case GL_BLUE_SCALE:
            s.pixelScale[2] = value;
            break;
        case GL_ALPHA_SCALE:
            s.pixelScale[3] = value;
            break;
        case GL_RED_BIAS:
            s.pixelBias[0] = value;
            break;
        case GL_GREEN_BIAS:
            s.pixelBias[1] = value;
            break;
        case GL_BLUE_BIAS:
            s.pixelBias[2] = value;
            break;
        case GL_ALPHA_BIAS:
            s.pixelBias[3] = value;
            break;
        default:
            reportUnsupported("glPixelTransferi", pname);
            break;
    }
}
