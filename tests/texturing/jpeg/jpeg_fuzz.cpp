// libFuzzer target: construction, begin and every line, on both paths; on
// the fast path the scalar kernels' lines must equal the vector kernels' rows.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "texturing/jpeg_decoder.h"
#include "texturing/memory_byte_source.h"

namespace {

// Pictures of more than about a million pixels decode correctly but too
// slowly for useful fuzzing (a progressive one of 8192 x 8192 holds 400 MB of
// coefficients); the header is still parsed for them.
constexpr long kMaxFuzzPixels = 1L << 20;

// Every delivered byte, lines one after another (a line that was not
// delivered is never read): through decodeLine, or through decodeRows three
// lines at a time into a buffer of exactly their size.
std::vector<std::uint8_t> decode(const std::uint8_t* data, std::size_t size, bool fast,
                                 JpegKernels kernels, bool rows = false) {
    std::vector<std::uint8_t> bytes;
    MemoryByteSource source(data, size);
    JpegDecoder decoder(&source, fast, kernels);
    if (decoder.errorCode() != 0) return bytes;
    if (static_cast<long>(decoder.width()) * decoder.height() > kMaxFuzzPixels) return bytes;
    if (decoder.begin() != 0) return bytes;
    if (rows) {
        const std::size_t lineBytes =
            static_cast<std::size_t>(decoder.width()) * decoder.bytesPerPixel();
        std::vector<std::uint8_t> chunk(lineBytes * 3);
        int got = 0;
        while ((got = decoder.decodeRows(chunk.data(), static_cast<std::ptrdiff_t>(lineBytes), 3)) >
               0) {
            bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + got * lineBytes);
        }
        return bytes;
    }
    const std::uint8_t* line = nullptr;
    int length = 0;
    while (decoder.decodeLine(&line, &length) == 0) bytes.insert(bytes.end(), line, line + length);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (decode(data, size, true, JpegKernels::kVector, true) !=
        decode(data, size, true, JpegKernels::kScalar)) {
        __builtin_trap();
    }
    decode(data, size, false, JpegKernels::kVector);
    return 0;
}
