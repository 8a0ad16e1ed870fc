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

// --- Eight pixels at a time -------------------------------------------------

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpsabi"  // vectors never cross a call: all inlined
#endif

namespace {

typedef std::int32_t Lanes __attribute__((vector_size(32)));
typedef std::uint8_t Bytes8 __attribute__((vector_size(8)));
typedef std::uint8_t Bytes4 __attribute__((vector_size(4)));

[[gnu::always_inline]] inline Lanes clampLanes(Lanes value) {
    Lanes zero = {};
    Lanes top = zero + 255;
    value &= ~(value < zero);
    Lanes above = value > top;
    return (value & ~above) | (top & above);
}

[[gnu::always_inline]] inline void convertWideBody(const std::uint8_t* y, const std::uint8_t* cb,
                                                   const std::uint8_t* cr, int count,
                                                   int chromaStep, std::uint8_t* out) {
    for (int x = 0; x < count; x += 8) {
        Bytes8 luma8;
        std::memcpy(&luma8, y + x, 8);
        Lanes luma = __builtin_convertvector(luma8, Lanes);
        Lanes blue, red;
        if (chromaStep == 1) {
            Bytes8 b8, r8;
            std::memcpy(&b8, cb + x, 8);
            std::memcpy(&r8, cr + x, 8);
            blue = __builtin_convertvector(b8, Lanes);
            red = __builtin_convertvector(r8, Lanes);
        } else {
            Bytes4 b4, r4;
            std::memcpy(&b4, cb + x / 2, 4);
            std::memcpy(&r4, cr + x / 2, 4);
            Bytes8 b8 = __builtin_shufflevector(b4, b4, 0, 0, 1, 1, 2, 2, 3, 3);
            Bytes8 r8 = __builtin_shufflevector(r4, r4, 0, 0, 1, 1, 2, 2, 3, 3);
            blue = __builtin_convertvector(b8, Lanes);
            red = __builtin_convertvector(r8, Lanes);
        }
        blue -= 128;
        red -= 128;
        Lanes r = clampLanes(luma + ((red * 91882 + 32768) >> 16));
        Lanes b = clampLanes(luma + ((blue * 116130 + 32768) >> 16));
        Lanes g = clampLanes(luma + ((red * -46802 + blue * -22554 + 32768) >> 16));
        // Bytes R, G, B, 0 in memory (little-endian words).
        Lanes words = r | (g << 8) | (b << 16);
        std::memcpy(out + 4 * x, &words, 32);
    }
}

void convertWideGeneric(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr,
                        int count, int chromaStep, std::uint8_t* out) {
    convertWideBody(y, cb, cr, count, chromaStep, out);
}

#if defined(__x86_64__)
[[gnu::target("avx2")]] void convertWideAvx2(const std::uint8_t* y, const std::uint8_t* cb,
                                             const std::uint8_t* cr, int count, int chromaStep,
                                             std::uint8_t* out) {
    convertWideBody(y, cb, cr, count, chromaStep, out);
}
#endif

using ConvertFunction = void (*)(const std::uint8_t*, const std::uint8_t*, const std::uint8_t*, int,
                                 int, std::uint8_t*);

ConvertFunction chooseConvert() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return convertWideAvx2;
#endif
    return convertWideGeneric;
}

}  // namespace

void convertYCbCrLineWide(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr,
                          int count, int chromaStep, std::uint8_t* out) {
    static const ConvertFunction chosen = chooseConvert();
    chosen(y, cb, cr, count, chromaStep, out);
}
