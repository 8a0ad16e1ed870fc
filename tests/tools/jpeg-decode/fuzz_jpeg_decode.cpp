// Fuzz target: jpeg-decode's path from the bytes of a file to the image it
// writes: the decoder, with the fast path on (the tool's default) or off
// (--no-fast), and the PNM layout, whose size must match its header.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "texturing/jpeg_decoder.h"
#include "texturing/memory_byte_source.h"
#include "tools/jpeg-decode/jpeg_to_pnm.h"

namespace {

// Larger pictures decode correctly but too slowly for useful fuzzing (the
// decoder itself is fuzzed on small pictures by fuzz_jpeg); their headers
// are still read.
constexpr long kMaxFuzzPixels = 1L << 18;

void decode(const std::uint8_t* data, std::size_t size, bool fast) {
    MemoryByteSource source(data, size);
    JpegDecoder decoder(&source, fast);
    if (static_cast<long>(decoder.width()) * decoder.height() > kMaxFuzzPixels) return;
    std::vector<std::uint8_t> pnm;
    const int code = decodeToPnm(decoder, pnm);
    if (code != 0) {
        if (code > 0 || !pnm.empty()) __builtin_trap();
        return;
    }
    // The header must be exactly the one the picture calls for. (Reading it
    // back with scanf would also eat pixel bytes that look like whitespace.)
    const bool grey = decoder.bytesPerPixel() == 1;
    char header[32];
    const int headerSize = std::snprintf(header, sizeof header, "P%c\n%d %d\n255\n",
                                         grey ? '5' : '6', decoder.width(), decoder.height());
    const std::size_t channels = grey ? 1 : 3;
    if (pnm.size() != static_cast<std::size_t>(headerSize) +
                          channels * static_cast<std::size_t>(decoder.width()) * decoder.height() ||
        std::memcmp(pnm.data(), header, static_cast<std::size_t>(headerSize)) != 0)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The last byte chooses the path (it lies after the end-of-image marker
    // of a real file), so one decode per input covers both.
    decode(data, size, size == 0 || (data[size - 1] & 1) == 0);
    return 0;
}
