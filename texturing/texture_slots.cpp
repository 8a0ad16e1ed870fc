#include "texturing/texture_slots.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/platform.h"
#include "texturing/file_byte_source.h"
#include "texturing/texture_pictures.h"

static_assert(sizeof(GLuint) == sizeof(std::uint32_t), "texture names live in a uint32 table");

namespace {

[[noreturn]] void failWithBox(const char* fileName, const char* caption) {
    platform::current().messageBox(fileName, caption, platform::BoxButtons::Ok,
                                   platform::BoxIcon::Information);
    platform::current().exitProcess(0);
    std::abort();  // exitProcess does not return
}

// Generates a texture name into `entry`, binds it and sets the slot
// parameters (linear filtering; mipmapped when asked for).
void createSlotTexture(std::uint32_t& entry, bool generateMipmaps) {
    glGenTextures(1, &entry);
    glBindTexture(GL_TEXTURE_2D, entry);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    if (generateMipmaps) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
    }
}

// Specifies the bound texture's image from tightly packed rows. RGB rows
// are not 4-byte aligned for every width, so byte alignment is used for the
// upload and the caller's unpack alignment is put back afterwards.
void specifyImage(int width, int height, int components, GLenum format,
                  const std::uint8_t* pixels) {
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, components, width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

}  // namespace

void createEmptyTexture(RenderContext& context, int slot, int width, int height) {
    createSlotTexture(context.textureIds[context.textureSlotBase + slot], context.generateMipmaps);
    const std::vector<std::uint8_t> black(
        static_cast<std::size_t>(std::max(width, 0)) * std::max(height, 0) * 3, 0);
    specifyImage(width, height, 3, GL_RGB, black.data());
}

void loadJpegTexture(RenderContext& context, const char* fileName, int slot) {
    context.reportProgress(0.1);
    FileByteSource source;
    if (!source.open(fileName)) failWithBox(fileName, "Jpg");
    RgbPicture picture;
    if (!decodeRgbPicture(source, picture)) failWithBox(fileName, "Jpg !");
    source.close();

    context.textureSlotBase = 0;
    createSlotTexture(context.textureIds[context.textureSlotBase + slot], context.generateMipmaps);
    specifyImage(picture.width, picture.height, 3, GL_RGB, picture.rows.data());
}

void loadJpegTextureWithAlpha(RenderContext& context, const char* colorFileName,
                              const char* alphaFileName, int slot) {
    context.reportProgress(0.1);
    // This loader ends the process silently on any failure.
    FileByteSource source;
    if (!source.open(colorFileName)) platform::current().exitProcess(0);
    RgbPicture colour;
    if (!decodeRgbPicture(source, colour)) platform::current().exitProcess(0);
    source.close();

    if (!source.open(alphaFileName)) platform::current().exitProcess(0);
    std::vector<std::uint8_t> rgba;
    if (!decodeRgbaPicture(source, colour, rgba)) platform::current().exitProcess(0);
    source.close();

    createSlotTexture(context.textureIds[context.textureSlotBase + slot], context.generateMipmaps);
    specifyImage(colour.width, colour.height, 4, GL_RGBA, rgba.data());
}

void bindTextureSlot(RenderContext& context, int slot) {
    const int entry = slot < kAbsoluteSlotStart ? context.textureSlotBase + slot : slot;
    glBindTexture(GL_TEXTURE_2D, context.textureIds[entry]);
}

void bindTextureSlot(RenderContext* context, int slot) {
    bindTextureSlot(*context, slot);
}

void loadFilmTexture(RenderContext& context) {
    loadJpegTexture(context, kFilmTextureFile, kFilmTextureSlot);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}

void loadFilmTexture(RenderContext* context) {
    loadFilmTexture(*context);
}
