#include "tools/capture/png_output.h"

#include <png.h>

#include <cerrno>
#include <cstring>

bool writeFramePng(const std::string& path, const std::vector<std::uint8_t>& bgra, int width,
                   int height, std::string& error) {
    std::vector<std::uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0, j = 0; j < rgb.size(); i += 4, j += 3) {
        rgb[j] = bgra[i + 2];
        rgb[j + 1] = bgra[i + 1];
        rgb[j + 2] = bgra[i];
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    // Fast compression: a sequence of big frames is written at render speed.
    image.flags = PNG_IMAGE_FLAG_FAST;
    errno = 0;
    if (png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), width * 3, nullptr) != 0)
        return true;
    error = "cannot write " + path + ": " + (errno != 0 ? std::strerror(errno) : image.message);
    png_image_free(&image);
    return false;
}
