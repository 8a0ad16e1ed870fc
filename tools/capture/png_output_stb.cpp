// The PNG writer where libpng is not at hand (Windows): stb_image_write
// from Debian's libstb-dev, writing through stdio so a failed write keeps
// the system's reason.
#include <stb_image_write.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/capture/png_output.h"

namespace {

struct PngSink {
    std::FILE* file;
    int error;
};

void writePngBytes(void* context, void* data, int size) {
    auto* sink = static_cast<PngSink*>(context);
    if (sink->error != 0 || size <= 0) return;
    if (std::fwrite(data, 1, static_cast<size_t>(size), sink->file) != static_cast<size_t>(size))
        sink->error = errno != 0 ? errno : EIO;
}

}  // namespace

bool writeFramePng(const std::string& path, const std::vector<std::uint8_t>& bgra, int width,
                   int height, std::string& error) {
    // BGRA rows in, RGB out.
    std::vector<std::uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i) {
        rgb[3 * i] = bgra[4 * i + 2];
        rgb[3 * i + 1] = bgra[4 * i + 1];
        rgb[3 * i + 2] = bgra[4 * i];
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    PngSink sink{file, 0};
    const bool encoded =
        stbi_write_png_to_func(writePngBytes, &sink, width, height, 3, rgb.data(), width * 3) != 0;
    if (std::fflush(file) != 0 && sink.error == 0) sink.error = errno;
    if (std::fclose(file) != 0 && sink.error == 0) sink.error = errno;
    if (encoded && sink.error == 0) return true;
    error =
        "cannot write " + path + ": " + (sink.error != 0 ? std::strerror(sink.error) : "failed");
    return false;
}
