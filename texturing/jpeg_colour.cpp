#include "texturing/jpeg_colour.h"

#include <cstring>

#include "texturing/jpeg_vector_primitives.h"

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

void convertRgbLine(const std::uint8_t* r, const std::uint8_t* g, const std::uint8_t* b, int count,
                    std::uint8_t* out) {
    for (int x = 0; x < count; ++x) {
        out[4 * x] = r[x];
        out[4 * x + 1] = g[x];
        out[4 * x + 2] = b[x];
        out[4 * x + 3] = 0;
    }
}

void upsampleRow(const std::uint8_t* in, int h, int hMax, int count, std::uint8_t* out) {
    for (int x = 0; x < count; ++x) out[x] = in[x * h / hMax];
}

// --- Sixteen pixels at a time ------------------------------------------------

#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"  // vectors never cross a call: all inlined
#endif

namespace {

typedef std::int16_t Shorts __attribute__((vector_size(32)));  // 16 x int16
typedef std::uint16_t UShorts __attribute__((vector_size(32)));
typedef std::uint8_t Bytes16 __attribute__((vector_size(16)));
typedef std::uint8_t Bytes32 __attribute__((vector_size(32)));

[[gnu::always_inline]] inline Bytes16 loadBytes16(const std::uint8_t* p) {
    Bytes16 bytes;
    std::memcpy(&bytes, p, sizeof bytes);
    return bytes;
}

// Sixteen samples as 16-bit lanes, less 128. (Widening whole 16-byte
// groups keeps the compiler in vector registers.)
[[gnu::always_inline]] inline Shorts centred(const std::uint8_t* p) {
    return __builtin_convertvector(loadBytes16(p), Shorts) - 128;
}

// The chroma terms to add to luma, per pixel, in 16-bit lanes (they lie
// within -227..226).
struct ChromaTerms {
    Shorts red, green, blue;
};

// (65536 * whole + 256 * high + low) >> 16 for a 16-bit `high` and a `low`
// within 0..65535: floor((high + floor(low / 256)) / 256).
[[gnu::always_inline]] inline Shorts highHalf(Shorts high, UShorts low) {
    return (high + reinterpret_cast<Shorts>(low >> 8)) >> 8;
}

[[gnu::always_inline]] inline UShorts bits(Shorts v) {
    return reinterpret_cast<UShorts>(v);
}

// The tables' terms exactly, from Cb - 128 and Cr - 128, with 16-bit products
// only: each 16.16 constant is split as 65536 * whole + 256 * high + low so
// that no signed product or sum leaves 16 bits (the low parts, offset by the
// rounding 32768, are unsigned), checked for every Cb and Cr by the tests:
//   91882 = 65536 + 102 * 256 + 234          (R from Cr)
//   116130 = 65536 + 197 * 256 + 162         (B from Cb)
//   -46802 = -65536 + 73 * 256 + 46          (G from Cr)
//   -22554 = -88 * 256 - 26                  (G from Cb)
struct ChromaConstants {
    Shorts redHigh, blueHigh, greenRedHigh, greenBlueHigh;
    UShorts redLow, blueLow, greenRedLow, greenBlueLow, half;
};

constexpr std::int16_t kChromaFactors[9] = {102, 197, 73, 88, 234, 162, 46, 26, -32768};

// The constants, hidden from the optimiser on x86-64 (read through a pointer
// it cannot see into): it would otherwise turn each product into several
// shifts and adds, where one multiply is cheaper.
[[gnu::always_inline]] inline ChromaConstants chromaConstants() {
    const std::int16_t* f = kChromaFactors;
#if defined(__x86_64__)
    __asm__("" : "+r"(f));
#endif
    auto low = [](std::int16_t value) { return UShorts{} + static_cast<std::uint16_t>(value); };
    return {Shorts{} + f[0], Shorts{} + f[1], Shorts{} + f[2], Shorts{} + f[3], low(f[4]),
            low(f[5]),       low(f[6]),       low(f[7]),       low(f[8])};
}

[[gnu::always_inline]] inline ChromaTerms chromaTerms(const ChromaConstants& k, Shorts blue,
                                                      Shorts red) {
    Shorts r = red + highHalf(red * k.redHigh, bits(red) * k.redLow + k.half);
    Shorts b = blue + highHalf(blue * k.blueHigh, bits(blue) * k.blueLow + k.half);
    Shorts g = highHalf(red * k.greenRedHigh - blue * k.greenBlueHigh,
                        bits(red) * k.greenRedLow - bits(blue) * k.greenBlueLow + k.half) -
               red;
    return {r, g, b};
}

[[gnu::always_inline]] inline Shorts lowPairs(Shorts v) {
    return __builtin_shufflevector(v, v, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7);
}

[[gnu::always_inline]] inline Shorts highPairs(Shorts v) {
    return __builtin_shufflevector(v, v, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14, 15,
                                   15);
}

// Sixteen 16-bit values clamped to 0..255 as bytes.
[[gnu::always_inline]] inline Bytes16 clampToBytes(Shorts value) {
    return jpegNarrowToBytes(__builtin_shufflevector(value, value, 0, 1, 2, 3, 4, 5, 6, 7),
                             __builtin_shufflevector(value, value, 8, 9, 10, 11, 12, 13, 14, 15));
}

typedef std::uint16_t Pairs8 __attribute__((vector_size(16)));  // 8 x 2 bytes

// Sixteen pixels as R, G, B, 0 bytes: bytes interleaved into R G and B 0
// pairs, then the pairs into pixels, in 16-byte steps (each one unpack
// instruction on x86-64 and in WebAssembly).
[[gnu::always_inline]] inline void storeRgbx(Bytes16 red, Bytes16 green, Bytes16 blue,
                                             std::uint8_t* out) {
    const Bytes16 zero = {};
    Pairs8 rgLow = reinterpret_cast<Pairs8>(__builtin_shufflevector(
        red, green, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23));
    Pairs8 rgHigh = reinterpret_cast<Pairs8>(__builtin_shufflevector(
        red, green, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31));
    Pairs8 b0Low = reinterpret_cast<Pairs8>(__builtin_shufflevector(
        blue, zero, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23));
    Pairs8 b0High = reinterpret_cast<Pairs8>(__builtin_shufflevector(
        blue, zero, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31));
    Pairs8 pixels[4] = {
        __builtin_shufflevector(rgLow, b0Low, 0, 8, 1, 9, 2, 10, 3, 11),
        __builtin_shufflevector(rgLow, b0Low, 4, 12, 5, 13, 6, 14, 7, 15),
        __builtin_shufflevector(rgHigh, b0High, 0, 8, 1, 9, 2, 10, 3, 11),
        __builtin_shufflevector(rgHigh, b0High, 4, 12, 5, 13, 6, 14, 7, 15),
    };
    std::memcpy(out, pixels, sizeof pixels);
}

[[gnu::always_inline]] inline void storePixels(const std::uint8_t* y, const ChromaTerms& terms,
                                               std::uint8_t* out) {
    Shorts luma = __builtin_convertvector(loadBytes16(y), Shorts);
    storeRgbx(clampToBytes(luma + terms.red), clampToBytes(luma + terms.green),
              clampToBytes(luma + terms.blue), out);
}

// One or two lines (y2 and out2 may be null) sharing a chroma row.
[[gnu::always_inline]] inline void convertWideBody(const std::uint8_t* y, const std::uint8_t* y2,
                                                   const std::uint8_t* cb, const std::uint8_t* cr,
                                                   int count, int chromaStep, std::uint8_t* out,
                                                   std::uint8_t* out2) {
    const ChromaConstants k = chromaConstants();
    if (chromaStep == 1) {
        for (int x = 0; x < count; x += 16) {
            ChromaTerms terms = chromaTerms(k, centred(cb + x), centred(cr + x));
            storePixels(y + x, terms, out + 4 * x);
            if (y2 != nullptr) storePixels(y2 + x, terms, out2 + 4 * x);
        }
        return;
    }
    // Sixteen chroma samples serve 32 pixels of each line.
    for (int x = 0; x < count; x += 32) {
        ChromaTerms terms = chromaTerms(k, centred(cb + x / 2), centred(cr + x / 2));
        ChromaTerms left = {lowPairs(terms.red), lowPairs(terms.green), lowPairs(terms.blue)};
        ChromaTerms right = {highPairs(terms.red), highPairs(terms.green), highPairs(terms.blue)};
        storePixels(y + x, left, out + 4 * x);
        storePixels(y + x + 16, right, out + 4 * x + 64);
        if (y2 != nullptr) {
            storePixels(y2 + x, left, out2 + 4 * x);
            storePixels(y2 + x + 16, right, out2 + 4 * x + 64);
        }
    }
}

void convertWideGeneric(const std::uint8_t* y, const std::uint8_t* y2, const std::uint8_t* cb,
                        const std::uint8_t* cr, int count, int chromaStep, std::uint8_t* out,
                        std::uint8_t* out2) {
    convertWideBody(y, y2, cb, cr, count, chromaStep, out, out2);
}

#if defined(__x86_64__)
[[gnu::target("avx2")]] void convertWideAvx2(const std::uint8_t* y, const std::uint8_t* y2,
                                             const std::uint8_t* cb, const std::uint8_t* cr,
                                             int count, int chromaStep, std::uint8_t* out,
                                             std::uint8_t* out2) {
    convertWideBody(y, y2, cb, cr, count, chromaStep, out, out2);
}
#endif

using ConvertFunction = void (*)(const std::uint8_t*, const std::uint8_t*, const std::uint8_t*,
                                 const std::uint8_t*, int, int, std::uint8_t*, std::uint8_t*);

ConvertFunction chooseConvert() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return convertWideAvx2;
#endif
    return convertWideGeneric;
}

}  // namespace

