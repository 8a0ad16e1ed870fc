#include "platform/gl_layer/texture_store.h"

#include <algorithm>
#include <cstring>

namespace gl_layer {

std::vector<std::uint8_t> tightRows(const std::uint8_t* pixels, int width, int height,
                                    int components, const PixelStore& unpack) {
    const size_t rowBytes = static_cast<size_t>(width) * components;
    const size_t rowPixels = unpack.rowLength > 0 ? static_cast<size_t>(unpack.rowLength) : width;
    const size_t alignment = std::max(1, unpack.alignment);
    const size_t stride = (rowPixels * components + alignment - 1) / alignment * alignment;
    const std::uint8_t* first = pixels + stride * std::max(0, unpack.skipRows) +
                                static_cast<size_t>(std::max(0, unpack.skipPixels)) * components;
    std::vector<std::uint8_t> out(rowBytes * height);
    for (int y = 0; y < height; ++y)
        std::memcpy(out.data() + rowBytes * y, first + stride * y, rowBytes);
    return out;
}

void rememberParameter(TextureRecord& record, GLenum name, GLint value) {
    for (auto& [kept, keptValue] : record.parameters) {
        if (kept == name) {
            keptValue = value;
            return;
        }
    }
    record.parameters.emplace_back(name, value);
}

void rememberImage(TextureRecord& record, TextureImage image) {
    // A blank image needs no copy: zeros are made again when needed.
    if (std::all_of(image.pixels.begin(), image.pixels.end(),
                    [](std::uint8_t b) { return b == 0; }))
        image.pixels.clear();
    for (TextureImage& kept : record.images) {
        if (kept.level == image.level) {
            kept = std::move(image);
            return;
        }
    }
    record.images.push_back(std::move(image));
}

void uploadImage(const EsFunctions& es, const TextureImage& image) {
    std::vector<std::uint8_t> zeros;
    const std::uint8_t* pixels = image.pixels.data();
    if (image.pixels.empty() && image.width > 0 && image.height > 0) {
        zeros.resize(static_cast<size_t>(image.width) * image.height *
                     (image.format == GL_RGBA ? 4 : 3));
        pixels = zeros.data();
    }
    es.TexImage2D(GL_TEXTURE_2D, image.level, image.sizedFormat, image.width, image.height, 0,
                  image.format, GL_UNSIGNED_BYTE, pixels);
}

void remakeTexture(const EsFunctions& es, GLuint name, TextureRecord& record) {
    record.real = 0;
    if (name != 0) es.GenTextures(1, &record.real);
    es.BindTexture(GL_TEXTURE_2D, record.real);
    for (const auto& [parameter, value] : record.parameters)
        es.TexParameteri(GL_TEXTURE_2D, parameter, value);
    for (const TextureImage& image : record.images) uploadImage(es, image);
    if (record.mipmapped) es.GenerateMipmap(GL_TEXTURE_2D);
}

}  // namespace gl_layer
