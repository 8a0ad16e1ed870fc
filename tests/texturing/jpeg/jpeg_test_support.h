#pragma once

// Shared by the JPEG decoder tests and the fuzz seed writer: a counting byte
// source, generated pictures, PNM files, and an encoder over libjpeg's API.
#include <cstdint>
#include <string>
#include <vector>

#include "texturing/jpeg_decoder.h"
#include "texturing/memory_byte_source.h"

namespace jpeg_test {

// The in-memory source, counting its uses; can be told to fail a read.
class CountingByteSource : public MemoryByteSource {
  public:
    using MemoryByteSource::MemoryByteSource;

    int read(std::uint8_t* buffer, int wanted, bool* endFlag) override {
        if (readCount++ == failOnRead) return -1;
        return MemoryByteSource::read(buffer, wanted, endFlag);
    }
    void beginUse() override { ++beginCount; }
    void endUse() override { ++endCount; }

    int beginCount = 0;
    int endCount = 0;
    int readCount = 0;
    int failOnRead = -1;  // the read call (counted from 0) that returns -1
};

struct Image {
    int width = 0;
    int height = 0;
    int channels = 3;  // 1 grey, 3 RGB (2 and 4 only for the encoder)
    std::vector<std::uint8_t> pixels;
};

// Deterministic pictures: a plasma fractal (diamond-square per channel) and a
// test card with hard edges, colour bars and a fine checker.
Image makePlasma(int width, int height, int channels, std::uint32_t seed);
Image makeTestCard(int width, int height, int channels);

bool writePnm(const std::string& path, const Image& image);
bool readPnm(const std::string& path, Image* image);

struct EncodeOptions {
    int quality = 85;
    int lumaH = 2;  // sampling factors of the first component
    int lumaV = 2;
    bool progressive = false;
    bool optimize = false;
    bool arithmetic = false;
    int restartRows = 0;
    bool cmyk = false;  // 4 channels written as an Adobe CMYK file
    bool rgb = false;   // 3 channels kept as R, G, B (Adobe marker, transform 0)
    // Sampling factors of all three components; lumaH and lumaV when empty.
    std::vector<std::pair<int, int>> sampling;
    // Scans in order: components, spectral start and end, successive
    // approximation high and low. The encoder's own scans when empty.
    struct Scan {
        std::vector<int> components;
        int ss = 0, se = 63, ah = 0, al = 0;
    };
    std::vector<Scan> scans;
};
std::vector<std::uint8_t> encodeJpeg(const Image& image, const EncodeOptions& options);

// Component planes written as they are (libjpeg's raw data path, which takes
// any sampling factors, fractional ratios too), and read back the same way.
struct Planes {
    int width = 0;  // of the image
    int height = 0;
    std::vector<std::pair<int, int>> sampling;    // per component
    std::vector<std::vector<std::uint8_t>> data;  // per component, rows of planeWidth
    int planeWidth(int c) const;
    int planeHeight(int c) const;
};
std::vector<std::uint8_t> encodeRawJpeg(const Planes& planes, int quality);
Planes decodeRawJpeg(const std::vector<std::uint8_t>& bytes);

// Everything the decoder delivers for one stream.
struct Decoded {
    int constructionCode = 0;
    int beginResult = 0;
    int lastLineResult = 0;  // result of the first decodeLine that did not return 0
    int errorCode = 0;
    int width = 0;
    int height = 0;
    int lines = 0;
    Image image;
};
Decoded decodeAll(const std::vector<std::uint8_t>& bytes, bool fast, int chunk = 1 << 30,
                  JpegKernels kernels = JpegKernels::kVector);

std::vector<std::uint8_t> readFile(const std::string& path);
bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace jpeg_test
