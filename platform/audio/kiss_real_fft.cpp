#include "platform/audio/kiss_real_fft.h"

#include <kiss_fftr.h>

#include <cmath>
#include <memory>

#include "platform/audio/fft_analyzer.h"

namespace platform {

KissRealFft::KissRealFft(std::size_t size)
    : size_(size),
      config_(kiss_fftr_alloc(static_cast<int>(size), 0, nullptr, nullptr)),
      bins_(2 * (size / 2 + 1)) {}

KissRealFft::~KissRealFft() {
    kiss_fftr_free(static_cast<kiss_fftr_cfg>(config_));
}

void KissRealFft::magnitudes(const float* samples, float* magnitudes) {
    auto* out = reinterpret_cast<kiss_fft_cpx*>(bins_.data());
    if (config_ == nullptr) {
        for (std::size_t k = 0; k < size_ / 2; ++k) magnitudes[k] = 0.0f;
        return;
    }
    kiss_fftr(static_cast<kiss_fftr_cfg>(config_), samples, out);
    for (std::size_t k = 0; k < size_ / 2; ++k) magnitudes[k] = std::hypot(out[k].r, out[k].i);
}

// The desktop's spectrum runs on KISS FFT.
SpectrumAnalyzer::SpectrumAnalyzer() : SpectrumAnalyzer(std::make_unique<KissRealFft>(kWindow)) {}

}  // namespace platform
