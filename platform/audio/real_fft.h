#pragma once
// A real-input FFT of a fixed power-of-two size as the spectrum needs it:
// n samples in, the magnitudes |X[k]| of bins 0 to n/2 - 1 out. KISS FFT does
// it on the desktop (kiss_real_fft.h); Radix2Fft (radix2_fft.h) wherever
// KISS FFT is not at hand.
#include <cstddef>

namespace platform {

class RealFft {
  public:
    virtual ~RealFft() = default;
    virtual std::size_t size() const = 0;
    // `samples`: size() values; `magnitudes`: room for size() / 2.
    virtual void magnitudes(const float* samples, float* magnitudes) = 0;
};

}  // namespace platform
