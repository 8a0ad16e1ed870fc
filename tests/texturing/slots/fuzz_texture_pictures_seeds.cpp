// Writes seed inputs for fuzz_texture_pictures: colour and alpha pairs of
// every kind of file the encoder makes, small enough to mutate quickly.
#include <cstdio>
#include <string>

#include "test_jpegs.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string dir = argv[1];
    const JpegKind kinds[] = {JpegKind::Baseline, JpegKind::HalvedChroma, JpegKind::Progressive,
                              JpegKind::RestartEveryRow};
    int n = 0;
    for (JpegKind colourKind : kinds) {
        for (JpegKind alphaKind : kinds) {
            const Bytes colour = encodeJpeg(16, 16, 3, testPattern(16, 16, 3, n), colourKind, 75);
            const Bytes alpha = encodeJpeg(16, 16, 3, testPattern(16, 16, 3, n + 1), alphaKind, 75);
            Bytes seed = {std::uint8_t(colour.size() >> 8), std::uint8_t(colour.size() & 0xFF)};
            seed.insert(seed.end(), colour.begin(), colour.end());
            seed.insert(seed.end(), alpha.begin(), alpha.end());
            writeFile(dir + "/seed" + std::to_string(n++), seed);
        }
    }
    // A greyscale alpha file and a mismatched size.
    const Bytes colour = encodeJpeg(8, 8, 3, testPattern(8, 8, 3, 1), JpegKind::Baseline, 75);
    for (const Bytes& alpha :
         {encodeJpeg(8, 8, 1, testPattern(8, 8, 1, 2), JpegKind::Baseline, 75),
          encodeJpeg(16, 8, 3, testPattern(16, 8, 3, 2), JpegKind::Baseline, 75)}) {
        Bytes seed = {std::uint8_t(colour.size() >> 8), std::uint8_t(colour.size() & 0xFF)};
        seed.insert(seed.end(), colour.begin(), colour.end());
        seed.insert(seed.end(), alpha.begin(), alpha.end());
        writeFile(dir + "/seed" + std::to_string(n++), seed);
    }
    std::printf("%d seeds\n", n);
    return 0;
}
