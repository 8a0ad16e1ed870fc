#include "platform/audio/fft_analyzer.h"

#include <kiss_fftr.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace platform {

struct SpectrumAnalyzer::Impl {
    kiss_fftr_cfg config = nullptr;
    std::vector<float> window;
    std::vector<float> input;
    std::vector<kiss_fft_cpx> output;
    float scale = 0.0f;

    Impl() : window(kWindow), input(kWindow), output(kWindow / 2 + 1) {
        config = kiss_fftr_alloc(static_cast<int>(kWindow), 0, nullptr, nullptr);
        double sum = 0.0;
        for (std::size_t i = 0; i < kWindow; ++i) {
            double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                            static_cast<double>(kWindow));
            window[i] = static_cast<float>(w);
            sum += w;
        }
        // A sine of amplitude A on a bin centre gives |X| = A * sum(w) / 2.
        scale = static_cast<float>(2.0 / sum);
    }
    ~Impl() { kiss_fftr_free(config); }
};

SpectrumAnalyzer::SpectrumAnalyzer() : impl_(std::make_unique<Impl>()) {}
SpectrumAnalyzer::~SpectrumAnalyzer() = default;

const std::array<float, SpectrumAnalyzer::kBins>& SpectrumAnalyzer::analyse(const float* samples) {
    Impl& s = *impl_;
    if (s.config == nullptr) {
        bins_.fill(0.0f);
        return bins_;
    }
    for (std::size_t i = 0; i < kWindow; ++i) s.input[i] = samples[i] * s.window[i];
    kiss_fftr(s.config, s.input.data(), s.output.data());
    for (std::size_t k = 0; k < kBins; ++k) {
        bins_[k] = std::hypot(s.output[k].r, s.output[k].i) * s.scale;
    }
    return bins_;
}

}  // namespace platform
