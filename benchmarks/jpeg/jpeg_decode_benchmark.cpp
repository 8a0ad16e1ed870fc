// Decoding speed and heap of our decoder beside libjpeg-turbo and stb_image,
// on 2048 x 1536 pictures (4:2:0 and 4:4:4 baseline, 4:2:0 progressive), all
// to 4-byte RGB pixels; ours also with the scalar kernels (--no-simd) and
// on the plain path (--no-fast). Run: build/bin/jpeg_decode_benchmark
// (BM_OursOverLibjpegTurbo alone: --benchmark_filter=Over).
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <malloc.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#include <stb_image.h>

#include "tests/texturing/jpeg/jpeg_test_support.h"
#include "texturing/jpeg_decoder.h"
#include "texturing/memory_byte_source.h"

using namespace jpeg_test;

namespace {

constexpr int kWidth = 2048;
constexpr int kHeight = 1536;

// A plasma fractal with fine grain and hard-edged shapes on it, so the file
// has the detail of a photograph rather than only smooth gradients.
Image makePicture() {
    Image image = makePlasma(kWidth, kHeight, 3, 42);
    Image card = makeTestCard(256, 192, 3);
    std::uint32_t noise = 12345;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t* p = image.pixels.data() + (static_cast<std::size_t>(y) * kWidth + x) * 3;
            noise = noise * 1103515245u + 12345u;
            int grain = static_cast<int>((noise >> 16) & 15) - 8;
            bool inCard = (x / 256 + y / 192) % 3 == 0;
            const std::uint8_t* c =
                card.pixels.data() + (static_cast<std::size_t>(y % 192) * 256 + x % 256) * 3;
            for (int i = 0; i < 3; ++i) {
                int v = (inCard ? c[i] : p[i]) + grain;
                p[i] = static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
            }
        }
    }
    return image;
}

enum Kind { kBaseline420 = 0, kBaseline444 = 1, kProgressive420 = 2 };

const std::vector<std::uint8_t>& file(int kind) {
    static std::vector<std::uint8_t> files[3];
    if (files[kind].empty()) {
        static const Image picture = makePicture();
        EncodeOptions options;
        options.quality = 85;
        options.lumaH = kind == kBaseline444 ? 1 : 2;
        options.lumaV = kind == kBaseline444 ? 1 : 2;
        options.progressive = kind == kProgressive420;
        files[kind] = encodeJpeg(picture, options);
    }
    return files[kind];
}

std::size_t heapInUse() {
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void setCounters(benchmark::State& state, int kind, std::size_t peakHeap) {
    state.counters["MPix/s"] = benchmark::Counter(double(kWidth) * kHeight / 1e6,
                                                  benchmark::Counter::kIsIterationInvariantRate);
    state.counters["file_KB"] = double(file(kind).size()) / 1024.0;
    if (peakHeap > 0) state.counters["heap_peak_KB"] = double(peakHeap) / 1024.0;
}

// One decode with our decoder into `out` (4 bytes per pixel); false on
// failure. `peakHeap` grows to the most the decoder held (not the source).
bool decodeOurs(const std::vector<std::uint8_t>& bytes, bool fast, JpegKernels kernels,
                std::vector<std::uint8_t>& out, std::size_t* peakHeap = nullptr) {
    MemoryByteSource source(bytes);
    std::size_t base = heapInUse();
    JpegDecoder decoder(&source, fast, kernels);
    if (decoder.begin() != 0) return false;
    if (peakHeap != nullptr) *peakHeap = std::max(*peakHeap, heapInUse() - base);
    // Straight into the caller's rows, as libjpeg-turbo writes below.
    int lines = decoder.decodeRows(out.data(), std::ptrdiff_t{kWidth} * 4, kHeight);
    if (lines != kHeight) return false;
    if (peakHeap != nullptr) *peakHeap = std::max(*peakHeap, heapInUse() - base);
    return decoder.errorCode() == 0;
}

// The same with libjpeg-turbo: accurate integer IDCT, replicated chroma, 4
// bytes per pixel, as ours.
void decodeLibjpegTurbo(const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>& out,
                        std::size_t* peakHeap = nullptr) {
    std::size_t base = heapInUse();
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_RGBX;
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&info);
    if (peakHeap != nullptr) *peakHeap = std::max(*peakHeap, heapInUse() - base);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.data() + static_cast<std::size_t>(info.output_scanline) * kWidth * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    if (peakHeap != nullptr) *peakHeap = std::max(*peakHeap, heapInUse() - base);
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
}

