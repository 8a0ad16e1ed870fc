// Fuzzes the texture picture layout: arbitrary bytes as a colour file and an
// alpha file, decoded and combined as the loaders do (without GL).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "texturing/jpeg_decoder.h"
#include "texturing/memory_byte_source.h"
#include "texturing/texture_pictures.h"

namespace {

// Keeps the fuzzer's memory in bounds: pictures of at most a megapixel.
bool smallEnough(const std::uint8_t* data, std::size_t size) {
    MemoryByteSource source(data, size);
    JpegDecoder probe(&source, true);
    return probe.errorCode() != 0 ||
           static_cast<long long>(probe.width()) * probe.height() <= (1 << 20);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // The first two bytes say where the colour file ends and the alpha file
    // begins.
    const std::size_t split = std::min<std::size_t>(size - 2, (data[0] << 8) | data[1]);
    const std::uint8_t* colourData = data + 2;
    const std::uint8_t* alphaData = colourData + split;
    const std::size_t alphaSize = size - 2 - split;
    if (!smallEnough(colourData, split) || !smallEnough(alphaData, alphaSize)) return 0;

    MemoryByteSource colourSource(colourData, split);
    RgbPicture colour;
    if (!decodeRgbPicture(colourSource, colour)) return 0;
    if (colour.rows.size() != static_cast<std::size_t>(colour.width) * colour.height * 3) {
        __builtin_trap();
    }
    MemoryByteSource alphaSource(alphaData, alphaSize);
    std::vector<std::uint8_t> rgba;
    if (decodeRgbaPicture(alphaSource, colour, rgba)) {
        if (rgba.size() != static_cast<std::size_t>(colour.width) * colour.height * 4) {
            __builtin_trap();
        }
        for (int x = 0; x < colour.width * 4; ++x) {
            if (rgba[x] != 0) __builtin_trap();  // row 0 stays transparent black
        }
    }
    return 0;
}
