#include "tools/capture/png_output.h"

#include <png.h>
#include <zlib.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace {

// libpng reports errors by long jump; the message is kept for the caller.
void onPngError(png_structp png, png_const_charp message) {
    auto* reason = static_cast<std::string*>(png_get_error_ptr(png));
    *reason = message;
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// Writes through stdio, keeping the system's reason when a write fails.
struct PngSink {
    std::FILE* file;
    int error;
};

void writePngBytes(png_structp png, png_bytep data, size_t length) {
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, length, sink->file) != length) {
        sink->error = errno;
        png_error(png, "write error");
    }
}

void flushPngBytes(png_structp) {}

// Compresses the rows; false (with libpng's reason in `reason`) on failure.
bool compressRows(png_structp png, png_infop info, PngSink& sink, const std::uint8_t* bgra,
                  int width, int height) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    png_set_write_fn(png, &sink, writePngBytes, flushPngBytes);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    // Fast compression: a sequence of big frames is written at render speed.
    png_set_compression_level(png, Z_BEST_SPEED);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_write_info(png, info);
    // BGRA rows in, RGB out.
    png_set_bgr(png);
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (int y = 0; y < height; ++y) png_write_row(png, bgra + static_cast<size_t>(y) * width * 4);
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

bool writeFramePng(const std::string& path, const std::vector<std::uint8_t>& bgra, int width,
                   int height, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string reason;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &reason, onPngError, onPngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    PngSink sink{file, 0};
    const bool written =
        info != nullptr && compressRows(png, info, sink, bgra.data(), width, height);
    png_destroy_write_struct(&png, &info);
    if (written && std::fflush(file) != 0) sink.error = errno;
    if (std::fclose(file) != 0 && sink.error == 0) sink.error = errno;
    if (written && sink.error == 0) return true;
    error = "cannot write " + path + ": " +
            (sink.error != 0  ? std::strerror(sink.error)
             : reason.empty() ? "failed"
                              : reason);
    return false;
}