void ours(benchmark::State& state, bool fast, JpegKernels kernels) {
    const int kind = static_cast<int>(state.range(0));
    const std::vector<std::uint8_t>& bytes = file(kind);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(kWidth) * kHeight * 4);
    std::size_t peak = 0;
    for (auto _ : state) {
        if (!decodeOurs(bytes, fast, kernels, out, &peak)) {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    setCounters(state, kind, peak);
    state.counters["decoder_object_KB"] = double(sizeof(JpegDecoder)) / 1024.0;
}

void BM_Ours(benchmark::State& state) {
    ours(state, true, JpegKernels::kVector);
}
void BM_OursScalar(benchmark::State& state) {
    ours(state, true, JpegKernels::kScalar);
}
void BM_OursPlain(benchmark::State& state) {
    ours(state, false, JpegKernels::kVector);
}

void BM_LibjpegTurbo(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const std::vector<std::uint8_t>& bytes = file(kind);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(kWidth) * kHeight * 4);
    std::size_t peak = 0;
    for (auto _ : state) {
        decodeLibjpegTurbo(bytes, out, &peak);
        benchmark::DoNotOptimize(out.data());
    }
    setCounters(state, kind, peak);
}

double threadSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Ours and libjpeg-turbo in turn, each decode timed by this thread's CPU
// clock: on a shared, busy machine the ratio of the medians holds better
// than two figures taken a minute apart.
void BM_OursOverLibjpegTurbo(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const std::vector<std::uint8_t>& bytes = file(kind);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(kWidth) * kHeight * 4);
    std::vector<double> oursTimes, theirsTimes;
    for (auto _ : state) {
        double start = threadSeconds();
        if (!decodeOurs(bytes, true, JpegKernels::kVector, out)) {
            state.SkipWithError("decode failed");
            break;
        }
        double middle = threadSeconds();
        decodeLibjpegTurbo(bytes, out);
        oursTimes.push_back(middle - start);
        theirsTimes.push_back(threadSeconds() - middle);
    }
    auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values.empty() ? 0.0 : values[values.size() / 2];
    };
    double oursMs = median(oursTimes) * 1e3;
    double theirsMs = median(theirsTimes) * 1e3;
    state.counters["ours_ms"] = oursMs;
    state.counters["libjpeg_turbo_ms"] = theirsMs;
    state.counters["ratio"] = theirsMs > 0 ? oursMs / theirsMs : 0;
}

void BM_StbImage(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const std::vector<std::uint8_t>& bytes = file(kind);
    for (auto _ : state) {
        int w = 0, h = 0, n = 0;
        stbi_uc* pixels =
            stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &n, 4);
        if (pixels == nullptr) {
            state.SkipWithError("stb_image failed");
            break;
        }
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
    setCounters(state, kind, 0);
}

void kinds(benchmark::internal::Benchmark* b) {
    b->ArgName("kind")->Arg(kBaseline420)->Arg(kBaseline444)->Arg(kProgressive420);
    b->Unit(benchmark::kMillisecond);
}

}  // namespace

// kind 0: 4:2:0 baseline, 1: 4:4:4 baseline, 2: 4:2:0 progressive.
BENCHMARK(BM_Ours)->Apply(kinds);
BENCHMARK(BM_LibjpegTurbo)->Apply(kinds);
BENCHMARK(BM_StbImage)->Apply(kinds);
BENCHMARK(BM_OursScalar)->Apply(kinds);
BENCHMARK(BM_OursPlain)->Apply(kinds);
BENCHMARK(BM_OursOverLibjpegTurbo)->Apply(kinds)->Iterations(31);

BENCHMARK_MAIN();
