#include "tests/support/png_writer.h"

#include <png.h>

#include <cstdio>

bool writePng(const std::string& path, const std::vector<std::uint8_t>& pixels, int width,
              int height, int channels) {
    if (pixels.size() < static_cast<size_t>(width) * height * channels) return false;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), width * channels,
                                   nullptr) != 0;
}

bool readPngRgb(const std::string& path, std::vector<std::uint8_t>& pixels, int& width,
                int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return false;
    image.format = PNG_FORMAT_RGB;
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    pixels.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return false;
    }
    return true;
}
