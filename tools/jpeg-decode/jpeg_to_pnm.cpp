#include "tools/jpeg-decode/jpeg_to_pnm.h"

#include <cstdio>
#include <cstring>

#include "texturing/jpeg_decoder.h"
#include "texturing/jpeg_errors.h"

int decodeToPnm(JpegDecoder& decoder, std::vector<std::uint8_t>& pnm) {
    pnm.clear();
    if (decoder.errorCode() != 0 || decoder.begin() != 0) return decoder.errorCode();
    const int width = decoder.width();
    const int height = decoder.height();
    const bool grey = decoder.bytesPerPixel() == 1;
    const std::size_t channels = grey ? 1 : 3;
    char header[32];
    const int headerSize =
        std::snprintf(header, sizeof header, "P%c\n%d %d\n255\n", grey ? '5' : '6', width, height);
    const std::size_t rowSize = static_cast<std::size_t>(width) * channels;
    pnm.resize(static_cast<std::size_t>(headerSize) + rowSize * static_cast<std::size_t>(height));
    std::memcpy(pnm.data(), header, static_cast<std::size_t>(headerSize));
    std::uint8_t* row = pnm.data() + headerSize;
    for (int y = 0; y < height; ++y, row += rowSize) {
        const std::uint8_t* line = nullptr;
        int length = 0;
        if (decoder.decodeLine(&line, &length) != 0) {
            pnm.clear();
            // A decoder that ends early without an error code is corrupt data too.
            return decoder.errorCode() != 0 ? decoder.errorCode() : jpeg_error::kCorruptData;
        }
        if (grey) {
            std::memcpy(row, line, static_cast<std::size_t>(width));
        } else {
            for (int x = 0; x < width; ++x) {
                row[3 * x] = line[4 * x];
                row[3 * x + 1] = line[4 * x + 1];
                row[3 * x + 2] = line[4 * x + 2];
            }
        }
    }
    return 0;
}
