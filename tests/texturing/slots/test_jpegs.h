#pragma once
// JPEG files for the texture tests, written and read back with libjpeg-turbo
// (an independent codec), and a few ways of corrupting them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

enum class JpegKind { Baseline, HalvedChroma, Progressive, RestartEveryRow };

// Encodes `pixels` (top row first, `components` bytes per pixel: 1 or 3).
Bytes encodeJpeg(int width, int height, int components, const Bytes& pixels, JpegKind kind,
                 int quality = 100);

struct Picture {
    int width = 0, height = 0, components = 0;
    Bytes pixels;  // top row first
};
// Decodes with libjpeg-turbo, as RGB for colour files.
Picture decodeReference(const Bytes& jpeg);

// A colour picture with smooth ramps and a few sharp features, distinct in
// every row and column.
Bytes testPattern(int width, int height, int components, int seed);

// Offsets of every FF xx marker with the given second byte.
std::vector<std::size_t> findMarkers(const Bytes& jpeg, std::uint8_t marker);

void writeFile(const std::string& path, const Bytes& bytes);
Bytes readFile(const std::string& path);
// The current test's own folder for its files (created empty). Its name is
// fixed per test, so a death test's child process uses the same one.
std::string testDir();
void removeTestDir();
