#pragma once
// The textures the program made, under the names the layer handed it: each
// has its own name on the real GL and copies of the images and parameters
// it was given, so that a context that lost its objects (a WebGL context
// that was lost and came back) can have every texture made again as it was.
#include <GL/gl.h>

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/gl_layer/es_functions.h"

namespace gl_layer {

// glPixelStorei's values for one direction (pack or unpack).
struct PixelStore {
    GLint alignment = 4;
    GLint rowLength = 0;
    GLint skipRows = 0;
    GLint skipPixels = 0;
};

// One level's image as the real GL was given it: rows packed tight.
struct TextureImage {
    GLint level = 0;
    GLint sizedFormat = 0;
    GLsizei width = 0;
    GLsizei height = 0;
    GLenum format = GL_RGB;
    std::vector<std::uint8_t> pixels;  // empty: all zero (a blank texture)
};

struct TextureRecord {
    GLuint real = 0;              // the name on the real GL; 0 for the default texture
    bool generateMipmap = false;  // GL_GENERATE_MIPMAP
    bool mipmapped = false;       // the levels below level 0 were made from it
    std::vector<std::pair<GLenum, GLint>> parameters;  // last value per name, in first-set order
    std::vector<TextureImage> images;                  // one per level
};

struct TextureStore {
    std::unordered_map<GLuint, TextureRecord> records;
    GLuint nextName = 1;
};

// The rows of a `width` by `height` image of `components` bytes a pixel,
// read from `pixels` in the layout `unpack` describes, packed tight.
std::vector<std::uint8_t> tightRows(const std::uint8_t* pixels, int width, int height,
                                    int components, const PixelStore& unpack);

// Keeps `value` as the texture's `name` parameter.
void rememberParameter(TextureRecord& record, GLenum name, GLint value);
// Keeps `image` as the texture's image of its level, replacing one before.
void rememberImage(TextureRecord& record, TextureImage image);

// Hands `image` to the real GL's bound 2D texture (unpack alignment 1).
void uploadImage(const EsFunctions& es, const TextureImage& image);
// Makes the texture again on the current context under a new real name:
// parameters, images and mipmaps as they were. Leaves it bound.
void remakeTexture(const EsFunctions& es, GLuint name, TextureRecord& record);

}  // namespace gl_layer
