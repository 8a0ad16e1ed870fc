#include "texturing/jpeg_colour.h"

#include <cstring>

namespace {

inline std::uint32_t clampByte(int value) {
    return static_cast<std::uint32_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

inline std::uint32_t pixel(const JpegColourTables& t, int y, int cb, int cr) {
    std::uint32_t r = clampByte(y + t.crToR[cr]);
    std::uint32_t g = clampByte(y + ((t.crToG[cr] + t.cbToG[cb]) >> 16));
    std::uint32_t b = clampByte(y + t.cbToB[cb]);
    // Little-endian bytes R, G, B, 0 in memory regardless of host order.
    std::uint8_t bytes[4] = {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                             static_cast<std::uint8_t>(b), 0};
    std::uint32_t word;
    std::memcpy(&word, bytes, 4);
    return word;
}

}  // namespace

void buildColourTables(JpegColourTables& tables) {
    for (int i = 0; i < 256; ++i) {
        int c = i - 128;
        tables.crToR[i] = (91882 * c + 32768) >> 16;
        tables.cbToB[i] = (116130 * c + 32768) >> 16;
        tables.crToG[i] = -46802 * c;
        tables.cbToG[i] = -22554 * c + 32768;
    }
}

void convertYCbCrLine(const JpegColourTables& tables, const std::uint8_t* y, const std::uint8_t* cb,
                      const std::uint8_t* cr, int count, int chromaStep, std::uint8_t* out) {
    if (chromaStep == 1) {
        for (int x = 0; x < count; ++x) {
            std::uint32_t word = pixel(tables, y[x], cb[x], cr[x]);
            std::memcpy(out + 4 * x, &word, 4);
        }
        return;
    }
    int x = 0;
    for (; x + 1 < count; x += 2) {
        int i = x >> 1;
        std::uint32_t first = pixel(tables, y[x], cb[i], cr[i]);
        std::uint32_t second = pixel(tables, y[x + 1], cb[i], cr[i]);
        std::memcpy(out + 4 * x, &first, 4);
        std::memcpy(out + 4 * x + 4, &second, 4);
    }
    if (x < count) {
        std::uint32_t last = pixel(tables, y[x], cb[x >> 1], cr[x >> 1]);
        std::memcpy(out + 4 * x, &last, 4);
    }
}