void convertYCbCrLinesWide(const std::uint8_t* y, const std::uint8_t* y2, const std::uint8_t* cb,
                           const std::uint8_t* cr, int count, int chromaStep, std::uint8_t* out,
                           std::uint8_t* out2) {
    static const ConvertFunction chosen = chooseConvert();
    chosen(y, y2, cb, cr, count, chromaStep, out, out2);
}

namespace {

[[gnu::always_inline]] inline void convertRgbBody(const std::uint8_t* r, const std::uint8_t* g,
                                                  const std::uint8_t* b, int count,
                                                  std::uint8_t* out) {
    for (int x = 0; x < count; x += 16) {
        storeRgbx(loadBytes16(r + x), loadBytes16(g + x), loadBytes16(b + x), out + 4 * x);
    }
}

[[gnu::always_inline]] inline void upsampleBody(const std::uint8_t* in, int h, int hMax, int count,
                                                std::uint8_t* out) {
    if (hMax != 2 * h) {
        upsampleRow(in, h, hMax, count, out);
        return;
    }
    for (int x = 0; x < count; x += 32) {
        Bytes16 samples = loadBytes16(in + x / 2);
        Bytes32 doubled =
            __builtin_shufflevector(samples, samples, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7,
                                    7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14, 15, 15);
        std::memcpy(out + x, &doubled, 32);
    }
}

void convertRgbGeneric(const std::uint8_t* r, const std::uint8_t* g, const std::uint8_t* b,
                       int count, std::uint8_t* out) {
    convertRgbBody(r, g, b, count, out);
}

void upsampleGeneric(const std::uint8_t* in, int h, int hMax, int count, std::uint8_t* out) {
    upsampleBody(in, h, hMax, count, out);
}

#if defined(__x86_64__)
[[gnu::target("avx2")]] void convertRgbAvx2(const std::uint8_t* r, const std::uint8_t* g,
                                            const std::uint8_t* b, int count, std::uint8_t* out) {
    convertRgbBody(r, g, b, count, out);
}

[[gnu::target("avx2")]] void upsampleAvx2(const std::uint8_t* in, int h, int hMax, int count,
                                          std::uint8_t* out) {
    upsampleBody(in, h, hMax, count, out);
}
#endif

}  // namespace

void convertRgbLineWide(const std::uint8_t* r, const std::uint8_t* g, const std::uint8_t* b,
                        int count, std::uint8_t* out) {
#if defined(__x86_64__)
    static const bool avx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
    if (avx2) return convertRgbAvx2(r, g, b, count, out);
#endif
    convertRgbGeneric(r, g, b, count, out);
}

void upsampleRowWide(const std::uint8_t* in, int h, int hMax, int count, std::uint8_t* out) {
#if defined(__x86_64__)
    static const bool avx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
    if (avx2) return upsampleAvx2(in, h, hMax, count, out);
#endif
    upsampleGeneric(in, h, hMax, count, out);
}
