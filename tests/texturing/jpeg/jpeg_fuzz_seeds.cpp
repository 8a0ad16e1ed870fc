// Writes small JPEG files of every kind the decoder reads (and a few it
// rejects) into the folder given, as the starting corpus of fuzz_jpeg.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/texturing/jpeg/jpeg_stream_edit.h"
#include "tests/texturing/jpeg/jpeg_test_support.h"

using namespace jpeg_test;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_jpeg-seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    int written = 0;
    auto put = [&](const std::string& name, const Image& image, const EncodeOptions& options) {
        if (writeFile(folder + "/" + name + ".jpg", encodeJpeg(image, options))) ++written;
    };
    const int sizes[][2] = {{1, 1}, {17, 9}, {40, 33}};
    for (const auto& size : sizes) {
        Image colour = makePlasma(size[0], size[1], 3, 21);
        Image grey = makeTestCard(size[0], size[1], 1);
        std::string tag = std::to_string(size[0]) + "x" + std::to_string(size[1]);
        for (int h = 1; h <= 2; ++h) {
            for (int v = 1; v <= 2; ++v) {
                EncodeOptions options;
                options.lumaH = h;
                options.lumaV = v;
                options.quality = 40 + 20 * h + 10 * v;
                put("seq-" + tag + "-" + std::to_string(h) + std::to_string(v), colour, options);
                options.progressive = true;
                put("prog-" + tag + "-" + std::to_string(h) + std::to_string(v), colour, options);
            }
        }
        EncodeOptions restart;
        restart.restartRows = 1;
        restart.optimize = true;
        put("restart-" + tag, colour, restart);
        restart.progressive = true;
        put("restart-prog-" + tag, colour, restart);
        put("grey-" + tag, grey, {});
        EncodeOptions greyProgressive;
        greyProgressive.progressive = true;
        put("grey-prog-" + tag, grey, greyProgressive);
    }
    // Files as other writers make them: RGB, uncommon sampling, components
    // in separate scans, restart damage, no Huffman tables.
    Image picture = makePlasma(40, 33, 3, 22);
    auto putBytes = [&](const std::string& name, const std::vector<std::uint8_t>& bytes) {
        if (writeFile(folder + "/" + name + ".jpg", bytes)) ++written;
    };
    EncodeOptions rgb;
    rgb.rgb = true;
    put("rgb", picture, rgb);
    rgb.progressive = true;
    put("rgb-prog", picture, rgb);
    const std::vector<std::vector<std::pair<int, int>>> samplings = {{{1, 1}, {2, 2}, {2, 2}},
                                                                     {{3, 1}, {1, 1}, {1, 1}},
                                                                     {{4, 2}, {1, 1}, {1, 1}},
                                                                     {{2, 2}, {2, 1}, {1, 2}},
                                                                     {{1, 4}, {1, 2}, {1, 1}}};
    for (std::size_t i = 0; i < samplings.size(); ++i) {
        EncodeOptions options;
        options.sampling = samplings[i];
        put("sampling-" + std::to_string(i), picture, options);
        options.progressive = true;
        put("sampling-prog-" + std::to_string(i), picture, options);
    }
    EncodeOptions separate;
    separate.scans = {{{0}}, {{2}}, {{1}}};
    put("scans-separate", picture, separate);
    EncodeOptions progressiveSeparate;
    progressiveSeparate.scans = {{{0}, 0, 0, 0, 1},  {{1}, 0, 0, 0, 0}, {{2}, 0, 0, 0, 0},
                                 {{2}, 1, 63, 0, 0}, {{0}, 1, 9, 0, 0}, {{0}, 10, 63, 0, 0},
                                 {{1}, 1, 63, 0, 0}, {{0}, 0, 0, 1, 0}};
    put("scans-prog-separate", picture, progressiveSeparate);
    EncodeOptions restarts;
    restarts.restartRows = 1;
    std::vector<std::uint8_t> restartFile = encodeJpeg(picture, restarts);
    putBytes("restart-before-end", withRestartBeforeEnd(restartFile));
    putBytes("restart-stray", withBytesBeforeRestarts(restartFile, {0x12, 0xFF, 0x00, 0xFF, 0x01}));
    putBytes("no-tables", withoutHuffmanTables(encodeJpeg(picture, {})));

    // Kinds the decoder refuses, so their paths are explored too.
    Image small = makePlasma(24, 16, 3, 5);
    EncodeOptions arithmetic;
    arithmetic.arithmetic = true;
    put("arithmetic", small, arithmetic);
    EncodeOptions cmyk;
    cmyk.cmyk = true;
    put("cmyk", makePlasma(24, 16, 4, 6), cmyk);
    put("two-components", makePlasma(24, 16, 2, 7), {});
    // Extended sequential: SOF0 rewritten as SOF1.
    std::vector<std::uint8_t> sof1 = encodeJpeg(small, {});
    for (std::size_t i = 0; i + 1 < sof1.size(); ++i) {
        if (sof1[i] == 0xFF && sof1[i + 1] == 0xC0) {
            sof1[i + 1] = 0xC1;
            break;
        }
    }
    if (writeFile(folder + "/sof1.jpg", sof1)) ++written;
    std::printf("fuzz_jpeg-seeds: %d files in %s\n", written, folder.c_str());
    return written > 0 ? 0 : 1;
}
