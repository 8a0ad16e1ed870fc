#pragma once
// Our own real FFT: an iterative radix-2 transform in double precision,
// free of any library, for builds without KISS FFT (Windows).
#include <complex>
#include <vector>

#include "platform/audio/real_fft.h"

namespace platform {

class Radix2Fft final : public RealFft {
  public:
    // `size` must be a power of two, at least 2.
    explicit Radix2Fft(std::size_t size);
    std::size_t size() const override { return size_; }
    void magnitudes(const float* samples, float* magnitudes) override;

  private:
    std::size_t size_;
    std::vector<std::size_t> reversed_;           // bit-reversed index of each input
    std::vector<std::complex<double>> twiddles_;  // e^(-2 pi i k / n), k < n / 2
    std::vector<std::complex<double>> work_;
};

}  // namespace platform
