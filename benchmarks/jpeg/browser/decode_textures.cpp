// Decodes the show's six pictures in the browser with the program's own
// decoder, as the texture loaders do (fast path, each line copied out), and
// reports the time of one pass over all six: the median of several passes,
// on the page's console and in window.jpegDecodeResult for the runner.
// Built by run.sh (natively too, with --native, for the same figure on the
// desktop); it uses only what every version of the decoder has.
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#else
#define EM_ASM(...)
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "texturing/file_byte_source.h"
#include "texturing/jpeg_decoder.h"

namespace {

const char* const kPictures[] = {"textures/blob41bc.jpg", "textures/clouds4.jpg",
                                 "textures/clouds4a.jpg", "textures/codergr.jpg",
                                 "textures/merry.jpg",    "textures/superfilm3.jpg"};

// One picture, as the loaders decode it; the number of lines delivered.
int decodePicture(const char* path, std::vector<std::uint8_t>& pixels) {
    FileByteSource source;
    if (!source.open(path)) return -1;
    JpegDecoder decoder(&source, true);
    if (decoder.errorCode() != 0 || decoder.begin() != 0) return -1;
    pixels.resize(static_cast<std::size_t>(decoder.width()) * decoder.height() * 4);
    const std::uint8_t* line = nullptr;
    int length = 0;
    int lines = 0;
    while (decoder.decodeLine(&line, &length) == 0) {
        std::memcpy(pixels.data() + static_cast<std::size_t>(lines) * length, line,
                    static_cast<std::size_t>(length));
        ++lines;
    }
    return lines;
}

}  // namespace

int main() {
    constexpr int kPasses = 41;
    std::vector<std::uint8_t> pixels;
    std::vector<double> passes;
    long pixelsPerPass = 0;
    for (int pass = 0; pass <= kPasses; ++pass) {
        auto start = std::chrono::steady_clock::now();
        long count = 0;
        for (const char* path : kPictures) {
            int lines = decodePicture(path, pixels);
            if (lines < 0) {
                std::printf("jpeg-decode-bench: cannot decode %s\n", path);
                EM_ASM(window.jpegDecodeResult = {};
                       window.jpegDecodeResult.error = UTF8ToString($0), path);
                return 1;
            }
            count += static_cast<long>(pixels.size() / 4);
        }
        std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        if (pass > 0) passes.push_back(took.count());  // the first pass warms up
        pixelsPerPass = count;
    }
    std::sort(passes.begin(), passes.end());
    double median = passes[passes.size() / 2];
    std::printf(
        "jpeg-decode-bench: six pictures (%ld pixels) in %.2f ms (median of %d passes, "
        "fastest %.2f ms)\n",
        pixelsPerPass, median, kPasses, passes.front());
    // (Statements, not an object literal: commas in braces would split the
    // macro's arguments.)
    EM_ASM(window.jpegDecodeResult = {}; window.jpegDecodeResult.medianMs = $0;
           window.jpegDecodeResult.fastestMs = $1;
           window.jpegDecodeResult.pixels = $2, median, passes.front(),
           static_cast<double>(pixelsPerPass));
    return 0;
}
