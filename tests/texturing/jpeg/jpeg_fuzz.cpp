// libFuzzer target: construction, begin and every decodeLine, on both paths.
#include <cstddef>
#include <cstdint>

#include "texturing/jpeg_decoder.h"
#include "texturing/memory_byte_source.h"

namespace {

// Pictures of more than about a million pixels decode correctly but too
// slowly for useful fuzzing (a progressive one of 8192 x 8192 holds 400 MB of
// coefficients); the header is still parsed for them.
constexpr long kMaxFuzzPixels = 1L << 20;

void decode(const std::uint8_t* data, std::size_t size, bool fast) {
    MemoryByteSource source(data, size);
    JpegDecoder decoder(&source, fast);
    if (decoder.errorCode() != 0) return;
    if (static_cast<long>(decoder.width()) * decoder.height() > kMaxFuzzPixels) return;
    if (decoder.begin() != 0) return;
    const std::uint8_t* line = nullptr;
    int length = 0;
    unsigned sum = 0;
    while (decoder.decodeLine(&line, &length) == 0) {
        for (int i = 0; i < length; ++i) sum += line[i];  // every delivered byte is readable
    }
    (void)sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    decode(data, size, true);
    decode(data, size, false);
    return 0;
}
