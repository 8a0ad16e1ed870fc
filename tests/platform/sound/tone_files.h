#pragma once
// Test material: Ogg Vorbis files written with the soundtrack's encoder into
// a per-process temporary folder.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sound_test {

// The folder (created on first use).
std::string scratchDir();

// `seconds` of audio at `rate` with `channels`, sample value signal(channel, t).
std::string writeTone(const std::string& name, double seconds, int rate, int channels,
                      const std::function<float(int, double)>& signal);

// A sine of `hz` at `amplitude` on every channel.
std::string writeSine(const std::string& name, double seconds, double hz, double amplitude,
                      int rate = 44100, int channels = 2);

// The whole file decoded to interleaved stereo with the player's decoder.
std::vector<float> decodeAll(const std::string& path, int* rate = nullptr);

// Index of the largest value.
int peakBin(const float* bins, int count);

}  // namespace sound_test
