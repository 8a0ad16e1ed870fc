#pragma once
// Magnitude spectrum of the most recent mixed output: a Hann-windowed real
// FFT of 1024 samples giving 512 bins of 44100 / 1024 Hz each at the mixing
// rate, scaled so that a full-scale sine reads 1.0 in its bin.
#include <array>
#include <cstddef>
#include <memory>
#include <vector>

#include "platform/audio/real_fft.h"

namespace platform {

class SpectrumAnalyzer {
  public:
    static constexpr std::size_t kWindow = 1024;
    static constexpr std::size_t kBins = 512;

    // On KISS FFT; defined where the desktop's audio library (with KISS FFT) is linked.
    SpectrumAnalyzer();
    // On the given transform, of kWindow samples.
    explicit SpectrumAnalyzer(std::unique_ptr<RealFft> fft);
    SpectrumAnalyzer(const SpectrumAnalyzer&) = delete;
    SpectrumAnalyzer& operator=(const SpectrumAnalyzer&) = delete;

    // `samples` are kWindow mono samples, oldest first. The result stays
    // valid until the next call.
    const std::array<float, kBins>& analyse(const float* samples);
    const std::array<float, kBins>& last() const { return bins_; }

  private:
    std::unique_ptr<RealFft> fft_;
    std::vector<float> window_;
    std::vector<float> input_;
    float scale_ = 0.0f;
    std::array<float, kBins> bins_{};
};

}  // namespace platform
