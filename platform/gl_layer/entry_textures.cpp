// Texture objects, images, parameters and the pixel transfer and store
// state that images pass through.
#include <algorithm>
#include <cmath>
#include <utility>
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

// GL's pixel-transfer scale and bias applied to each component of tight rows.
void applyPixelTransfer(const FixedState& s, std::vector<std::uint8_t>& pixels, int components) {
    for (size_t i = 0; i < pixels.size(); ++i) {
        const int c = static_cast<int>(i % components);
        const float v = pixels[i] / 255.0f * s.pixelScale[c] + s.pixelBias[c];
        pixels[i] = static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
    }
}

void setParameter(GLenum target, GLenum pname, GLint param) {
    LayerContext& l = layer();
    if (target != GL_TEXTURE_2D) {
        reportUnsupported("glTexParameter target", target);
        return;
    }
    TextureRecord& record = l.textureRecord(l.state.boundTexture);
    if (pname == GL_GENERATE_MIPMAP) {
        record.generateMipmap = param != 0;
        return;
    }
    // Pending draws sample the texture as it is now.
    l.renderer.flush();
    l.renderer.bindTexture(record.real);
    l.es.TexParameteri(GL_TEXTURE_2D, pname, param);
    rememberParameter(record, pname, param);
}

GLint* pixelStoreValue(PixelStore& store, GLenum pname) {
    switch (pname) {
        case GL_PACK_ALIGNMENT:
        case GL_UNPACK_ALIGNMENT:
            return &store.alignment;
        case GL_PACK_ROW_LENGTH:
        case GL_UNPACK_ROW_LENGTH:
            return &store.rowLength;
        case GL_PACK_SKIP_ROWS:
        case GL_UNPACK_SKIP_ROWS:
            return &store.skipRows;
        case GL_PACK_SKIP_PIXELS:
        case GL_UNPACK_SKIP_PIXELS:
            return &store.skipPixels;
        default:
            return nullptr;
    }
}

}  // namespace

void GLAPIENTRY glGenTextures(GLsizei n, GLuint* textures) {
    // The program's names are the layer's own; each has a real name behind
    // it, which a rebuilt context replaces.
    LayerContext& l = layer();
    for (GLsizei i = 0; i < n; ++i) {
        textures[i] = l.textures.nextName++;
        l.textureRecord(textures[i]);
    }
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

// The texture environment: GL_MODULATE, or GL_COMBINE whose RGB is the
// texture and the primary colour modulated or dotted (GL_DOT3_RGB), their
// colours as they are; anything else is reported.
void GLAPIENTRY glTexEnvi(GLenum target, GLenum pname, GLint param) {
    LayerContext& l = layer();
    const GLenum value = static_cast<GLenum>(param);
    if (target != GL_TEXTURE_ENV) {
        reportUnsupported("glTexEnv target", target);
        return;
    }
    switch (pname) {
        case GL_TEXTURE_ENV_MODE:
            if (value == GL_MODULATE || value == GL_COMBINE)
                l.state.texEnvMode = value;
            else
                reportUnsupported("glTexEnv mode", value);
            return;
        case GL_COMBINE_RGB:
            if (value == GL_MODULATE || value == GL_DOT3_RGB)
                l.state.combineRgb = value;
            else
                reportUnsupported("glTexEnv combine function", value);
            return;
        case GL_SOURCE0_RGB:
            if (value != GL_TEXTURE) reportUnsupported("glTexEnv source 0", value);
            return;
        case GL_SOURCE1_RGB:
            if (value != GL_PRIMARY_COLOR) reportUnsupported("glTexEnv source 1", value);
            return;
        case GL_OPERAND0_RGB:
        case GL_OPERAND1_RGB:
            if (value != GL_SRC_COLOR) reportUnsupported("glTexEnv operand", value);
            return;
        default:
            reportUnsupported("glTexEnv", pname);
            return;
    }
}

void GLAPIENTRY glTexEnvf(GLenum target, GLenum pname, GLfloat param) {
    glTexEnvi(target, pname, static_cast<GLint>(param));
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
    if (width < 0 || height < 0 || level < 0) return;
    TextureRecord& record = l.textureRecord(l.state.boundTexture);
    l.renderer.flush();
    l.renderer.bindTexture(record.real);
    const int components = format == GL_RGB ? 3 : 4;
    TextureImage image{level, sized, width, height, format, {}};
    if (pixels != nullptr && width > 0 && height > 0) {
        image.pixels = tightRows(static_cast<const std::uint8_t*>(pixels), width, height,
                                 components, l.unpack);
        if (!pixelTransferIsIdentity(l.state))
            applyPixelTransfer(l.state, image.pixels, components);
    }
    uploadImage(l.es, image);
    rememberImage(record, std::move(image));
    // GL 1.4's automatic mipmaps: rebuilt whenever level 0 changes.
    if (level == 0) {
        record.mipmapped = record.generateMipmap;
        if (record.mipmapped) l.es.GenerateMipmap(GL_TEXTURE_2D);
    }
}

void GLAPIENTRY glPixelStorei(GLenum pname, GLint param) {
    LayerContext& l = layer();
    const bool pack = pname == GL_PACK_ALIGNMENT || pname == GL_PACK_ROW_LENGTH ||
                      pname == GL_PACK_SKIP_ROWS || pname == GL_PACK_SKIP_PIXELS;
    GLint* value = pixelStoreValue(pack ? l.pack : l.unpack, pname);
    if (value == nullptr) {
        reportUnsupported("glPixelStorei", pname);
        return;
    }
    *value = param;
    // Reading back happens on the real GL with the program's layout; images
    // are unpacked here, into the tight copies the real GL is handed.
    if (pack) l.es.PixelStorei(pname, param);
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
