#pragma once
// Magnitude spectrum of the most recent mixed output: a Hann-windowed real
// FFT of 1024 samples giving 512 bins of 44100 / 1024 Hz each at the mixing
// rate, scaled so that a full-scale sine reads 1.0 in its bin.
#include <array>
#include <cstddef>
#include <memory>

namespace platform {

class SpectrumAnalyzer {
  public:
    static constexpr std::size_t kWindow = 1024;
    static constexpr std::size_t kBins = 512;

    SpectrumAnalyzer();
    ~SpectrumAnalyzer();
    SpectrumAnalyzer(const SpectrumAnalyzer&) = delete;
    SpectrumAnalyzer& operator=(const SpectrumAnalyzer&) = delete;

    // `samples` are kWindow mono samples, oldest first. The result stays
    // valid until the next call.
    const std::array<float, kBins>& analyse(const float* samples);
    const std::array<float, kBins>& last() const { return bins_; }

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::array<float, kBins> bins_{};
};

}  // namespace platform
