#include "texturing/texture_slots.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/platform.h"
#include "texturing/file_byte_source.h"
#include "texturing/jpeg_decoder.h"

static_assert(sizeof(GLuint) == sizeof(std::uint32_t), "texture names live in a uint32 table");

namespace {

// A decoded colour picture, 3 bytes per pixel, rows bottom-up (the first
// picture line is the last row).
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rows;
};

// Runs `begin` and then `decodeLine` once per picture line, handing each
// line to onLine(k, line). Accepts colour lines only (4 bytes per pixel):
// a greyscale picture, a failure in the middle of the picture or a picture
// that ends early returns false before any undelivered line is touched.
template <typename OnLine>
bool decodeColourLines(JpegDecoder& decoder, int width, int height, OnLine onLine) {
    if (width <= 0 || height <= 0) return false;
    if (decoder.begin() != 0) return false;
    for (int k = 0; k < height; ++k) {
        const std::uint8_t* line = nullptr;
        int length = 0;
        if (decoder.decodeLine(&line, &length) != 0) return false;
        if (line == nullptr || length != width * 4) return false;
        onLine(k, line);
    }
    return true;
}

// Decodes the JPEG of the open source into `picture`. False on any decoder
// error, greyscale picture or failure in the middle of the picture.
bool decodeRgbPicture(FileByteSource& source, RgbPicture& picture) {
    JpegDecoder decoder(&source, true);
    if (decoder.errorCode() != 0) return false;
    const int width = decoder.width(), height = decoder.height();
    picture.width = width;
    picture.height = height;
    picture.rows.assign(static_cast<std::size_t>(std::max(width, 0)) * std::max(height, 0) * 3, 0);
    return decodeColourLines(decoder, width, height, [&](int k, const std::uint8_t* line) {
        std::uint8_t* row =
            picture.rows.data() + static_cast<std::size_t>(height - 1 - k) * width * 3;
        for (int x = 0; x < width; ++x) {
            row[x * 3 + 0] = line[x * 4 + 0];
            row[x * 3 + 1] = line[x * 4 + 1];
            row[x * 3 + 2] = line[x * 4 + 2];
        }
    });
}

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

void RenderContext::createEmptyTexture(int slot, int width, int height) {
    createSlotTexture(textureIds[textureSlotBase + slot], generateMipmaps);
    const std::vector<std::uint8_t> black(
        static_cast<std::size_t>(std::max(width, 0)) * std::max(height, 0) * 3, 0);
    specifyImage(width, height, 3, GL_RGB, black.data());
}

void RenderContext::loadJpegTexture(const char* fileName, int slot) {
    reportProgress(0.1);
    FileByteSource source;
    if (!source.open(fileName)) failWithBox(fileName, "Jpg");
    RgbPicture picture;
    if (!decodeRgbPicture(source, picture)) failWithBox(fileName, "Jpg !");
    source.close();

    textureSlotBase = 0;
    createSlotTexture(textureIds[textureSlotBase + slot], generateMipmaps);
    specifyImage(picture.width, picture.height, 3, GL_RGB, picture.rows.data());
}

void RenderContext::loadJpegTextureWithAlpha(const char* colorFileName, const char* alphaFileName,
                                             int slot) {
    reportProgress(0.1);
    // This loader ends the process silently on any failure.
    FileByteSource source;
    if (!source.open(colorFileName)) platform::current().exitProcess(0);
    RgbPicture colour;
    if (!decodeRgbPicture(source, colour)) platform::current().exitProcess(0);
    source.close();

    if (!source.open(alphaFileName)) platform::current().exitProcess(0);
    JpegDecoder decoder(&source, true);
    if (decoder.errorCode() != 0) platform::current().exitProcess(0);
    const int width = decoder.width(), height = decoder.height();
    // The colour of every pixel comes from the colour picture, so the alpha
    // picture must have exactly its size.
    if (width != colour.width || height != colour.height) platform::current().exitProcess(0);

    // Row 0 (the bottom row) stays transparent black; each alpha line k goes
    // to row max(H - 1 - k, 1), so row 1 ends up with the last line's alpha.
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4, 0);
    const bool decoded =
        decodeColourLines(decoder, width, height, [&](int k, const std::uint8_t* line) {
            const int row = std::max(height - 1 - k, 1);
            if (row >= height) return;  // a one-row picture has no row 1
            const std::uint8_t* from =
                colour.rows.data() + static_cast<std::size_t>(row) * width * 3;
            std::uint8_t* to = rgba.data() + static_cast<std::size_t>(row) * width * 4;
            for (int x = 0; x < width; ++x) {
                to[x * 4 + 0] = from[x * 3 + 0];
                to[x * 4 + 1] = from[x * 3 + 1];
                to[x * 4 + 2] = from[x * 3 + 2];
                to[x * 4 + 3] = line[x * 4 + 1];
            }
        });
    if (!decoded) platform::current().exitProcess(0);

    createSlotTexture(textureIds[textureSlotBase + slot], generateMipmaps);
    specifyImage(width, height, 4, GL_RGBA, rgba.data());
}

void bindTextureSlot(RenderContext& context, int slot) {
    const int entry = slot < kAbsoluteSlotStart ? context.textureSlotBase + slot : slot;
    glBindTexture(GL_TEXTURE_2D, context.textureIds[entry]);
}

void bindTextureSlot(RenderContext* context, int slot) {
    bindTextureSlot(*context, slot);
}

void loadFilmTexture(RenderContext& context) {
    context.loadJpegTexture(kFilmTextureFile, kFilmTextureSlot);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}

void loadFilmTexture(RenderContext* context) {
    loadFilmTexture(*context);
}
