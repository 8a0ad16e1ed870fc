#pragma once
// The real FFT of KISS FFT (libkissfft), the desktop build's.
#include <vector>

#include "platform/audio/real_fft.h"

namespace platform {

class KissRealFft final : public RealFft {
  public:
    explicit KissRealFft(std::size_t size);
    ~KissRealFft() override;
    KissRealFft(const KissRealFft&) = delete;
    KissRealFft& operator=(const KissRealFft&) = delete;
    std::size_t size() const override { return size_; }
    void magnitudes(const float* samples, float* magnitudes) override;

  private:
    std::size_t size_;
    void* config_ = nullptr;   // kiss_fftr_cfg
    std::vector<float> bins_;  // interleaved real and imaginary parts
};

}  // namespace platform
