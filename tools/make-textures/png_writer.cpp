#include "png_writer.h"

#include <png.h>

#include <cstdio>
#include <stdexcept>

void writePngRgba(const std::string& path, int width, int height,
                  const std::vector<std::uint8_t>& rgba) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), width * 4, nullptr)) {
        std::string reason = image.message;
        png_image_free(&image);
        throw std::runtime_error("cannot write " + path + ": " + reason);
    }
}
